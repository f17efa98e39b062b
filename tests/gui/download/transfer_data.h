// transfer_data.h - the files the download tests send and what a receiver gets of them.
//
//   randomBytes(n, seed)   n bytes of a seeded generator (the same for the same seed)
//   expectedImage(data)    what a receiver that keeps every block writes: the data area
//                          block by block, each short read leaving the previous block's
//                          bytes behind, plus the frame of the read that found the end
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>

namespace omniset::test {

inline std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(n, '\0');
    for (auto& c : out) c = char(random() & 0xFF);
    return out;
}

inline std::string expectedImage(const std::string& data) {
    constexpr std::size_t block = 1024;
    std::string image, area(block, '0');
    for (std::size_t pos = 0;;) {
        const std::size_t n = std::min(block, data.size() - pos);
        area.replace(0, n, data, pos, n);
        pos += n;
        image += area;
        if (n == 0) return image;
    }
}

} // namespace omniset::test
