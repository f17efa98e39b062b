// omniset-cli apply, and restore and set on the same rules, as a child process against
// kx220-sim on a real pty: only differences written, read back, rolled back on failure.
#include "cli/backup_file.h"
#include "cli_run.h"
#include "core/record/profile_layout.h"
#include "profile_store.h"
#include "pty_pair.h"
#include "sim_store.h"
#include "sim_process.h"
#include "test_env.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <set>

using namespace omniset;

namespace {

using test::CliRun;
using test::differing;
using test::fileBytes;
using test::loadedStore;
using test::runCli;
using test::simArgs;

// The number every saved store of these tests holds in quick-dial slot 1.
const std::string kStoredNumber = "5550101";

kx220sim::ProfileStore savedStore(const QString& path, int length) {
    return test::savedStore(path, length, kStoredNumber);
}

QString scratch(const QString& name) {
    return test::scratchFile(QStringLiteral("cli-apply"), name);
}

QString writeFile(const QString& name, const QByteArray& text) {
    const QString path = scratch(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    return path;
}

QJsonObject jsonOf(const CliRun& r) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << "not one JSON object: " << r.out.toStdString();
    return o;
}

QString resultOf(const QJsonObject& o, const char* profile) {
    return o.value("profiles").toObject().value(profile).toObject().value("result").toString();
}

class CliApplySim : public ::testing::Test {
  protected:
    void TearDown() override { test::makePortDangling(1); }
};

const QByteArray kPartial = R"({"format": "omniset-config", "version": 1,
  "profiles": {"current": {"data.bod.upper_threshold": 48, "tel1.msn": "4711"},
               "2": {"data.async.parity": "even"}},
  "quick_dial": {"2": "5550123"}})";

} // namespace

TEST_F(CliApplySim, APartialFileChangesItsFieldsOnlyAndASecondRunWritesNothing) {
    const QString store = scratch("partial.store");
    const auto before = savedStore(store, kLongProfileLength);
    const QByteArray stored = fileBytes(store);
    const QString file = writeFile("partial.json", kPartial);
    test::SimProcess sim(simArgs(store));

    const CliRun check = runCli({"-q", "apply", file, "--check"});
    EXPECT_EQ(check.code, 1) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("Profile 2: would change"))) << check.out.toStdString();
    EXPECT_EQ(fileBytes(store), stored) << "--check writes nothing";

    // From standard input, with the JSON object on standard output.
    const CliRun first = runCli({"-q", "apply", "-", "--json"}, file);
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    const QJsonObject o = jsonOf(first);
    EXPECT_TRUE(o.value("changed").toBool());
    EXPECT_EQ(o.value("profiles").toObject().keys(), (QStringList{"2", "current"}));
    EXPECT_EQ(resultOf(o, "current"), "written");
    EXPECT_EQ(o.value("quick_dial").toObject().value("result").toString(), "written");
    EXPECT_TRUE(o.value("error").isNull());
    const QJsonObject threshold = o.value("profiles").toObject().value("current").toObject()
                                      .value("changes").toObject().value("data.bod.upper_threshold").toObject();
    EXPECT_EQ(threshold.value("before").toString(), "disabled");
    EXPECT_EQ(threshold.value("after").toInt(), 48);
    EXPECT_TRUE(first.err.contains(QStringLiteral("written and verified")));

    const QByteArray afterFirst = fileBytes(store);
    const CliRun second = runCli({"-q", "apply", file});
    EXPECT_EQ(second.code, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("Nothing written"))) << second.out.toStdString();
    EXPECT_FALSE(second.out.contains(QStringLiteral("written and verified")));
    EXPECT_EQ(runCli({"-q", "apply", file, "--check"}).code, 0);
    sim.stop();
    EXPECT_EQ(fileBytes(store), afterFirst) << "the second run wrote something";

    const auto after = loadedStore(store);
    const auto& current = after.record(kx220sim::kCurrentProfile);
    for (int offset : differing(before.record(kx220sim::kCurrentProfile), current))
        EXPECT_TRUE(offset == field::UpperThreshold || (offset >= field::Tel1Msn && offset < field::Tel1Msn + 16))
            << "offset " << offset;
    EXPECT_EQ(current[field::UpperThreshold], 96);
    EXPECT_EQ(std::string(current.begin() + field::Tel1Msn, current.begin() + field::Tel1Msn + 5),
              std::string("4711\0", 5));
    EXPECT_EQ(differing(before.record(2), after.record(2)), std::set<int>{field::AsyncParity});
    for (int p : {0, 1, 3, 4})
        EXPECT_EQ(after.record(p), before.record(p)) << "profile " << p;
    EXPECT_EQ(after.quickDial(0), "5550101");
    EXPECT_EQ(after.quickDial(1), "5550123");
}

