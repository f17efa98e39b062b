// commands.h - omniset-cli's commands; each returns the program's exit code.
//
//   runInfo / runShow / runBackup        read from the adapter (commands_read.cpp)
//   runRestore / runDiff                 backup files against the adapter (commands_files.cpp)
//   runPorts / runLink / runUnlink       COM1..COM4 and the system's devices (commands_ports.cpp)
//   runSet / runClock / runFactoryReset  change the adapter's settings (commands_set.cpp)
//   runApply                             a desired configuration (commands_apply.cpp)
//   runFlash                             firmware download with a backup first (commands_flash.cpp)
//   runFields                            every field name with the values it takes; no adapter
//                                        (commands_fields.cpp)
//   readBackup(session, now, b)          every record and the numbers read into *b; an exit
//                                        code (the cause said)
//   backupAdapter(session, path, now, b) readBackup, then path written and printed
//   outputProblem(path, createFolder)    why a file cannot be written at path ("" when it
//                                        can): a folder given, a missing folder (created
//                                        instead with createFolder), a read-only place
//   defaultBackupPath(now)               $XDG_DATA_HOME/omniset/backups/KX220-<time>.json
//   earlierStateDir()                    its folder: where a failed rollback leaves the
//                                        earlier values
//   carryOut(cl, session, plan)          the end that apply, restore and set share: the plan
//                                        printed, --check, nothing to write, the synchronous-
//                                        mode question, the transaction, the --json object
//   reportProblems(cl, plan, file, list) every problem said, nothing written: exit 2
//   finishCommand(cl, plan, exit, msg)   the --json object (with --json); exit returned
#pragma once

#include "cli/options.h"
#include "cli/transaction.h"
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
int runApply(const CommandLine& cl);
int runFields(const CommandLine& cl);

struct Backup;
class Session;
int readBackup(Session& s, const QDateTime& now, Backup* backup);
QString outputProblem(const QString& path, bool createFolder);
int backupAdapter(Session& s, const QString& path, const QDateTime& now, Backup* backup);
QString defaultBackupPath(const QDateTime& now);
QString earlierStateDir();
int carryOut(const CommandLine& cl, Session& s, Plan& plan);
int reportProblems(const CommandLine& cl, Plan& plan, const QString& file, const QStringList& problems);
int finishCommand(const CommandLine& cl, const Plan& plan, int exit, const QString& message);

} // namespace omniset::cli
