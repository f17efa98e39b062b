#include "crc16.h"

namespace kx220sim {

namespace {
constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kTopBit = 0x8000;
} // namespace

std::uint16_t crc16Xmodem(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (auto b : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ (b << 8));
        for (int bit = 0; bit < 8; ++bit) {
            bool carry = (crc & kTopBit) != 0;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (carry) crc ^= kPolynomial;
        }
    }
    return crc;
}

} // namespace kx220sim
