// xmodem_receiver.h - 1K-XModem receiver in CRC mode, fed byte by byte.
//
//   XModemReceiver(faults, now)  starts: the first 'C' goes out after kFirstStartDelay
//   receive(byte, now)           takes one byte from the line; returns the bytes to send
//   tick(now)                    time-outs: repeats the last reply, NAKs a broken frame
//   deadline()                   when tick() next has something to do
//   state()                      Receiving, Finished (EOT acknowledged) or Failed
//   image()                      the data of every accepted block, in order
//   blocksAccepted()             how many new blocks have been accepted so far
//   note()                       the last event, for the transcript (then cleared)
//
// Frames: STX (1024 data bytes) or SOH (128), block number, its complement, data,
// CRC-16/XMODEM high byte first. A bad complement or CRC is NAKed; the previous block
// again is ACKed and dropped; any other block number loses step and cancels.
#pragma once

#include "faults.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kx220sim {

using Millis = std::int64_t;

class XModemReceiver {
  public:
    enum class State { Receiving, Finished, Failed };

    // Time-outs in milliseconds.
    static constexpr Millis kFirstStartDelay = 1500; // after "Waiting...": past the host's read
    static constexpr Millis kIdleRepeat = 3000;      // silence between frames: say it again
    static constexpr Millis kByteTimeout = 1000;     // silence inside a frame: NAK it
    static constexpr int kMaxIdleRepeats = 20;
    static constexpr int kMaxErrors = 10;            // consecutive bad frames before giving up

    XModemReceiver(const Faults& faults, Millis now);

    std::string receive(std::uint8_t byte, Millis now);
    std::string tick(Millis now);
    Millis deadline() const;
    State state() const { return state_; }
    const std::vector<std::uint8_t>& image() const { return image_; }
    int blocksAccepted() const { return blocksAccepted_; }
    std::string note();

  private:
    std::string frameComplete();
    std::string acceptBlock(std::uint8_t number);
    std::string reject(const char* why);
    std::string cancel(const char* why);
    std::string reply(std::string bytes);
    std::size_t frameLength() const;

    Faults faults_;
    State state_ = State::Receiving;
    std::vector<std::uint8_t> frame_; // header byte onwards, while a frame is arriving
    std::vector<std::uint8_t> image_;
    std::uint8_t expected_ = 1;       // block number of the next new block
    int blocksAccepted_ = 0;
    int errors_ = 0;
    int idleRepeats_ = 0;
    bool nakDone_ = false, dropDone_ = false;
    std::string lastReply_;
    Millis lastActivity_;
    Millis nextRepeat_;
    std::string note_;
};

} // namespace kx220sim
