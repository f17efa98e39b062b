// sim_store.h - kx220-sim's profile store and command line for the omniset-cli tests.
//
//   savedStore(path, length, number)   a new store whose current configuration has the
//                                      upper threshold disabled (factory: 56), with number
//                                      in quick-dial slot 1 (none when empty), saved
//   loadedStore(path, length)          the store as the simulator left it
//   simArgs(store, firmware)           kx220-sim on COM1, unpaced, with that store
//   differing(a, b)                    the offsets at which two records differ
//   fileBytes(path)                    a file's contents (empty when unreadable)
#pragma once

#include "core/record/profile_layout.h"
#include "profile_store.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace omniset::test {

inline kx220sim::ProfileStore savedStore(const QString& path, int length,
                                         const std::string& number = {}) {
    QFile::remove(path);
    kx220sim::ProfileStore store(path.toStdString(), length);
    auto current = store.record(kx220sim::kCurrentProfile);
    current[field::UpperThreshold] = 255;
    store.setRecord(kx220sim::kCurrentProfile, current);
    if (!number.empty()) store.setQuickDial(0, number);
    std::string error;
    EXPECT_TRUE(store.save(&error)) << error;
    return store;
}

inline kx220sim::ProfileStore loadedStore(const QString& path, int length = kLongProfileLength) {
    kx220sim::ProfileStore store(path.toStdString(), length);
    std::string error;
    EXPECT_TRUE(store.load(&error)) << error;
    return store;
}

inline std::vector<std::string> simArgs(const QString& store, const char* firmware = "2.0") {
    return {"--com", "1", "--no-pace", "--firmware", firmware, "--store", store.toStdString()};
}

inline std::set<int> differing(const std::vector<std::uint8_t>& a,
                               const std::vector<std::uint8_t>& b) {
    std::set<int> out;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) out.insert(static_cast<int>(i));
    return out;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace omniset::test
