// kx220-sim's 1K-XModem receiver on any byte stream.
//
// Input: byte 0 sets the fault switches (NAK, cancel and dropped ACK at blocks 0..3); the
// rest is a byte script (fuzz_input.h) fed one byte at a time, with pauses that run the
// receiver's time-outs. The image only ever grows by whole blocks, and nothing is
// received once the receiver has finished or failed.
#include "fuzz_input.h"

#include "xmodem_receiver.h"

#include <cstdlib>

using namespace kx220sim;

namespace {
constexpr int kMaxTicksPerPause = 10000;

void runUntil(XModemReceiver& rx, Millis now) {
    for (int i = 0; i < kMaxTicksPerPause; ++i) {
        const Millis due = rx.deadline();
        if (due > now) return;
        (void)rx.tick(due);
        (void)rx.note();
        if (rx.state() == XModemReceiver::State::Receiving && rx.deadline() <= due) std::abort();
    }
    if (rx.state() == XModemReceiver::State::Receiving) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    Faults faults;
    faults.nakAtBlock = data[0] & 3;
    faults.canAtBlock = (data[0] >> 2) & 3;
    faults.dropAckAtBlock = (data[0] >> 4) & 3;
    Millis now = 1000;
    XModemReceiver rx(faults, now);
    for (const auto& ev : fuzz::parseByteScript(data + 1, size - 1)) {
        if (ev.kind == fuzz::ScriptEvent::Pause) now += ev.pauseMs;
        for (char c : ev.bytes) {
            if (rx.state() != XModemReceiver::State::Receiving) break;
            const auto before = rx.image().size();
            (void)rx.receive(static_cast<std::uint8_t>(c), now);
            const auto grown = rx.image().size() - before;
            if (rx.image().size() < before || (grown != 0 && grown != 128 && grown != 1024))
                std::abort();
        }
        (void)rx.note();
        now += 1;
        if (rx.state() == XModemReceiver::State::Receiving) runUntil(rx, now);
    }
    if (rx.state() == XModemReceiver::State::Receiving)
        runUntil(rx, now + fuzz::kScriptLongSilenceMs);
    return 0;
}
