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
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <functional>
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

    const CliRun equal = runCli({"diff", a, a});
    EXPECT_EQ(equal.code, 0);
    EXPECT_EQ(equal.out, QString()) << "as diff(1), nothing when equal";
    const CliRun files = runCli({"diff", a, b});
    EXPECT_EQ(files.code, 1);
    EXPECT_FALSE(files.out.contains(QStringLiteral("---")) || files.out.contains(QStringLiteral("+++")))
        << files.out.toStdString();
    EXPECT_TRUE(files.out.contains(QStringLiteral("Profile 2:\n  data.bod.upper_threshold:")))
        << files.out.toStdString();
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

namespace {

// The top-level member names of a --json object in the order they are printed.
QStringList memberOrder(const QString& json) {
    QStringList names;
    static const QRegularExpression member(QStringLiteral("^  \"([a-z_]+)\":"),
                                           QRegularExpression::MultilineOption);
    for (auto it = member.globalMatch(json); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

} // namespace

// Every command that reports has one JSON object on standard output, in a stable order,
// also when it fails (its "error" then carries the exit code, which stays the same).
TEST_F(CliSim, EveryReportHasAJsonForm) {
    const QString store = scratch("json.store");
    distinctStore(store, kLongProfileLength);
    test::SimProcess sim({"--com", "1", "--no-pace", "--store", store.toStdString()});
    const QString a = scratch("json-a.json"), b = scratch("json-b.json");
    QFile::remove(a);
    const QString device =
        QFileInfo(test::configDir() + QStringLiteral("/dosdevices/com1")).canonicalFilePath();
    using Check = std::function<void(const QJsonObject&)>;
    auto str = [](const QJsonObject& o, const char* key) { return o.value(key).toString(); };
    const struct {
        QStringList args;
        int code;
        QStringList order;
        Check check;
    } cases[] = {
        {{"info"}, 0,
         {"firmware", "version", "model", "port_type", "record_length", "port", "device", "line", "error"},
         [&](const QJsonObject& o) {
             EXPECT_EQ(str(o, "firmware"), QStringLiteral("V2.0"));
             EXPECT_TRUE(str(o, "version").startsWith(QStringLiteral("Version ")));
             EXPECT_EQ(o.value("record_length").toInt(), 326);
             EXPECT_EQ(str(o, "port"), QStringLiteral("COM1"));
             EXPECT_EQ(str(o, "device"), device);
             EXPECT_EQ(str(o, "line"), QStringLiteral("115200,8,N,1"));
             EXPECT_TRUE(o.value("error").isNull());
         }},
        {{"backup", a}, 0, {"path", "adapter", "error"},
         [&](const QJsonObject& o) {
             EXPECT_EQ(str(o, "path"), a);
             QString error;
             const auto file = loadBackup(a, &error);
             ASSERT_TRUE(file) << error.toStdString();
             EXPECT_FALSE(file->version.isEmpty());
             EXPECT_EQ(o.value("adapter").toObject().value("version").toString(), file->version);
             // The second file: one field of profile 2 and one number changed.
             Backup changed = *file;
             changed.records[2].setByte(field::UpperThreshold, 255);
             changed.quickDial[3] = "999";
             QFile f(b);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(backupJson(changed));
         }},
        {{"diff", a}, 0, {"equal", "profiles", "quick_dial", "error"},
         [&](const QJsonObject& o) {
             EXPECT_TRUE(o.value("equal").toBool());
             EXPECT_EQ(o.value("profiles").toObject().keys(), QStringList{"current"});
             EXPECT_TRUE(o.value("quick_dial").isNull());
         }},
        {{"diff", a, b}, 1, {"equal", "profiles", "quick_dial", "error"},
         [&](const QJsonObject& o) {
             EXPECT_FALSE(o.value("equal").toBool());
             const QJsonObject p2 = o.value("profiles").toObject().value("2").toObject();
             const QJsonObject change =
                 p2.value("changes").toObject().value("data.bod.upper_threshold").toObject();
             EXPECT_EQ(change.value("after").toString(), QStringLiteral("disabled"));
             EXPECT_TRUE(o.value("profiles").toObject().value("0").toObject().value("changes")
                             .toObject().isEmpty());
             const QJsonObject q = o.value("quick_dial").toObject().value("changes").toObject();
             EXPECT_EQ(q.value("4").toObject().value("before").toString(), QStringLiteral("1333"));
             EXPECT_EQ(q.value("4").toObject().value("after").toString(), QStringLiteral("999"));
             EXPECT_TRUE(o.value("error").isNull());
         }},
        {{"diff", a, scratch("no-such.json")}, 2, {"equal", "profiles", "quick_dial", "error"},
         [&](const QJsonObject& o) {
             EXPECT_TRUE(o.value("equal").isNull());
             EXPECT_EQ(o.value("error").toObject().value("exit").toInt(), 2);
         }},
        {{"ports"}, 0, {"com", "devices", "error"},
         [&](const QJsonObject& o) {
             const QJsonArray com = o.value("com").toArray();
             ASSERT_EQ(com.size(), 4);
             EXPECT_EQ(com[0].toObject().value("device").toString(), device);
             // The tests point the other ports at nothing.
             EXPECT_TRUE(com[3].toObject().value("dangling").toBool());
             EXPECT_TRUE(com[3].toObject().value("device").isNull());
         }},
        {{"clock"}, 0, {"date", "time", "set", "error"},
         [&](const QJsonObject& o) {
             EXPECT_TRUE(o.value("set").toBool());
             EXPECT_FALSE(str(o, "date").isEmpty());
         }},
        {{"factory-reset"}, 2, {"reset", "error"},
         [&](const QJsonObject& o) {
             EXPECT_FALSE(o.value("reset").toBool());
             EXPECT_TRUE(o.value("error").toObject().value("message").toString().contains("--yes"));
         }},
        {{"--port", "3", "info"}, 3,
         {"firmware", "version", "model", "port_type", "record_length", "port", "device", "line", "error"},
         [&](const QJsonObject& o) {
             EXPECT_TRUE(o.value("firmware").isNull());
             EXPECT_FALSE(o.value("error").toObject().value("message").toString().isEmpty());
         }},
        {{"show", "7"}, 2, {"profile", "error"},
         [&](const QJsonObject& o) { EXPECT_EQ(o.value("error").toObject().value("exit").toInt(), 2); }},
        {{"info", "--port", "9"}, 2, {"error"},
         [&](const QJsonObject& o) {
             EXPECT_TRUE(o.value("error").toObject().value("message").toString().contains("--port"));
         }},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(QStringList{"-q"} + c.args + QStringList{"--json"});
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what << ": " << r.err.toStdString();
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &pe);
        ASSERT_EQ(pe.error, QJsonParseError::NoError) << what << ": " << r.out.toStdString();
        EXPECT_EQ(memberOrder(r.out), c.order) << what << ": " << r.out.toStdString();
        c.check(doc.object());
    }
}

// backup checks where it writes before it touches the adapter (none runs here: a search would
// say "Detecting"); only the default backups folder is ever created.
TEST(CliLocal, BackupChecksItsFileFirst) {
    const struct {
        const char* what;
        QString path;
        const char* says;
    } cases[] = {
        {"a missing folder", scratch("no-such-folder/b.json"), "No such folder"},
        {"a folder", scratch(QString()), "Is a folder"},
        {"a place that takes no file", QStringLiteral("/proc/omniset-backup.json"), "Cannot write in the folder /proc"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({"backup", c.path});
        EXPECT_EQ(r.code, 2) << c.what;
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << c.what << ": " << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("Detecting"))) << c.what;
    }
    EXPECT_FALSE(QFileInfo::exists(scratch("no-such-folder")));
}

