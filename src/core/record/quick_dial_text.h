// quick_dial_text.h - the four quick-dial numbers as text (slots 0..3): plain C++.
//
//   QuickDialNumbers               numbers 1..4, slot n - 1 holding number n
//   parseQuickDialReply(reply)     the number in a query reply: the echo's length cut off
//                                  the front, then every character but "0".."9" dropped
//   quickDialDigits(text)          only the digits of a text (what a store command carries)
#pragma once

#include "core/record/adapter_commands.h"

#include <array>
#include <string>
#include <string_view>

namespace omniset {

using QuickDialNumbers = std::array<std::string, kx220::kQuickDialSlots>;

std::string parseQuickDialReply(std::string_view reply);
std::string quickDialDigits(std::string_view text);

} // namespace omniset
