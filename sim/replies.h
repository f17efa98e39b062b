// replies.h - the reply texts of the simulated adapter (what follows the echo).
//
//   Fill                                   how long a reply is: up to the program's read
//                                          limit (Limit), or only the echo, what the
//                                          program relies on and the final result
//                                          (Shortest)
//   fitted(echoLength, head, tail, total, fill)  head, blanks, tail: echo + reply = total
//                                          bytes (Limit); head and tail (Shortest)
//   identifyReply() / versionReply(v) / portTypeReply() / modelReply()
//   quickDialReply(digits)                 echo + reply = the program's 40-byte read
//   datePrompt(t) / timePrompt(t)          the clock prompts with the adapter's clock
//   dateAnswer(echo, t, ok) / timeAnswer(echo, t, ok)
//   factoryResetReply()
//   downloadPrompt() / speedPrompt() / waitingPrompt() / downloadCancelled()
//   okReply() / errorReply()
//
// By default, replies that the program reads with a fixed byte count are exactly that
// long with the echo, so its read ends at once instead of on its time-out. A real adapter's
// replies need not fill those counts: Fill::Shortest answers as such an adapter would.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace kx220sim {

inline constexpr std::string_view kReadClosing = "\r\nOK\r\n";
inline constexpr std::string_view kPortType = "Euro-ISDN S0"; // exactly 12 characters
inline constexpr std::string_view kModelText = "Velmar KX220 ISDN Terminal Adapter";

enum class Fill { Limit, Shortest };

std::string fitted(std::size_t echoLength, std::string_view head, std::string_view tail,
                   std::size_t total, Fill fill = Fill::Limit);

std::string okReply();
std::string errorReply();
std::string identifyReply(Fill fill = Fill::Limit);
std::string versionReply(std::string_view version, Fill fill = Fill::Limit);
std::string portTypeReply(Fill fill = Fill::Limit);
std::string modelReply(Fill fill = Fill::Limit);
std::string quickDialReply(std::string_view digits, Fill fill = Fill::Limit);
std::string datePrompt(const std::tm& now, Fill fill = Fill::Limit);
std::string timePrompt(const std::tm& now, Fill fill = Fill::Limit);
std::string dateAnswer(std::size_t echoLength, const std::tm& clock, bool accepted,
                       Fill fill = Fill::Limit);
std::string timeAnswer(std::size_t echoLength, const std::tm& clock, bool accepted,
                       Fill fill = Fill::Limit);
std::string factoryResetReply(Fill fill = Fill::Limit);
std::string accessPrompt();
std::string downloadPrompt();
std::string speedPrompt();
std::string waitingPrompt();
std::string downloadCancelled();

} // namespace kx220sim
