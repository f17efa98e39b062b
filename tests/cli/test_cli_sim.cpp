// omniset-cli as a child process, without a display, against kx220-sim on a real pty.
#include "cli/backup_file.h"
#include "core/platform/paths.h"
#include "profile_store.h"
#include "sim_process.h"
#include "cli_run.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace omniset;
using omniset::cli::Backup;
using omniset::cli::backupJson;
using omniset::cli::loadBackup;
using omniset::cli::parseBackup;

namespace {

using test::CliRun;
using test::runCli;

QString scratch(const QString& name) { return test::scratchFile(QStringLiteral("cli"), name); }

// A store whose records and numbers all differ from the factory's.
kx220sim::ProfileStore distinctStore(const QString& path, int length) {
    kx220sim::ProfileStore store(path.toStdString(), length);
    for (int p = 0; p < kx220sim::kProfileCount; ++p) {
        auto bytes = store.record(p);
        for (std::size_t i = 0; i < bytes.size(); i += 5)
            bytes[i] = static_cast<std::uint8_t>(i + p);
        store.setRecord(p, bytes);
    }
    for (int slot = 0; slot < kx220sim::kQuickDialCount; ++slot)
        store.setQuickDial(slot, std::to_string(1000 + slot * 111));
    std::string error;
    EXPECT_TRUE(store.save(&error)) << error;
    return store;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// kx220-sim with its transcript (--verbose) in a file.
class LoggedSim {
  public:
    LoggedSim(std::vector<std::string> args, const QString& log) {
        args.push_back("--verbose");
        const int saved = ::dup(2);
        const int fd = ::open(log.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 2);
        sim_ = std::make_unique<test::SimProcess>(std::move(args));
        ::dup2(saved, 2);
        ::close(fd);
        ::close(saved);
    }
    void stop() { sim_->stop(); }

  private:
    std::unique_ptr<test::SimProcess> sim_;
};

// The commands the host sent, from a transcript.
QStringList hostCommands(const QString& log) {
    QStringList commands;
    for (const QString& line : QString::fromLatin1(fileBytes(log)).split(QLatin1Char('\n')))
        if (const int at = line.indexOf(QStringLiteral("host: ")); at >= 0)
            commands << line.mid(at + 6);
    return commands;
}

class CliSim : public ::testing::Test {
  protected:
    void TearDown() override { test::makePortDangling(1); }
};

} // namespace

TEST_F(CliSim, BackupFactoryResetRestoreGivesBackEveryRecordAndNumber) {
    const QString store = scratch("round.store");
    const auto original = distinctStore(store, kLongProfileLength);
    const QString file = scratch("round.json");
    {
        test::SimProcess sim({"--com", "1", "--no-pace", "--store", store.toStdString()});
        const CliRun r = runCli({"-q", "backup", file});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), file);
    }
    // Factory state: the simulator starts without its store.
    QFile::remove(store);
    {
        test::SimProcess sim({"--com", "1", "--no-pace", "--store", store.toStdString()});
        const CliRun r = runCli({"-q", "restore", file});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.count(QStringLiteral("written and verified")), 6) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("Quick dial: stored and verified")));
    }
    kx220sim::ProfileStore restored(store.toStdString(), kLongProfileLength);
    std::string error;
    ASSERT_TRUE(restored.load(&error)) << error;
    for (int p = 0; p < kx220sim::kProfileCount; ++p)
        EXPECT_EQ(restored.record(p), original.record(p)) << "profile " << p;
    for (int slot = 0; slot < kx220sim::kQuickDialCount; ++slot)
        EXPECT_EQ(restored.quickDial(slot), original.quickDial(slot)) << "slot " << slot;
}

