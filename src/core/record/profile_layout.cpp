#include "core/record/profile_layout.h"

#include <algorithm>
#include <array>

namespace omniset {

namespace {

using K = FieldKind;

// The one table of the fields the program knows (offset, width, kind, known bits,
// longest text, name).
constexpr std::array kFields{
    FieldInfo{field::AnswerMode, 1, K::Code, 0, 0, "data port answer mode"},
    FieldInfo{field::ReleaseTime, 1, K::Code, 0, 0, "second B channel release time"},
    FieldInfo{field::FareUnit, 1, K::Code, 0, 0, "local fare unit of time"},
    FieldInfo{field::AutobaudBits, 1, K::Bits, 0x01, 0, "autobaud forbidden (bit 0)"},
    FieldInfo{field::LowerThreshold, 1, K::Code, 0, 0, "lower traffic threshold"},
    FieldInfo{field::UpperThreshold, 1, K::Code, 0, 0, "upper traffic threshold"},
    FieldInfo{field::V120Window, 1, K::Code, 0, 0, "V.120 window size K"},
    FieldInfo{field::RingKeypadBits, 1, K::Bits, 0x03, 0, "RING mode (bit 0), keypad (bit 1)"},
    FieldInfo{field::AsyncBaud, 1, K::Code, 0, 0, "asynchronous baud rate"},
    FieldInfo{field::AsyncDataBits, 1, K::Code, 0, 0, "asynchronous data bits"},
    FieldInfo{field::AsyncParity, 1, K::Code, 0, 0, "asynchronous parity"},
    FieldInfo{field::AsyncStopBits, 1, K::Code, 0, 0, "asynchronous stop bits"},
    FieldInfo{field::SyncBaud, 1, K::Code, 0, 0, "synchronous baud rate"},
    FieldInfo{field::DcdHandling, 1, K::Code, 0, 0, "V.24 DCD handling"},
    FieldInfo{field::CheckDtr, 1, K::Code, 0, 0, "check DTR"},
    FieldInfo{field::DsrHandling, 1, K::Code, 0, 0, "V.24 DSR handling"},
    FieldInfo{field::SerialMode, 1, K::Code, 0, 0, "serial mode"},
    FieldInfo{field::FlowControl, 1, K::Code, 0, 0, "flow control"},
    FieldInfo{field::Protocol, 1, K::Code, 0, 0, "data port protocol"},
    FieldInfo{field::DialMode, 1, K::Code, 0, 0, "dial mode"},
    FieldInfo{field::V120Service, 1, K::Code, 0, 0, "V.120 service type"},
    FieldInfo{field::V120LliNegotiation, 1, K::Code, 0, 0, "V.120 LLI negotiation"},
    FieldInfo{field::AutoDialNumber, 32, K::Text, 0, 16, "automatic-dial number"},
    FieldInfo{field::DataMsn, 16, K::Text, 0, 15, "data port MSN"},
    FieldInfo{field::Tel1Msn, 16, K::Text, 0, 15, "telephone port 1 MSN"},
    FieldInfo{field::Tel2Msn, 16, K::Text, 0, 15, "telephone port 2 MSN"},
    FieldInfo{field::DataSubaddress, 17, K::Text, 0, 16, "data port subaddress"},
    FieldInfo{field::Tel1Subaddress, 17, K::Text, 0, 16, "telephone port 1 subaddress"},
    FieldInfo{field::Tel2Subaddress, 17, K::Text, 0, 16, "telephone port 2 subaddress"},
    FieldInfo{field::DataClir, 1, K::Code, 0, 0, "data port CLIR"},
    FieldInfo{field::Tel1Clir, 1, K::Code, 0, 0, "telephone port 1 CLIR"},
    FieldInfo{field::Tel2Clir, 1, K::Code, 0, 0, "telephone port 2 CLIR"},
    FieldInfo{field::DataColr, 1, K::Code, 0, 0, "data port COLR"},
    FieldInfo{field::Tel1Colr, 1, K::Code, 0, 0, "telephone port 1 COLR"},
    FieldInfo{field::Tel2Colr, 1, K::Code, 0, 0, "telephone port 2 COLR"},
    FieldInfo{field::DataUus, 17, K::Text, 0, 16, "data port user-to-user text"},
    FieldInfo{field::Tel1Uus, 17, K::Text, 0, 16, "telephone port 1 user-to-user text"},
    FieldInfo{field::Tel2Uus, 17, K::Text, 0, 16, "telephone port 2 user-to-user text"},
    FieldInfo{field::NationalPrefix, 6, K::Text, 0, 5, "national long-distance prefix"},
    FieldInfo{field::InternationalPrefix, 6, K::Text, 0, 5, "international long-distance prefix"},
    FieldInfo{field::Tel1Bearer, 1, K::Code, 0, 0, "telephone port 1 bearer capability"},
    FieldInfo{field::Tel2Bearer, 1, K::Code, 0, 0, "telephone port 2 bearer capability"},
    FieldInfo{field::CodingLaw, 1, K::Code, 0, 0, "coding law"},
};

} // namespace

std::span<const FieldInfo> profileFields() { return kFields; }

const FieldInfo* findField(int offset) {
    auto it = std::find_if(kFields.begin(), kFields.end(),
                           [offset](const FieldInfo& f) { return f.offset == offset; });
    return it == kFields.end() ? nullptr : &*it;
}

ProfileRecord::ProfileRecord(int length)
    : length_(std::max(length, 0)), bytes_(static_cast<std::size_t>(length_) + 1, 0) {}

std::uint8_t ProfileRecord::byte(int offset) const {
    return inside(offset) ? bytes_[static_cast<std::size_t>(offset)] : 0;
}

void ProfileRecord::setByte(int offset, std::uint8_t value) {
    if (inside(offset)) bytes_[static_cast<std::size_t>(offset)] = value;
}

bool ProfileRecord::bit(int offset, int bitIndex) const {
    if (bitIndex < 0 || bitIndex > 7) return false;
    return (byte(offset) >> bitIndex) & 1u;
}

void ProfileRecord::setBit(int offset, int bitIndex, bool on) {
    if (!inside(offset) || bitIndex < 0 || bitIndex > 7) return;
    auto mask = static_cast<std::uint8_t>(1u << bitIndex);
    auto& b = bytes_[static_cast<std::size_t>(offset)];
    b = on ? static_cast<std::uint8_t>(b | mask) : static_cast<std::uint8_t>(b & ~mask);
}

std::string ProfileRecord::text(int offset, int width) const {
    std::string out;
    if (offset < 0 || width <= 0 || offset >= length_) return out;
    width = std::min(width, length_ - offset);
    for (int i = offset; i < offset + width; ++i) {
        auto c = bytes_[static_cast<std::size_t>(i)];
        if (c == 0) break;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

void ProfileRecord::setText(int offset, int width, std::string_view value) {
    if (offset < 0 || width <= 0 || offset >= length_) return;
    auto keep = std::min<std::size_t>(value.size(), static_cast<std::size_t>(width - 1));
    width = std::min(width, length_ - offset);
    for (int i = 0; i < width; ++i) {
        auto c = static_cast<std::size_t>(i) < keep ? static_cast<std::uint8_t>(value[i]) : 0;
        setByte(offset + i, c);
    }
}

void ProfileRecord::clearSpan(int offset, int width) {
    if (offset < 0 || width <= 0 || offset >= length_) return;
    width = std::min(width, length_ - offset);
    for (int i = 0; i < width; ++i) setByte(offset + i, 0);
}

std::uint8_t ProfileRecord::computeChecksum() const {
    std::uint8_t c = 0;
    for (int i = 0; i < length_; ++i) c ^= bytes_[static_cast<std::size_t>(i)];
    return c;
}

} // namespace omniset
