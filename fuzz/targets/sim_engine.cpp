// kx220-sim's command interpreter: AdapterEngine::receive() and tick() on any byte stream.
//
// Input: byte 0 picks the firmware (low 3 bits) and the reply faults (bits 3..7), byte 1
// the XModem faults; the rest is a byte script (fuzz_input.h): data from the host, pauses,
// line noise and the host closing the port. After every tick the engine's next deadline
// must lie in the future, or the simulator's loop would spin.
#include "fuzz_input.h"

#include "adapter_engine.h"

#include <array>
#include <cstdio>
#include <cstdlib>

using namespace kx220sim;

namespace {

constexpr std::array<const char*, 6> kFirmware{"1.2", "1.3", "1.5", "1.6", "1.62", "2.0"};
constexpr std::time_t kWallClock = 983793600; // 2001-03-05 12:00:00 UTC
constexpr int kMaxTicksPerPause = 10000;

// Ticks at every deadline up to now, as the simulator's loop would.
void runUntil(AdapterEngine& engine, Millis now, bool checkProgress) {
    for (int i = 0; i < kMaxTicksPerPause; ++i) {
        const Millis due = engine.deadline();
        if (due > now) return;
        (void)engine.tick(due);
        if (checkProgress && engine.deadline() <= due) {
            std::fprintf(stderr, "deadline %lld did not move after its tick\n",
                         static_cast<long long>(due));
            std::abort();
        }
    }
    if (checkProgress) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    EngineSettings settings;
    settings.firmware = kFirmware[(data[0] & 7) % kFirmware.size()];
    settings.faults.badReadChecksum = data[0] & 0x08;
    settings.faults.shortReadReply = data[0] & 0x10;
    settings.faults.silentAfterDetection = data[0] & 0x20;
    settings.faults.errorBeforeOk = data[0] & 0x40;
    settings.faults.noWriteAck = data[0] & 0x80;
    settings.faults.nakAtBlock = data[1] & 3;
    settings.faults.canAtBlock = (data[1] >> 2) & 3;
    settings.faults.dropAckAtBlock = (data[1] >> 4) & 3;
    settings.wallClock = [] { return kWallClock; };
    // The store stays in memory: no path, nothing written.
    AdapterEngine engine(settings);
    const bool checkProgress = !settings.faults.silentAfterDetection;

    Millis now = 1000;
    for (const auto& ev : fuzz::parseByteScript(data + 2, size - 2)) {
        switch (ev.kind) {
        case fuzz::ScriptEvent::Data:
            (void)engine.receive(ev.bytes, now);
            now += 1;
            break;
        case fuzz::ScriptEvent::Pause: now += ev.pauseMs; break;
        case fuzz::ScriptEvent::LineNoise: engine.lineNoise(); break;
        case fuzz::ScriptEvent::HostClosed: engine.hostClosed(); break;
        }
        runUntil(engine, now, checkProgress);
        const int length = engine.profileLength();
        if (length != 314 && length != 326) std::abort();
    }
    runUntil(engine, now + fuzz::kScriptLongSilenceMs, checkProgress);
    return 0;
}