TEST_F(CliSim, ARefusedFileSendsNothingButTheIdentification) {
    const QString store = scratch("refuse.store");
    distinctStore(store, kLongProfileLength);
    const QString good = scratch("refuse-good.json");
    {
        test::SimProcess sim({"--com", "1", "--no-pace", "--store", store.toStdString()});
        ASSERT_EQ(runCli({"-q", "backup", good}).code, 0);
    }
    const QByteArray text = fileBytes(good);
    const int hex = text.indexOf("\"hex\": \"") + 8;
    QString error;
    Backup shortRecords = *parseBackup(text, &error);
    shortRecords.recordLength = kShortProfileLength;
    for (auto& r : shortRecords.records) {
        ProfileRecord cut(kShortProfileLength);
        for (int i = 0; i < kShortProfileLength; ++i)
            cut.setByte(i, r.byte(i));
        r = cut;
    }
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"bad checksum", QByteArray(text).replace(hex, 1, text[hex] == '0' ? "1" : "0")},
        {"wrong record length", backupJson(shortRecords)},
        {"truncated JSON", text.left(text.size() - 40)},
        {"non-digit quick dial", QByteArray(text).replace("\"1000\"", "\"10a0\"")},
    };
    const QByteArray before = fileBytes(store);
    for (const auto& c : cases) {
        const QString file = scratch("refused.json");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        const QString log = scratch("refused.log");
        LoggedSim sim({"--com", "1", "--no-pace", "--store", store.toStdString()}, log);
        const CliRun r = runCli({"-q", "restore", file});
        sim.stop();
        EXPECT_EQ(r.code, 2) << c.what << ": " << r.err.toStdString();
        for (const QString& command : hostCommands(log))
            EXPECT_TRUE(command.startsWith(QLatin1String("at\\r")) ||
                        command.startsWith(QLatin1String("atq0e1v1i")) ||
                        command.startsWith(QLatin1String("ati")))
                << c.what << " sent " << command.toStdString();
        EXPECT_EQ(fileBytes(store), before) << c.what;
    }
}

TEST_F(CliSim, DiffSaysWhetherThingsDiffer) {
    const QString store = scratch("diff.store");
    distinctStore(store, kLongProfileLength);
    const QString a = scratch("diff-a.json"), b = scratch("diff-b.json");
    test::SimProcess sim({"--com", "1", "--no-pace", "--store", store.toStdString()});
    ASSERT_EQ(runCli({"-q", "backup", a}).code, 0);
    QString error;
    Backup changed = *loadBackup(a, &error);
    changed.records[2].setByte(field::UpperThreshold, 255);
    changed.records[5].setByte(field::UpperThreshold, 255);
    changed.quickDial[3] = "999";
    QFile f(b);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(backupJson(changed));
    f.close();

    EXPECT_EQ(runCli({"diff", a, a}).code, 0);
    const CliRun files = runCli({"diff", a, b});
    EXPECT_EQ(files.code, 1);
    EXPECT_TRUE(files.out.contains(QStringLiteral("data.bod.upper_threshold:")))
        << files.out.toStdString();
    EXPECT_TRUE(files.out.contains(QStringLiteral("-> disabled")));
    EXPECT_TRUE(files.out.contains(QStringLiteral("quick_dial.4: 1333 -> 999")));
    EXPECT_EQ(runCli({"-q", "diff", a}).code, 0) << "the file against the adapter";
    EXPECT_EQ(runCli({"-q", "diff", b, "2"}).code, 1);
    EXPECT_EQ(runCli({"-q", "diff", b, "1"}).code, 0);
    EXPECT_EQ(runCli({"diff", a, scratch("missing.json")}).code, 2);
}

TEST_F(CliSim, ShowsBothRecordLengths) {
    for (const char* firmware : {"2.0", "1.62"}) {
        const bool longRecord = std::string(firmware) == "2.0";
        test::SimProcess sim(
            {"--com", "1", "--no-pace", "--firmware", firmware, "--store",
             scratch(QStringLiteral("show-%1.store").arg(firmware)).toStdString()});
        const CliRun text = runCli({"-q", "show"});
        ASSERT_EQ(text.code, 0) << text.err.toStdString();
        EXPECT_TRUE(text.out.contains(QStringLiteral("data.bod.upper_threshold")));
        EXPECT_TRUE(text.out.contains(QStringLiteral("[Telephone port advanced]")));
        const CliRun json = runCli({"-q", "show", "0", "--json"});
        ASSERT_EQ(json.code, 0) << json.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        EXPECT_EQ(o.value(QStringLiteral("profile")).toString(), QStringLiteral("0"));
        const QJsonObject fields = o.value(QStringLiteral("fields")).toObject();
        EXPECT_TRUE(fields.contains(QStringLiteral("tel.national_prefix")));
        EXPECT_EQ(fields.contains(QStringLiteral("tel.coding_law")), longRecord) << firmware;
        EXPECT_EQ(o.value(QStringLiteral("raw")).toObject().size(), fields.size());
        EXPECT_EQ(o.value(QStringLiteral("quick_dial")).toArray().size(), 4);
    }
}

