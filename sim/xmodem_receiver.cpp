#include "xmodem_receiver.h"

#include "core/record/adapter_commands.h"
#include "crc16.h"

#include <span>
#include <utility>

namespace kx220sim {

namespace {

constexpr std::uint8_t kSOH = 0x01;
constexpr std::size_t kShortBlockSize = 128;
constexpr std::size_t kHeaderBytes = 3; // start byte, number, complement
constexpr std::size_t kCrcBytes = 2;

std::string one(std::uint8_t b) { return std::string(1, static_cast<char>(b)); }

} // namespace

XModemReceiver::XModemReceiver(const Faults& faults, Millis now)
    : faults_(faults), lastReply_(one(kx220::kCRCStart)), lastActivity_(now),
      nextRepeat_(now + kFirstStartDelay) {}

std::string XModemReceiver::note() { return std::exchange(note_, {}); }

std::size_t XModemReceiver::frameLength() const {
    std::size_t block = frame_.front() == kx220::kSTX ? kx220::kXModemBlockSize : kShortBlockSize;
    return kHeaderBytes + block + kCrcBytes;
}

Millis XModemReceiver::deadline() const {
    if (state_ != State::Receiving) return INT64_MAX;
    return frame_.empty() ? nextRepeat_ : lastActivity_ + kByteTimeout;
}

std::string XModemReceiver::reply(std::string bytes) {
    lastReply_ = bytes;
    nextRepeat_ = lastActivity_ + kIdleRepeat;
    idleRepeats_ = 0;
    return bytes;
}

std::string XModemReceiver::receive(std::uint8_t byte, Millis now) {
    if (state_ != State::Receiving) return {};
    lastActivity_ = now;
    if (!frame_.empty()) {
        frame_.push_back(byte);
        return frame_.size() == frameLength() ? frameComplete() : std::string();
    }
    if (byte == kx220::kSTX || byte == kSOH) {
        frame_.push_back(byte);
        return {};
    }
    if (byte == kx220::kEOT) {
        state_ = State::Finished;
        note_ = "EOT after " + std::to_string(blocksAccepted_) + " blocks";
        return reply(one(kx220::kACK));
    }
    if (byte == kx220::kCAN) {
        state_ = State::Failed;
        note_ = "cancelled by the sender";
        return {};
    }
    return {}; // line noise between frames
}

std::string XModemReceiver::frameComplete() {
    std::uint8_t number = frame_[1];
    std::uint8_t complement = frame_[2];
    std::span<const std::uint8_t> data(frame_.data() + kHeaderBytes, frameLength() - kHeaderBytes - kCrcBytes);
    std::uint16_t sent = static_cast<std::uint16_t>(frame_[frame_.size() - 2] << 8 | frame_.back());
    std::string out;
    if (static_cast<std::uint8_t>(number + complement) != 0xFF)
        out = reject("bad block number complement");
    else if (crc16Xmodem(data) != sent)
        out = reject("bad CRC");
    else if (number == static_cast<std::uint8_t>(expected_ - 1) && blocksAccepted_ > 0) {
        note_ = "duplicate block " + std::to_string(number) + " dropped";
        out = reply(one(kx220::kACK));
    } else if (number != expected_)
        out = cancel("block out of sequence");
    else
        out = acceptBlock(number);
    frame_.clear();
    return out;
}

std::string XModemReceiver::acceptBlock(std::uint8_t number) {
    int ordinal = blocksAccepted_ + 1;
    if (ordinal == faults_.canAtBlock) return cancel("fault: cancel");
    if (ordinal == faults_.nakAtBlock && !nakDone_) {
        nakDone_ = true;
        note_ = "fault: NAK block " + std::to_string(ordinal);
        return reply(one(kx220::kNAK));
    }
    auto data = std::span(frame_).subspan(kHeaderBytes, frameLength() - kHeaderBytes - kCrcBytes);
    image_.insert(image_.end(), data.begin(), data.end());
    ++blocksAccepted_;
    ++expected_;
    errors_ = 0;
    note_ = "block " + std::to_string(number) + " accepted (" + std::to_string(ordinal) + ")";
    std::string ack = reply(one(kx220::kACK));
    if (ordinal == faults_.dropAckAtBlock && !dropDone_) {
        dropDone_ = true;
        note_ += ", fault: ACK dropped";
        return {};
    }
    return ack;
}

std::string XModemReceiver::reject(const char* why) {
    note_ = why;
    if (++errors_ > kMaxErrors) return cancel("too many errors");
    return reply(one(kx220::kNAK));
}

std::string XModemReceiver::cancel(const char* why) {
    note_ = std::string("cancelled: ") + why;
    state_ = State::Failed;
    frame_.clear();
    return std::string(2, static_cast<char>(kx220::kCAN));
}

std::string XModemReceiver::tick(Millis now) {
    if (state_ != State::Receiving || now < deadline()) return {};
    if (!frame_.empty()) {
        frame_.clear();
        lastActivity_ = now;
        return reject("frame broken off");
    }
    if (++idleRepeats_ > kMaxIdleRepeats) return cancel("sender silent");
    nextRepeat_ = now + kIdleRepeat;
    note_ = "silence: repeat last reply";
    return lastReply_;
}

} // namespace kx220sim
