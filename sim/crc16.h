// crc16.h - CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no final XOR).
//
//   crc16Xmodem(bytes)   the CRC of a byte span ("123456789" gives 0x31C3)
#pragma once

#include <cstdint>
#include <span>

namespace kx220sim {

std::uint16_t crc16Xmodem(std::span<const std::uint8_t> bytes);

} // namespace kx220sim
