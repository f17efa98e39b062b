// sim_test_support.h - independent helpers for the simulator's tests.
//
//   testCrc(bytes)              CRC-16/XMODEM by a table, not the simulator's loop
//   xmodemFrame(n, data)        STX (or SOH for 128 bytes) frame of block n
//   hexText(record)             upper-case hex of a record and its XOR byte
//   fromHex(text)               bytes of a hex text (upper or lower case)
//   scratchDir(name)            a fresh folder under the test's scratch root
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

std::uint16_t testCrc(const std::vector<std::uint8_t>& bytes);
std::string xmodemFrame(std::uint8_t number, const std::vector<std::uint8_t>& data);
std::string hexText(const std::vector<std::uint8_t>& record);
std::vector<std::uint8_t> fromHex(const std::string& text);
std::string scratchDir(const std::string& name);

} // namespace simtest
