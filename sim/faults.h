// faults.h - the fault switches of the simulated adapter (all off by default).
#pragma once

namespace kx220sim {

struct Faults {
    bool badReadChecksum = false;    // profile reads carry a wrong XOR byte
    bool shortReadReply = false;     // profile reads stop half-way through the hex text
    bool silentAfterDetection = false; // after the first identification reply, no byte at all
    bool errorBeforeOk = false;      // profile writes: "ERROR" first, "OK" a while later
    bool noWriteAck = false;         // profile writes: stored, but no reply after the echo
    int nakAtBlock = 0;              // XModem: NAK the K-th block once (0 = off)
    int canAtBlock = 0;              // XModem: cancel at the K-th block
    int dropAckAtBlock = 0;          // XModem: swallow the ACK of the K-th block once
};

} // namespace kx220sim
