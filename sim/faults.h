// faults.h - the fault switches of the simulated adapter (all off by default).
//
//   exchangeNamed(name)   the exchange a fault point names ("identify", "read", "write",
//                         "boot", "block"), or Exchange::None
#pragma once

#include <string_view>

namespace kx220sim {

// Exchanges a fault can be aimed at; the N-th of its kind is hit.
enum class Exchange {
    None,
    Identify, // an identification query (detection)
    Read,     // a profile read
    Write,    // a profile write, once its hex text is in
    Boot,     // a boot loader prompt (1: the question, 2: the speed, 3: "Waiting...")
    Block,    // an XModem block, once accepted
};

struct FaultPoint {
    Exchange at = Exchange::None;
    int nth = 1;
};

Exchange exchangeNamed(std::string_view name);

struct Faults {
    bool badReadChecksum = false;    // profile reads carry a wrong XOR byte
    bool shortReadReply = false;     // profile reads stop half-way through the hex text
    bool silentAfterDetection = false; // after the first identification reply, no byte at all
    bool silentRead = false;         // profile reads: the command is echoed, then nothing
    bool errorBeforeOk = false;      // profile writes: "ERROR" first, "OK" a while later
    bool noWriteAck = false;         // profile writes: stored, but no reply after the echo
    int storeChangedAtWrite = 0;     // the K-th profile write stores its record with one bit
                                     // flipped, and acknowledges it (0 = off)
    int nakAtBlock = 0;              // XModem: NAK the K-th block once (0 = off)
    int canAtBlock = 0;              // XModem: cancel at the K-th block
    int dropAckAtBlock = 0;          // XModem: swallow the ACK of the K-th block once
    FaultPoint vanish;               // the adapter goes away (the pty is closed) there
    FaultPoint noise;                // one bit of that reply is flipped on the line
};

} // namespace kx220sim
