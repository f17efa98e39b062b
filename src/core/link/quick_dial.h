// quick_dial.h - reading and storing the four quick-dial numbers kept in the adapter.
//
//   readQuickDialNumbers()         for each slot in turn: purge, the query, one read of up
//                                  to 40 bytes, the number parsed from it (empty when
//                                  nothing came)
//   storeQuickDialNumbers(numbers) the four store commands, slot 0 first, one write each,
//                                  back to back: no purge, no wait, no reply read; each
//                                  carries only the digits of its number (also none)
//   storeQuickDialSlots(numbers, which)
//                                  the same for the slots marked in which only
#pragma once

#include "core/record/quick_dial_text.h"

namespace omniset {

QuickDialNumbers readQuickDialNumbers();
void storeQuickDialNumbers(const QuickDialNumbers& numbers);
void storeQuickDialSlots(const QuickDialNumbers& numbers,
                         const std::array<bool, kx220::kQuickDialSlots>& which);

} // namespace omniset
