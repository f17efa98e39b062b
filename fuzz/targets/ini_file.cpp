// The settings file reader (and the writer that rewrites it).
//
// Input: the whole settings file. Every key the program keeps is read; then one key
// (chosen by the last byte) is written with a value, and must read back as that value
// while every other key reads as before. parseIniInt also runs on the raw input.
#include "core/app/settings_store.h"
#include "core/platform/ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace omniset;
using platform::iniReadInt;
using platform::iniWriteInt;

namespace {

struct Key {
    const char* section;
    const char* key;
};
constexpr std::array<Key, 10> kKeys{{
    {settings::AsyncSection, settings::ComNo},
    {settings::AsyncSection, settings::BaudRate},
    {settings::AsyncSection, settings::DataBits},
    {settings::AsyncSection, settings::Parity},
    {settings::AsyncSection, settings::StopBits},
    {settings::SyncSection, settings::Syn},
    {settings::SyncSection, settings::SynProto},
    {settings::SyncSection, settings::ASynProto},
    {settings::PotsSection, settings::Init},
    {"POTSAD_SET", "M_BINIT"}, // names match whatever their case
}};
constexpr int kDefault = -12345;

QString g_path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs when there is one: the writer syncs to disk on every replacement.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                   : QDir::tempPath();
    g_path = base + QStringLiteral("/omniset-fuzz-ini-%1/omniset.INI").arg(::getpid());
    std::atexit([] { QDir(QFileInfo(g_path).absolutePath()).removeRecursively(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)platform::parseIniInt(text, kDefault);

    QDir().mkpath(QFileInfo(g_path).absolutePath());
    {
        QFile f(g_path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    std::array<int, kKeys.size()> before{};
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        before[i] = iniReadInt(g_path, kKeys[i].section, kKeys[i].key, kDefault);
    if (before[8] != before[9]) std::abort();

    const std::size_t chosen = size ? data[size - 1] % (kKeys.size() - 1) : 0;
    const int value = size > 1 ? static_cast<int>(data[size - 2]) - 100 : 7;
    if (!iniWriteInt(g_path, kKeys[chosen].section, kKeys[chosen].key, value)) std::abort();
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const int now = iniReadInt(g_path, kKeys[i].section, kKeys[i].key, kDefault);
        const bool written = i == chosen || (chosen == 8 && i == 9);
        if (now != (written ? value : before[i])) {
            std::fprintf(stderr, "[%s] %s: read %d before, %d after writing %s=%d\n",
                         kKeys[i].section, kKeys[i].key, before[i], now, kKeys[chosen].key,
                         value);
            std::abort();
        }
    }
    QFile::remove(g_path);
    return 0;
}
