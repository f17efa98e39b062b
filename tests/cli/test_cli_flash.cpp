// omniset-cli flash as a child process, without a display, against kx220-sim on a real pty.
#include "cli/backup_file.h"
#include "pty_pair.h"
#include "sim_process.h"
#include "cli_run.h"
#include "test_env.h"
#include "transfer_data.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace omniset;

namespace {

using test::CliRun;
using test::cliEnvironment;
using test::runCli;

constexpr int kImageSize = 100 * 1024;

QString scratch(const QString& name) { return test::scratchFile(QStringLiteral("flash"), name); }

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = scratch(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

QByteArray randomImage(int size) {
    return QByteArray::fromStdString(test::randomBytes(static_cast<std::size_t>(size), 220));
}

// The backup path flash printed on standard output.
QString backupPathIn(const QString& out) {
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.endsWith(QLatin1String(".json"))) return line.trimmed();
    return {};
}

std::vector<std::string> simArgs(const QString& image, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"--com",   "1",
                                  "--no-pace", "--firmware",
                                  "1.62",    "--store",
                                  scratch("flash.store").toStdString(),
                                  "--image", image.toStdString()};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class CliFlash : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(scratch("flash.store"));
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/omniset/backups"))
            .removeRecursively();
    }
    void TearDown() override { test::makePortDangling(1); }
};

} // namespace

TEST_F(CliFlash, AWholeFlashBacksUpSendsTheFileAndReportsTheNewVersion) {
    const QByteArray image = randomImage(kImageSize);
    const QString file = writeFile("firmware.dl", image);
    const QString received = scratch("received.dl");
    QFile::remove(received);
    test::SimProcess sim(simArgs(received));
    const CliRun r = runCli({"flash", "--yes", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString() << r.out.toStdString();
    // The file, then the final frame the sender sends after the end of the file.
    EXPECT_EQ(fileBytes(received).toStdString(), test::expectedImage(image.toStdString()));
    EXPECT_TRUE(fileBytes(received).startsWith(image));
    const QString backup = backupPathIn(r.out);
    ASSERT_FALSE(backup.isEmpty()) << r.out.toStdString();
    QString error;
    const auto b = cli::loadBackup(backup, &error);
    ASSERT_TRUE(b) << error.toStdString();
    EXPECT_EQ(b->firmware, QStringLiteral("V1.6"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Firmware: V2.0 (was V1.6)"))) << r.out.toStdString();
    // Without a terminal: a plain line every 10 %, the last one complete.
    EXPECT_TRUE(r.err.contains(QStringLiteral("blocks 100/100  100.0 KB/100.0 KB")))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(QStringLiteral("blocks ")), 11);
    EXPECT_TRUE(r.out.contains(QStringLiteral("The configuration was kept; the record grew from 314 to 326")))
        << r.out.toStdString();
}

TEST_F(CliFlash, FaultsEndWithTheirExitCodeAndKeepTheBackup) {
    const QByteArray image = randomImage(20 * 1024);
    const QString file = writeFile("faults.dl", image);
    const struct {
        const char* what;
        std::vector<std::string> fault;
        int code;
        const char* says;
        bool json; // the result as --json reports it
    } cases[] = {
        {"one NAK is resent", {"--fault-nak-block", "3"}, 0, "1 resends", true},
        {"CAN ends the transfer", {"--fault-can-block", "3"}, 4, "Transfer file fail, please retry!", true},
        {"the adapter vanishes", {"--fault-vanish-at", "block:3"}, 4, "went away during the transfer", false},
        {"vanishes at the boot loader", {"--fault-vanish-at", "boot:2"}, 4,
         "COM1 has been disconnected", false},
    };
    for (const auto& c : cases) {
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/omniset/backups"))
            .removeRecursively();
        const QString received = scratch("faults-received.dl");
        QFile::remove(received);
        test::SimProcess sim(simArgs(received, c.fault));
        QStringList args{"-q", "flash", "--yes", file};
        if (c.json) args << "--json";
        const CliRun r = runCli(args);
        sim.stop();
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromLatin1(c.says)))
            << c.what << ": " << (r.out + r.err).toStdString();
        QString backup = backupPathIn(r.out);
        if (c.json) {
            const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
            backup = o.value("backup").toString();
            EXPECT_EQ(o.value("bytes").toInt(), c.code == 0 ? image.size() : 0) << c.what;
            if (c.code == 0) EXPECT_EQ(o.value("resends").toInt(), 1) << c.what;
            EXPECT_EQ(o.value("firmware_before").toString(), QStringLiteral("V1.6")) << c.what;
            EXPECT_EQ(o.value("firmware_after").toString(),
                      c.code == 0 ? QStringLiteral("V2.0") : QString()) << c.what;
            EXPECT_EQ(o.value("configuration_kept").toBool(), c.code == 0) << c.what;
            EXPECT_EQ(o.value("error").toObject().value("exit").toInt(), c.code) << c.what;
        }
        EXPECT_TRUE(QFileInfo::exists(backup)) << c.what << ": " << r.out.toStdString();
        EXPECT_EQ(QFileInfo::exists(received), c.code == 0) << c.what;
    }
}

TEST_F(CliFlash, OnATerminalTheProgressIsOneLineRedrawn) {
    const QString file = writeFile("terminal.dl", randomImage(20 * 1024));
    test::SimProcess sim(simArgs(scratch("terminal-received.dl")));
    test::PtyPair tty;
    QProcess p;
    p.setProcessEnvironment(cliEnvironment());
    p.setStandardErrorFile(tty.slavePath());
    p.start(QStringLiteral(OMNISET_CLI_PATH), {"flash", "--no-backup", "--yes", file});
    std::string err;
    while (!p.waitForFinished(10))
        err += tty.readMaster(200);
    err += tty.readMaster(200);
    EXPECT_EQ(p.exitCode(), 0) << err;
    const std::size_t first = err.find("\rblocks 1/20  1.0 KB/20.0 KB");
    const std::size_t last = err.find("\rblocks 20/20  20.0 KB/20.0 KB");
    ASSERT_NE(first, std::string::npos) << err;
    ASSERT_NE(last, std::string::npos) << err;
    // One line: redrawn after a carriage return and cleared to its end, no line breaks
    // until the transfer is over.
    EXPECT_EQ(err.substr(first, last - first).find('\n'), std::string::npos);
    EXPECT_NE(err.find("\033[K", first), std::string::npos);
}

TEST_F(CliFlash, CtrlCCancelsTheTransferAndSaysWhereTheAdapterIs) {
    const QString file = writeFile("interrupt.dl", randomImage(kImageSize));
    const QString received = scratch("interrupt-received.dl");
    QFile::remove(received);
    // Paced to the line: the transfer takes about nine seconds.
    std::vector<std::string> args = simArgs(received);
    args.erase(args.begin() + 2); // --no-pace
    test::SimProcess sim(args);
    QProcess p;
    p.setProcessEnvironment(cliEnvironment());
    p.start(QStringLiteral(OMNISET_CLI_PATH), {"flash", "--no-backup", "--yes", file});
    ASSERT_TRUE(p.waitForStarted());
    QString err;
    while (!err.contains(QStringLiteral("blocks ")) && p.state() == QProcess::Running) {
        p.waitForReadyRead(500);
        err += QString::fromLocal8Bit(p.readAllStandardError());
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    err += QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("The transfer was cancelled at block")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("waiting for a new transfer")));
    EXPECT_FALSE(QFileInfo::exists(received));
}