namespace {

// omniset-cli with its standard output on the write end of a pipe whose read end is closed,
// or on /dev/full: the exit code and standard error.
CliRun runIntoBrokenOutput(const QStringList& args, bool closedPipe) {
    int fds[2];
    if (closedPipe) {
        EXPECT_EQ(::pipe(fds), 0);
        ::close(fds[0]);
    } else {
        fds[1] = ::open("/dev/full", O_WRONLY);
    }
    QProcess p;
    p.setProcessEnvironment(test::cliEnvironment());
    p.setStandardOutputFile(QStringLiteral("/dev/null"));
    p.setChildProcessModifier([fd = fds[1]] { ::dup2(fd, 1); });
    p.start(QStringLiteral(OMNISET_CLI_PATH), args);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    ::close(fds[1]);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, {},
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

// Output that never arrived is an error (exit 5), never a silent success; backup - writes the
// file itself to standard output.
TEST_F(CliSim, OutputThatCannotBeWrittenIsAnError) {
    for (bool closedPipe : {true, false}) {
        const CliRun r = runIntoBrokenOutput({"ports", "--json"}, closedPipe);
        EXPECT_EQ(r.code, 5) << closedPipe;
        EXPECT_TRUE(r.err.contains(QStringLiteral("cannot write to standard output")))
            << r.err.toStdString();
    }
    test::SimProcess sim({"--com", "1", "--no-pace", "--store", scratch("stdout.store").toStdString()});
    const CliRun r = runCli({"-q", "backup", "-"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QString error;
    EXPECT_TRUE(parseBackup(r.out.toUtf8(), &error)) << error.toStdString();
}