TEST_F(CliApplySim, AFailureAtTheSecondOfThreeWritesLeavesEveryProfileAsItWas) {
    const QString store = scratch("rollback.store");
    const auto before = savedStore(store, kLongProfileLength);
    const QString file = writeFile("rollback.json", R"({"format": "omniset-config", "version": 1,
      "profiles": {"current": {"tel1.msn": "4711"}, "0": {"data.async.parity": "even"},
                   "2": {"tel2.clir": true}}})");
    auto args = simArgs(store);
    args.insert(args.end(), {"--fault-store-changed", "2"});
    test::SimProcess sim(args);
    const CliRun r = runCli({"-q", "apply", file, "--json"});
    sim.stop();
    EXPECT_EQ(r.code, 4) << r.err.toStdString();
    const QJsonObject o = jsonOf(r);
    EXPECT_FALSE(o.value("changed").toBool());
    EXPECT_EQ(resultOf(o, "0"), "rolled back");
    EXPECT_EQ(resultOf(o, "2"), "failed");
    EXPECT_EQ(resultOf(o, "current"), "unchanged");
    EXPECT_EQ(o.value("error").toObject().value("exit").toInt(), 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Read back differs: Profile 2"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Rolled back: Profile 2, Profile 0")));
    const auto after = loadedStore(store);
    for (int p = 0; p < kx220sim::kProfileCount; ++p)
        EXPECT_EQ(after.record(p), before.record(p)) << "profile " << p;
}

TEST_F(CliApplySim, AFileWithAnyMistakeWritesNothingAndListsThemAll) {
    const QString store = scratch("mistakes.store");
    savedStore(store, kShortProfileLength);
    const QByteArray stored = fileBytes(store);
    test::SimProcess sim(simArgs(store, "1.62"));
    const struct {
        const char* what;
        QByteArray current; // the current configuration's object
        QStringList says;
    } cases[] = {
        {"unknown name", R"({"data.bogus": 1})", {"data.bogus=1: no such field"}},
        {"wrong type", R"({"data.check_dtr": "yes"})", {"wrong type: true or false"}},
        {"invalid value", R"({"data.bod.upper_threshold": 200})", {"between 1 and 127"}},
        {"combination", R"({"data.sync.baud": 9600})", {"synchronous mode only"}},
        {"past the end", R"({"tel.coding_law": "a_law"})", {"past the end of the 314-byte record"}},
        {"all at once", R"({"data.bogus": 1, "tel1.msn": "47x", "data.async.parity": 1})",
         {"data.bogus", "MSN should be numerical", "data.async.parity=1: wrong type"}},
    };
    for (const auto& c : cases) {
        const QString file = writeFile("mistake.json", R"({"format": "omniset-config", "version": 1,
            "profiles": {"0": {"tel2.clir": true}, "current": )" + c.current + "}}");
        const CliRun r = runCli({"-q", "apply", file});
        EXPECT_EQ(r.code, 2) << c.what << ": " << r.err.toStdString();
        for (const QString& s : c.says)
            EXPECT_TRUE(r.err.contains(s)) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("nothing was written"))) << c.what;
    }
    EXPECT_EQ(runCli({"-q", "apply", writeFile("broken.json", "{\"format\": ")}).code, 2);
    sim.stop();
    EXPECT_EQ(fileBytes(store), stored);
}

