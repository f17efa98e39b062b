// omniset-cli - the KX220's configuration from a terminal, kept as files.
#include "cli/commands.h"
#include "cli/json_out.h"
#include "cli/options.h"
#include "cli/terminal.h"
#include "core/app/language.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"

#include <QCoreApplication>

#include <csignal>
#include <cstring>
#include <map>

using namespace omniset;
using namespace omniset::cli;

namespace {

using Command = int (*)(const CommandLine&);

const std::map<QString, Command> kCommands{
    {QStringLiteral("info"), runInfo},     {QStringLiteral("show"), runShow},
    {QStringLiteral("backup"), runBackup}, {QStringLiteral("restore"), runRestore},
    {QStringLiteral("diff"), runDiff},     {QStringLiteral("ports"), runPorts},
    {QStringLiteral("link"), runLink},     {QStringLiteral("unlink"), runUnlink},
    {QStringLiteral("set"), runSet},       {QStringLiteral("clock"), runClock},
    {QStringLiteral("factory-reset"), runFactoryReset},
    {QStringLiteral("flash"), runFlash},   {QStringLiteral("apply"), runApply},
    {QStringLiteral("fields"), runFields},
};

// What the command returns, unless its output did not reach standard output: a closed pipe
// or a full disk is an error, never a silent success.
int checkedExit(int rc) {
    const int error = outputError();
    if (!error) return rc;
    say(QStringLiteral("omniset-cli: ") +
        tr("无法写入标准输出: ", "cannot write to standard output: ") +
        QString::fromLocal8Bit(std::strerror(error)));
    return rc == kExitOk || rc == kExitDifferent ? kExitOutput : rc;
}

} // namespace

int main(int argc, char** argv) {
    // 1. No window system: the core runs under QCoreApplication.
    QCoreApplication app(argc, argv);
    // A closed pipe on standard output is reported (EPIPE) instead of ending the program in
    // the middle of an exchange.
    std::signal(SIGPIPE, SIG_IGN);
    // 2. The window program's settings file and language rule; messages on stderr.
    platform::setSettingsBaseName(QStringLiteral("omniset"));
    initLanguageMode();
    installTerminalMessages();
    // Reads end as soon as their replies are whole, never later than the windows' waits.
    EndReadsWhenWhole = true;
    // 3. The command line.
    QString error;
    const auto cl = parseCommandLine(QCoreApplication::arguments().mid(1), &error);
    if (!cl) {
        say(QStringLiteral("omniset-cli: ") + error);
        say(tr("请参阅 'omniset-cli --help'。", "Try 'omniset-cli --help'."));
        // A script that asked for JSON gets its object even for a command line it got wrong.
        if (QCoreApplication::arguments().contains(QStringLiteral("--json")))
            outData(JsonObject().finish(kExitUsage, error));
        return checkedExit(kExitUsage);
    }
    if (cl->version) {
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return checkedExit(kExitOk);
    }
    if (cl->help) {
        const QString help = cl->command.isEmpty() ? programHelp() : commandHelp(cl->command);
        if (help.isEmpty()) {
            say(QStringLiteral("omniset-cli: ") + tr("未知命令 %1", "unknown command %1").arg(cl->command));
            return kExitUsage;
        }
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return checkedExit(kExitOk);
    }
    setQuiet(cl->quiet);
    // 4. Ctrl-C ends the exchange in progress, then the command, cleanly.
    catchInterrupts();
    // 5. The command; its session closes the port whatever the outcome.
    return checkedExit(kCommands.at(cl->command)(*cl));
}
