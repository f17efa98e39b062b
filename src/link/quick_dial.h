// quick_dial.h - the four quick-dial numbers kept in the adapter (slots 0..3).
//
//   QuickDialNumbers               numbers 1..4, slot n - 1 holding number n
//   readQuickDialNumbers()         for each slot in turn: purge, the query, one read of up
//                                  to 40 bytes, the number parsed from it (empty when
//                                  nothing came)
//   storeQuickDialNumbers(numbers) the four store commands, slot 0 first, one write each,
//                                  back to back: no purge, no wait, no reply read; each
//                                  carries only the digits of its number (also none)
//   parseQuickDialReply(reply)     the number in a query reply: the echo's length cut off
//                                  the front, then every character but "0".."9" dropped
//   quickDialDigits(text)          only the digits of a text (what a store command carries)
// (the two text functions are plain C++, in quick_dial_reply.cpp)
#pragma once

#include "link/adapter_commands.h"

#include <array>
#include <string>
#include <string_view>

namespace omniset {

using QuickDialNumbers = std::array<std::string, kx220::kQuickDialSlots>;

QuickDialNumbers readQuickDialNumbers();
void storeQuickDialNumbers(const QuickDialNumbers& numbers);

std::string parseQuickDialReply(std::string_view reply);
std::string quickDialDigits(std::string_view text);

} // namespace omniset
