// options.h - omniset-cli's command line.
//
//   parseCommandLine(args, error)  the global options, the command and its arguments;
//                                  nothing with *error set on bad usage
//   programHelp()                  what --help prints: commands, options, exit codes
//   commandHelp(name)              what "COMMAND --help" prints (empty: no such command)
//   versionText()                  what --version prints: "omniset-cli VERSION"
//   parseLineSpec(text)            "115200,8,N,1" as line settings
#pragma once

#include "core/platform/serial_device.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace omniset::cli {

// How to reach the adapter.
struct AdapterChoice {
    int port = 0;                               // --port N: only COMn (0: the whole search)
    QString device;                             // --device PATH
    std::optional<platform::LineSettings> line; // --line with --device
};

struct CommandLine {
    AdapterChoice adapter;
    bool quiet = false;
    bool help = false;    // --help, or the command "help" (of the command named after it)
    bool version = false; // --version
    QString command;
    QStringList args;     // positional arguments of the command
    QStringList profiles; // restore --profile P (repeatable), set --profile P
    bool json = false;    // every command that reports: one JSON object on standard output
    bool plain = false;   // fields --plain
    bool check = false;   // apply --check
    bool dryRun = false;  // restore --dry-run, set --dry-run
    bool yes = false;     // factory-reset, flash, apply, restore, set --yes
    bool noBackup = false; // flash --no-backup
};

std::optional<CommandLine> parseCommandLine(const QStringList& args, QString* error);
QString programHelp();
QString commandHelp(const QString& command);
QString versionText();
std::optional<platform::LineSettings> parseLineSpec(const QString& text);

} // namespace omniset::cli