TEST_F(CliApplySim, RestoreWritesOnlyWhatDiffersAndRefusesEditedFields) {
    const QString store = scratch("restore.store");
    savedStore(store, kLongProfileLength);
    const QString backup = scratch("restore.json");
    test::SimProcess sim(simArgs(store));
    ASSERT_EQ(runCli({"-q", "backup", backup}).code, 0);

    const QByteArray stored = fileBytes(store);
    const CliRun same = runCli({"-q", "restore", backup});
    EXPECT_EQ(same.code, 0) << same.err.toStdString();
    EXPECT_EQ(same.out.count(QStringLiteral(": unchanged")), 7) << same.out.toStdString();
    EXPECT_TRUE(same.out.contains(QStringLiteral("Nothing written")));
    EXPECT_EQ(fileBytes(store), stored);

    ASSERT_EQ(runCli({"-q", "set", "--profile", "3", "tel1.msn=99"}).code, 0);
    const CliRun one = runCli({"-q", "restore", backup, "--json"});
    EXPECT_EQ(one.code, 0) << one.err.toStdString();
    const QJsonObject o = jsonOf(one);
    EXPECT_EQ(resultOf(o, "3"), "written");
    EXPECT_EQ(resultOf(o, "current"), "unchanged");
    EXPECT_EQ(o.value("quick_dial").toObject().value("result").toString(), "unchanged");
    EXPECT_EQ(fileBytes(store), stored);

    // Edited fields: restore would write the hex and lose them; apply writes them.
    QByteArray text = fileBytes(backup);
    text.replace("\"tel1.msn\": \"5550101\"", "\"tel1.msn\": \"5550199\"");
    const QString edited = writeFile("restore-edited.json", text);
    const CliRun refused = runCli({"-q", "restore", edited});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("current: tel1.msn"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("omniset-cli apply ") + edited));
    EXPECT_EQ(fileBytes(store), stored);
}

TEST_F(CliApplySim, A314ByteBackupIsAppliedOntoA326ByteAdapter) {
    const QString store = scratch("upgrade.store");
    savedStore(store, kShortProfileLength);
    const QString backup = scratch("upgrade.json");
    {
        test::SimProcess sim(simArgs(store, "1.62"));
        ASSERT_EQ(runCli({"-q", "set", "data.bod.upper_threshold=48", "tel.national_prefix=010"}).code, 0);
        ASSERT_EQ(runCli({"-q", "backup", backup}).code, 0);
    }
    // The upgraded adapter keeps its records and has new fields; then they are changed.
    test::SimProcess sim(simArgs(store, "2.0"));
    ASSERT_EQ(runCli({"-q", "set", "data.bod.upper_threshold=64", "tel.coding_law=mu_law",
                      "tel.national_prefix=0049"})
                  .code,
              0);
    const CliRun restore = runCli({"-q", "restore", backup});
    EXPECT_EQ(restore.code, 2);
    EXPECT_TRUE(restore.err.contains(QStringLiteral("omniset-cli apply %1 restores its fields").arg(backup)))
        << restore.err.toStdString();
    const CliRun apply = runCli({"-q", "apply", backup});
    EXPECT_EQ(apply.code, 0) << apply.err.toStdString();
    sim.stop();
    const auto current = loadedStore(store).record(kx220sim::kCurrentProfile);
    EXPECT_EQ(current[field::UpperThreshold], 96);
    EXPECT_EQ(std::string(current.begin() + field::NationalPrefix, current.begin() + field::NationalPrefix + 4),
              std::string("010\0", 4));
    EXPECT_EQ(current[field::CodingLaw], 1) << "a field the backup lacks keeps the adapter's value";
}

TEST_F(CliApplySim, SynchronousModeIsWrittenOnlyWhenConfirmed) {
    const QString store = scratch("sync.store");
    savedStore(store, kLongProfileLength);
    const QByteArray stored = fileBytes(store);
    const QString file = writeFile("sync.json", R"({"format": "omniset-config", "version": 1,
      "profiles": {"current": {"data.serial_mode": "sync"}}})");
    test::SimProcess sim(simArgs(store));
    const struct {
        const char* what;
        QStringList args;
        std::optional<std::string> terminal; // typed on a terminal; none: no terminal
        int code;
    } refused[] = {
        {"apply, no terminal", {"-q", "apply", file}, std::nullopt, 2},
        {"set, no terminal", {"-q", "set", "data.serial_mode=sync"}, std::nullopt, 2},
        {"apply, answered no", {"-q", "apply", file}, "n\n", 2},
    };
    for (const auto& c : refused) {
        std::optional<test::PtyPair> pty;
        if (c.terminal) {
            pty.emplace();
            pty->writeMaster(*c.terminal);
        }
        const CliRun r = runCli(c.args, pty ? pty->slavePath() : QString());
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.terminal ? QStringLiteral("NOTICE:") : QStringLiteral("--yes")))
            << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(fileBytes(store), stored) << c.what;
    }
    const CliRun yes = runCli({"-q", "apply", file, "--yes"});
    EXPECT_EQ(yes.code, 0) << yes.err.toStdString();
    sim.stop();
    EXPECT_EQ(loadedStore(store).record(kx220sim::kCurrentProfile)[field::SerialMode], 1);
}