TEST_F(CliFlash, ABadFileTouchesNothing) {
    const QString log = scratch("badfile.log");
    const struct {
        const char* what;
        QString path;
        const char* says;
    } cases[] = {
        {"missing", scratch("no-such.dl"), "No such file"},
        {"empty", writeFile("empty.dl", {}), "The download file is empty!"},
        {"a folder", scratch(QString()), "Is a folder"},
        {"no terminal to ask on", writeFile("unasked.dl", randomImage(1024)),
         "no terminal to confirm on; give --yes"},
    };
    for (const auto& c : cases) {
        // Without an adapter at all: a command that looked for one would say so.
        const CliRun r = runCli({"flash", c.path});
        EXPECT_EQ(r.code, 2) << c.what;
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << c.what << ": " << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("Detecting"))) << c.what;
    }
    EXPECT_FALSE(QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/omniset/backups"))
                     .exists());
}

// On a terminal flash asks first; anything but y or yes sends nothing and looks for no adapter.
TEST_F(CliFlash, OnATerminalFlashAsksBeforeSending) {
    const QString file = writeFile("asked.dl", randomImage(1024));
    test::PtyPair tty;
    QProcess p;
    p.setProcessEnvironment(cliEnvironment());
    p.setStandardInputFile(tty.slavePath());
    p.start(QStringLiteral(OMNISET_CLI_PATH), {"flash", file});
    ASSERT_TRUE(p.waitForStarted());
    QString err;
    while (!err.contains(QStringLiteral("[y/N]")) && p.state() == QProcess::Running) {
        p.waitForReadyRead(500);
        err += QString::fromLocal8Bit(p.readAllStandardError());
    }
    EXPECT_TRUE(err.contains(QStringLiteral("Send %1 (1024 bytes) to the adapter? [y/N]").arg(file)))
        << err.toStdString();
    tty.writeMaster("n\n");
    ASSERT_TRUE(p.waitForFinished(30000));
    err += QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Cancelled; nothing was sent."))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Detecting")));
}
