// omniset-cli's backup-file reader.
//
// Input: the whole file. parseBackup() either refuses it with a reason or gives records
// that hold their checksums, of the file's record length, and quick-dial numbers of
// digits only; such a backup written again by backupJson() reads back equal.
#include "cli/backup_file.h"
#include "core/record/quick_dial_text.h"

#include <cstdlib>

using namespace omniset;
using namespace omniset::cli;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto b = parseBackup(bytes, &error);
    if (!b) {
        if (error.isEmpty()) std::abort();
        return 0;
    }
    for (const ProfileRecord& r : b->records) {
        if (r.length() != b->recordLength) std::abort();
        if (r.checksumByte() != r.computeChecksum()) std::abort();
    }
    for (const auto& n : b->quickDial)
        if (quickDialDigits(n) != n || n.size() > static_cast<std::size_t>(kQuickDialMaxDigits))
            std::abort();
    QString again;
    const auto back = parseBackup(backupJson(*b), &again);
    if (!back || back->records != b->records || back->quickDial != b->quickDial ||
        back->recordLength != b->recordLength)
        std::abort();
    return 0;
}
