// commands.h - omniset-cli's commands; each returns the program's exit code.
//
//   runInfo / runShow / runBackup        read from the adapter (commands_read.cpp)
//   runRestore / runDiff                 backup files against the adapter (commands_files.cpp)
//   runPorts / runLink / runUnlink       COM1..COM4 and the system's devices (commands_ports.cpp)
//   runSet / runClock / runFactoryReset  change the adapter's settings (commands_set.cpp)
//   runFlash                             firmware download with a backup first (commands_flash.cpp)
//   backupAdapter(session, path, now, b) what backup does on an open session: reads into *b,
//                                        writes path, prints it; an exit code
//   defaultBackupPath(now)               $XDG_DATA_HOME/omniset/backups/KX220-<time>.json
//   recordDifferences(a, b)              "name: old -> new" in words for each field that
//                                        differs, and a line for other bytes that differ
#pragma once

#include "cli/options.h"
#include "core/record/profile_layout.h"

#include <QDateTime>
#include <QStringList>

namespace omniset::cli {

int runInfo(const CommandLine& cl);
int runShow(const CommandLine& cl);
int runBackup(const CommandLine& cl);
int runRestore(const CommandLine& cl);
int runDiff(const CommandLine& cl);
int runPorts(const CommandLine& cl);
int runLink(const CommandLine& cl);
int runUnlink(const CommandLine& cl);
int runSet(const CommandLine& cl);
int runClock(const CommandLine& cl);
int runFactoryReset(const CommandLine& cl);
int runFlash(const CommandLine& cl);

struct Backup;
class Session;
int backupAdapter(Session& s, const QString& path, const QDateTime& now, Backup* backup);
QString defaultBackupPath(const QDateTime& now);

QStringList recordDifferences(const ProfileRecord& a, const ProfileRecord& b);

} // namespace omniset::cli