TEST_F(CliSim, DeviceAndPortChooseTheAdapter) {
    test::SimProcess sim({"--com", "2", "--no-pace", "--line", "115200,8,O,1", "--store",
                          scratch("choose.store").toStdString()});
    const QString device =
        QFileInfo(test::configDir() + QStringLiteral("/dosdevices/com2")).canonicalFilePath();
    const CliRun direct = runCli({"-q", "--device", device, "--line", "115200,8,O,1", "info"});
    EXPECT_EQ(direct.code, 0) << direct.err.toStdString();
    EXPECT_TRUE(direct.out.contains(QStringLiteral("Record length: 326")));
    EXPECT_TRUE(direct.out.contains(QStringLiteral("115200,8,O,1")));
    EXPECT_EQ(runCli({"-q", "--device", device, "--line", "115200,8,N,1", "info"}).code, 3);
    const CliRun port = runCli({"--port", "2", "info"});
    EXPECT_EQ(port.code, 0) << port.err.toStdString();
    EXPECT_TRUE(port.err.contains(QStringLiteral("Detecting COM2")));
    EXPECT_EQ(runCli({"-q", "--port", "3", "info"}).code, 3);
    EXPECT_EQ(runCli({"-q", "--port", "5", "info"}).code, 2);
}

TEST_F(CliSim, CtrlCDuringABackupEndsCleanlyWithoutAFile) {
    test::SimProcess sim({"--com", "1", "--store", scratch("interrupt.store").toStdString()});
    const QString file = scratch("interrupted.json");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(OMNISET_CLI_PATH), {QStringLiteral("backup"), file});
    ASSERT_TRUE(p.waitForStarted());
    // Into the profile reads: interrupted once the second one has begun.
    QByteArray err;
    p.setReadChannel(QProcess::StandardError);
    while (!err.contains("Reading Profile 1") && p.waitForReadyRead(10000))
        err += p.readAllStandardError();
    ASSERT_TRUE(err.contains("Reading Profile 1")) << err.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 130);
    err += p.readAllStandardError();
    EXPECT_TRUE(QString::fromLocal8Bit(err).contains(QStringLiteral("Interrupted")));
    EXPECT_FALSE(QFile::exists(file));
    // The port was let go: the adapter answers the next program at once.
    EXPECT_EQ(runCli({"-q", "info"}).code, 0);
}

TEST(CliLocal, LinkUnlinkAndUsage) {
    const QString link = test::configDir() + QStringLiteral("/dosdevices/com4");
    const QString plainFile = scratch("plain-file");
    QFile(plainFile).open(QIODevice::WriteOnly);
    const struct {
        QStringList args;
        int code;
        const char* says; // on standard output or error
    } steps[] = {
        {{"link", "4", "/dev/null"}, 0, "COM4 -> /dev/null (replaces "},
        {{"link", "4", "/dev/zero"}, 0, "(replaces /dev/null)"},
        {{"link", "4", plainFile}, 2, "not a character device"},
        {{"unlink", "4"}, 0, "removed the link to /dev/zero"},
        {{"unlink", "4"}, 2, "COM4 has no link"},
        {{"link", "5", "/dev/null"}, 2, "1..4"},
        {{"restore", "--help"}, 0, "--dry-run"},
        {{"--help"}, 0, "Exit status:"},
        {{"help"}, 0, "Exit status:"},
        {{"help", "restore"}, 0, "--dry-run"},
        {{"help", "frobnicate"}, 2, "unknown command"},
        {{"--version"}, 0, "omniset-cli 2.0.0\n"},
        {{"show", "7"}, 2, "current or 0..4"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"diff"}, 2, "wrong number of arguments"},
    };
    for (const auto& s : steps) {
        const CliRun r = runCli(s.args);
        EXPECT_EQ(r.code, s.code) << s.args.join(' ').toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(s.says)))
            << s.args.join(' ').toStdString() << ": " << (r.out + r.err).toStdString();
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    test::makePortDangling(4);
}

// The line settings the adapter answered at are remembered in omniset-cli's own section of
// the settings file and tried first next time; the window program's keys stay untouched.
TEST_F(CliSim, TheLineSettingsFoundAreTriedFirstNextTime) {
    const QString settings = platform::configDir() + QStringLiteral("/omniset.INI");
    QFile::remove(settings);
    test::SimProcess sim({"--com", "1", "--line", "115200,8,M,1", "--store",
                          scratch("remember.store").toStdString()});
    const CliRun first = runCli({"info"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(QStringLiteral("without answer"))) << first.err.toStdString();
    const QString ini = QString::fromLatin1(fileBytes(settings));
    EXPECT_TRUE(ini.contains(QStringLiteral("[omniset_cli]"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("parity=3"))) << ini.toStdString();
    EXPECT_FALSE(ini.contains(QStringLiteral("m_paritychk2"))) << ini.toStdString();

    const CliRun second = runCli({"info"});
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    EXPECT_FALSE(second.err.contains(QStringLiteral("without answer"))) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("115200,8,M,1"))) << second.out.toStdString();
}
