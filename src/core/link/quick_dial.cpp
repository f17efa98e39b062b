// The quick-dial exchanges over SerialChannel.
#include "core/link/quick_dial.h"

#include "core/link/exchange_entry.h"
#include "core/link/reply_checks.h"
#include "core/link/serial_channel.h"

namespace omniset {

QuickDialNumbers readQuickDialNumbers() {
    QuickDialNumbers numbers;
    BeginExchange();
    for (int slot = 0; slot < kx220::kQuickDialSlots; ++slot) {
        SerialPurge();
        SerialWrite(kx220::quickDialQuery(slot));
        // One read: it ends at 40 bytes or when the channel's time-outs expire (or at the
        // final result line, where reads end with their replies).
        numbers[static_cast<std::size_t>(slot)] = parseQuickDialReply(
            SerialReadReply(kx220::kQuickDialReplyLimit, 0, resultLineCheck()));
    }
    return numbers;
}

void storeQuickDialNumbers(const QuickDialNumbers& numbers) {
    storeQuickDialSlots(numbers, {true, true, true, true});
}

void storeQuickDialSlots(const QuickDialNumbers& numbers,
                         const std::array<bool, kx220::kQuickDialSlots>& which) {
    // The replies stay in the receive buffer until the next exchange purges it; a failed
    // write is not reported and the next command goes out regardless.
    BeginExchange();
    for (int slot = 0; slot < kx220::kQuickDialSlots; ++slot)
        if (which[static_cast<std::size_t>(slot)])
            SerialWrite(kx220::quickDialStore(slot, quickDialDigits(numbers[static_cast<std::size_t>(slot)])));
}

} // namespace omniset
