// factory_record.h - the record the simulated adapter leaves the factory with.
//
//   factoryRecord(length)   plausible values in every known field, fixed pseudo-random
//                           values in the bytes the program does not know; the same
//                           bytes on every call, and a 314-byte record is the first 314
//                           bytes of the 326-byte one
#pragma once

#include <cstdint>
#include <vector>

namespace kx220sim {

std::vector<std::uint8_t> factoryRecord(int length);

} // namespace kx220sim
