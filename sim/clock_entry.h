// clock_entry.h - the date and time lines typed at the adapter's clock prompts.
//
//   parseDate("m-d-yyyy")   a real calendar date (years kFirstYear..kLastYear), or nothing
//   parseTime("h:m:s")      a real time of day (0:0:0 to 23:59:59), or nothing
//
// Numbers may carry leading zeros; blanks around the line are ignored.
#pragma once

#include <optional>
#include <string_view>

namespace kx220sim {

inline constexpr int kFirstYear = 1980; // the adapter's clock chip range
inline constexpr int kLastYear = 2099;

struct Date {
    int month, day, year;
};
struct TimeOfDay {
    int hour, minute, second;
};

std::optional<Date> parseDate(std::string_view line);
std::optional<TimeOfDay> parseTime(std::string_view line);
int daysInMonth(int month, int year);

} // namespace kx220sim
