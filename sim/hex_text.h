// hex_text.h - the record's wire form as the adapter sends and accepts it.
//
//   xorChecksum(bytes)           XOR of all bytes
//   encodeRecord(record)         upper-case hex of the record followed by its XOR byte
//   decodeRecord(text, length)   record of `length` bytes from its hex text, checked
//
// Written independently of the program's encoder, so that each checks the other.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx220sim {

enum class HexError { None, WrongLength, NotHex, BadChecksum };

struct DecodedRecord {
    HexError error = HexError::None;
    std::vector<std::uint8_t> record; // empty unless error == None
};

std::uint8_t xorChecksum(std::span<const std::uint8_t> bytes);
std::string encodeRecord(std::span<const std::uint8_t> record);
// Accepts exactly 2 * (length + 1) characters "0"-"9", "A"-"F"; the last pair must be
// the XOR of the others.
DecodedRecord decodeRecord(std::string_view text, std::size_t length);

} // namespace kx220sim
