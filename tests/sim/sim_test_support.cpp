#include "sim_test_support.h"

#include "test_env.h"

#include <array>
#include <cstdio>
#include <filesystem>

namespace simtest {

namespace {

std::array<std::uint16_t, 256> crcTable() {
    std::array<std::uint16_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        std::uint16_t v = static_cast<std::uint16_t>(i << 8);
        for (int b = 0; b < 8; ++b) v = static_cast<std::uint16_t>(v & 0x8000 ? (v << 1) ^ 0x1021 : v << 1);
        table[i] = v;
    }
    return table;
}

} // namespace

std::uint16_t testCrc(const std::vector<std::uint8_t>& bytes) {
    static const auto table = crcTable();
    std::uint16_t crc = 0;
    for (auto b : bytes) crc = static_cast<std::uint16_t>((crc << 8) ^ table[((crc >> 8) ^ b) & 0xFF]);
    return crc;
}

std::string xmodemFrame(std::uint8_t number, const std::vector<std::uint8_t>& data) {
    std::string f;
    f += data.size() == 128 ? '\x01' : '\x02';
    f += static_cast<char>(number);
    f += static_cast<char>(0xFF - number);
    f.append(data.begin(), data.end());
    auto crc = testCrc(data);
    f += static_cast<char>(crc >> 8);
    f += static_cast<char>(crc & 0xFF);
    return f;
}

std::string hexText(const std::vector<std::uint8_t>& record) {
    std::string out;
    std::uint8_t sum = 0;
    char pair[3];
    for (auto b : record) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        out += pair;
        sum ^= b;
    }
    std::snprintf(pair, sizeof pair, "%02X", sum);
    return out + pair;
}

std::vector<std::uint8_t> fromHex(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

std::string scratchDir(const std::string& name) {
    static int counter = 0;
    auto dir = std::filesystem::path(omniset::test::scratchRoot().toStdString()) /
               (name + "-" + std::to_string(++counter));
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace simtest
