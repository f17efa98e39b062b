#include "hex_text.h"

namespace kx220sim {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Value of one upper-case hex digit, or -1.
int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::uint8_t xorChecksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (auto b : bytes) sum ^= b;
    return sum;
}

std::string encodeRecord(std::span<const std::uint8_t> record) {
    std::string text;
    text.reserve(2 * (record.size() + 1));
    auto put = [&text](std::uint8_t b) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    };
    for (auto b : record) put(b);
    put(xorChecksum(record));
    return text;
}

DecodedRecord decodeRecord(std::string_view text, std::size_t length) {
    DecodedRecord out;
    if (text.size() != 2 * (length + 1)) {
        out.error = HexError::WrongLength;
        return out;
    }
    std::vector<std::uint8_t> bytes(length + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int high = digitValue(text[2 * i]);
        int low = digitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            out.error = HexError::NotHex;
            return out;
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    std::uint8_t sent = bytes.back();
    bytes.pop_back();
    if (xorChecksum(bytes) != sent) {
        out.error = HexError::BadChecksum;
        return out;
    }
    out.record = std::move(bytes);
    return out;
}

} // namespace kx220sim
