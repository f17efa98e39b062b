// atomic_file.h - replace a file so that a crash leaves the old or the new contents.
//
//   writeFileAtomically(path, data, error)  temporary file beside it, fsync, rename,
//                                           fsync of the folder; false with *error set
#pragma once

#include <string>
#include <string_view>

namespace kx220sim {

bool writeFileAtomically(const std::string& path, std::string_view data, std::string* error);

} // namespace kx220sim
