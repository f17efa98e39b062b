// record_changes.h - changes(before, after): the bytes that differ between two records of
// the same length, with their new values (offset -> value).
#pragma once

#include "core/record/profile_layout.h"

#include <map>

namespace omniset::test {

inline std::map<int, int> changes(const ProfileRecord& before, const ProfileRecord& after) {
    std::map<int, int> out;
    for (int i = 0; i < before.length(); ++i)
        if (before.byte(i) != after.byte(i)) out[i] = after.byte(i);
    return out;
}

} // namespace omniset::test
