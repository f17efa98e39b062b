// cli_run.h - omniset-cli as a child process in the tests (OMNISET_CLI_PATH names it).
//
//   cliEnvironment()            no display of any kind, English texts
//   runCli(args, input, lang)   run it to the end; stdin from the file `input` (a closed pipe
//                               when empty), LANG=lang (C by default); its exit code (-1
//                               when it crashed) and output
//   scratchFile(dir, name)      a path in the test's scratch folder `dir`, created
#pragma once

#include "test_env.h"

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace omniset::test {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline QProcessEnvironment cliEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    return env;
}

inline CliRun runCli(const QStringList& args, const QString& input = {},
                     const QString& lang = QStringLiteral("C")) {
    QProcess p;
    QProcessEnvironment env = cliEnvironment();
    env.insert(QStringLiteral("LANG"), lang);
    p.setProcessEnvironment(env);
    if (!input.isEmpty()) p.setStandardInputFile(input);
    p.start(QStringLiteral(OMNISET_CLI_PATH), args);
    if (input.isEmpty()) p.closeWriteChannel();
    p.waitForFinished(180000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline QString scratchFile(const QString& dir, const QString& name) {
    QDir().mkpath(scratchRoot() + u'/' + dir);
    return scratchRoot() + u'/' + dir + u'/' + name;
}

} // namespace omniset::test
