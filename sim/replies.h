// replies.h - the reply texts of the simulated adapter (what follows the echo).
//
//   fitted(echoLength, head, tail, total)  head, blanks, tail: echo + reply = total bytes
//   identifyReply() / versionReply(v) / portTypeReply() / modelReply()
//   quickDialReply(digits)                 echo + reply = the program's 40-byte read
//   datePrompt(t) / timePrompt(t)          the clock prompts with the adapter's clock
//   dateAnswer(echo, t, ok) / timeAnswer(echo, t, ok)
//   factoryResetReply()
//   downloadPrompt() / speedPrompt() / waitingPrompt() / downloadCancelled()
//   okReply() / errorReply()
//
// Replies that the program reads with a fixed byte count are exactly that long with the
// echo, so its read ends at once instead of on its time-out.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace kx220sim {

inline constexpr std::string_view kReadClosing = "\r\nOK\r\n";
inline constexpr std::string_view kPortType = "Euro-ISDN S0"; // exactly 12 characters
inline constexpr std::string_view kModelText = "Velmar KX220 ISDN Terminal Adapter";

std::string fitted(std::size_t echoLength, std::string_view head, std::string_view tail,
                   std::size_t total);

std::string okReply();
std::string errorReply();
std::string identifyReply();
std::string versionReply(std::string_view version);
std::string portTypeReply();
std::string modelReply();
std::string quickDialReply(std::string_view digits);
std::string datePrompt(const std::tm& now);
std::string timePrompt(const std::tm& now);
std::string dateAnswer(std::size_t echoLength, const std::tm& clock, bool accepted);
std::string timeAnswer(std::size_t echoLength, const std::tm& clock, bool accepted);
std::string factoryResetReply();
std::string accessPrompt();
std::string downloadPrompt();
std::string speedPrompt();
std::string waitingPrompt();
std::string downloadCancelled();

} // namespace kx220sim
