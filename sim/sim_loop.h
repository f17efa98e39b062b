// sim_loop.h - moves bytes between the pty and the engine, paced like a serial line.
//
//   characterTime(wanted)        microseconds one character takes on the line
//   SimLoop(port, engine, cfg) ready to run
//   SimLoop::run(stop)         until *stop is set (signal), the adapter vanished (a fault)
//                              or, with cfg.once, the host closed the port; returns the
//                              exit code
//   transcript(text)           one timestamped line on standard error
#pragma once

#include "adapter_engine.h"
#include "options.h"
#include "pty_port.h"

#include <csignal>
#include <cstdint>
#include <deque>

namespace kx220sim {

using Micros = std::int64_t;

struct LoopConfig {
    LineSpec line;
    bool pace = true;
    bool once = false;
    bool verbose = false;
};

Micros characterTime(const LineSpec& wanted);
void transcript(std::string_view text);

class SimLoop {
  public:
    static constexpr Micros kHangupPoll = 20000; // no host: look again after 20 ms
    static constexpr std::size_t kReadChunk = 4096;

    SimLoop(PtyPort& port, AdapterEngine& engine, LoopConfig config);
    int run(volatile std::sig_atomic_t* stop);

  private:
    struct Timed {
        char byte;
        Micros at; // when the character has fully crossed the line
    };

    void releaseInput(Micros now);
    void queueOutput(const std::string& bytes, Micros now);
    void writeDue(Micros now);
    bool hostMatches();
    bool readInput(Micros now);
    void onHangup();
    Micros wakeTime() const;

    PtyPort& port_;
    AdapterEngine& engine_;
    LoopConfig config_;
    Micros charTime_;
    std::deque<Timed> rx_, tx_;
    Micros rxClock_ = 0, txClock_ = 0;
    bool writeBlocked_ = false;
    bool hostPresent_ = false;
    bool hostSeen_ = false;
    int lastMatch_ = -1; // for the transcript: -1 unknown, 0 silent, 1 answering
};

} // namespace kx220sim
