// profile_layout.h - the KX220 configuration record (ProfileImage) and its field table.
//
//   ProfileRecord            the record bytes plus the checksum slot used in transit
//   ProfileRecord::byte/setByte, bit/setBit, text/setText
//                            bounded accessors: nothing is read or written at or past
//                            length(), whatever offset or width is asked for
//   profileFields()          one row per field the program knows: offset, width, kind
//   findField(offset)        the row that starts at an offset, or nullptr
//
// Plain C++ (no Qt), shared with the simulated adapter.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace omniset {

inline constexpr int kShortProfileLength = 314; // firmware below 2.0
inline constexpr int kLongProfileLength = 326;  // firmware 2.0

// Offsets of the known fields (decimal byte offsets).
namespace field {
inline constexpr int AnswerMode = 4;
inline constexpr int ReleaseTime = 42;     // units of 10 s, 0 = releasing disabled
inline constexpr int FareUnit = 43;        // units of 10 s
inline constexpr int AutobaudBits = 47;    // bit 0: autobaud forbidden
inline constexpr int LowerThreshold = 53;  // kbit/s * 2
inline constexpr int UpperThreshold = 54;  // kbit/s * 2, 255 = disabled
inline constexpr int V120Window = 94;      // K, 1..127
inline constexpr int RingKeypadBits = 98;  // bit 0 RING mode, bit 1 keypad protocol
inline constexpr int AsyncBaud = 100;
inline constexpr int AsyncDataBits = 101;
inline constexpr int AsyncParity = 102;
inline constexpr int AsyncStopBits = 103;
inline constexpr int SyncBaud = 104;
inline constexpr int DcdHandling = 106;
inline constexpr int CheckDtr = 107;
inline constexpr int DsrHandling = 109;
inline constexpr int SerialMode = 110;
inline constexpr int FlowControl = 111;
inline constexpr int Protocol = 112;
inline constexpr int DialMode = 113;
inline constexpr int V120Service = 114;
inline constexpr int V120LliNegotiation = 115;
inline constexpr int AutoDialNumber = 116; // 32 bytes
inline constexpr int DataMsn = 148;        // 16 bytes
inline constexpr int Tel1Msn = 164;        // 16 bytes
inline constexpr int Tel2Msn = 180;        // 16 bytes
inline constexpr int DataSubaddress = 196; // 17 bytes
inline constexpr int Tel1Subaddress = 213; // 17 bytes
inline constexpr int Tel2Subaddress = 230; // 17 bytes
inline constexpr int DataClir = 250;
inline constexpr int Tel1Clir = 251;
inline constexpr int Tel2Clir = 252;
inline constexpr int DataColr = 256;
inline constexpr int Tel1Colr = 257;
inline constexpr int Tel2Colr = 258;
inline constexpr int DataUus = 259;        // 17 bytes
inline constexpr int Tel1Uus = 276;        // 17 bytes
inline constexpr int Tel2Uus = 293;        // 17 bytes
inline constexpr int NationalPrefix = 310; // 6 bytes
inline constexpr int InternationalPrefix = 316; // 6 bytes
inline constexpr int Tel1Bearer = 322;
inline constexpr int Tel2Bearer = 323;
inline constexpr int CodingLaw = 324;
} // namespace field

enum class FieldKind {
    Code, // one byte holding an unsigned code, flag or scaled number
    Bits, // one byte shared by several writers, each owning its bits
    Text, // zero-terminated characters in a fixed span, zero filled when written
};

struct FieldInfo {
    int offset;
    int width;        // bytes of the span
    FieldKind kind;
    std::uint8_t bits; // for Bits: the mask of the bits the program knows
    int maxChars;      // for Text: the longest text the field holds
    std::string_view name;
};

// Every field of the record that the program reads or writes, in offset order.
std::span<const FieldInfo> profileFields();
const FieldInfo* findField(int offset);

class ProfileRecord {
  public:
    explicit ProfileRecord(int length = kLongProfileLength);

    int length() const { return length_; }

    // Record bytes 0..length()-1; reads outside give 0, writes outside are ignored.
    std::uint8_t byte(int offset) const;
    void setByte(int offset, std::uint8_t value);

    bool bit(int offset, int bitIndex) const;
    void setBit(int offset, int bitIndex, bool on); // other bits of the byte are kept

    // Text of a span: characters up to the first zero, the end of the span or the end
    // of the record, whichever comes first.
    std::string text(int offset, int width) const;
    // Writes at most width - 1 characters of value, then zeros to the end of the span;
    // the span is cut at the end of the record.
    void setText(int offset, int width, std::string_view value);
    // Sets every byte of the span to zero (within the record).
    void clearSpan(int offset, int width);

    // The checksum slot that follows the record while it is in transit.
    std::uint8_t checksumByte() const { return bytes_[length_]; }
    void setChecksumByte(std::uint8_t value) { bytes_[length_] = value; }
    // XOR of record bytes 0..length()-1.
    std::uint8_t computeChecksum() const;

    // The record and its checksum slot: length() + 1 bytes.
    const std::vector<std::uint8_t>& raw() const { return bytes_; }
    std::vector<std::uint8_t>& raw() { return bytes_; }

    bool operator==(const ProfileRecord&) const = default;

  private:
    bool inside(int offset) const { return offset >= 0 && offset < length_; }
    int length_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace omniset
