#include "clock_entry.h"

#include <array>

namespace kx220sim {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Splits "a<sep>b<sep>c" into three decimal numbers of minDigits..maxDigits each.
bool threeNumbers(std::string_view s, char sep, std::array<int, 3>& out,
                  const std::array<int, 3>& maxDigits) {
    for (int i = 0; i < 3; ++i) {
        std::size_t digits = 0;
        int value = 0;
        while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') {
            // Digits beyond the limit only count (the line is refused): no overflow.
            if (digits < std::size_t(maxDigits[i])) value = value * 10 + (s[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > std::size_t(maxDigits[i])) return false;
        out[i] = value;
        s.remove_prefix(digits);
        if (i < 2) {
            if (s.empty() || s.front() != sep) return false;
            s.remove_prefix(1);
        }
    }
    return s.empty();
}

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

} // namespace

int daysInMonth(int month, int year) {
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

std::optional<Date> parseDate(std::string_view line) {
    std::array<int, 3> n{};
    if (!threeNumbers(trimmed(line), '-', n, {2, 2, 4})) return std::nullopt;
    Date d{n[0], n[1], n[2]};
    if (d.year < kFirstYear || d.year > kLastYear) return std::nullopt;
    if (d.day < 1 || d.day > daysInMonth(d.month, d.year)) return std::nullopt;
    return d;
}

std::optional<TimeOfDay> parseTime(std::string_view line) {
    std::array<int, 3> n{};
    if (!threeNumbers(trimmed(line), ':', n, {2, 2, 2})) return std::nullopt;
    TimeOfDay t{n[0], n[1], n[2]};
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

} // namespace kx220sim
