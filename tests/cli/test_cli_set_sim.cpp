// omniset-cli set, clock and factory-reset as a child process, without a display, against
// kx220-sim on a real pty.
#include "cli_run.h"
#include "core/record/profile_layout.h"
#include "factory_record.h"
#include "profile_store.h"
#include "pty_pair.h"
#include "sim_store.h"
#include "sim_process.h"
#include "test_env.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <optional>
#include <set>

using namespace omniset;

namespace {

using test::CliRun;
using test::differing;
using test::fileBytes;
using test::loadedStore;
using test::runCli;
using test::savedStore;
using test::simArgs;

QString scratch(const QString& name) {
    return test::scratchFile(QStringLiteral("cli-set"), name);
}

class CliSetSim : public ::testing::Test {
  protected:
    void TearDown() override { test::makePortDangling(1); }
};

} // namespace

TEST_F(CliSetSim, ClockSetsThePcsDateAndTime) {
    test::SimProcess sim(simArgs(scratch("clock.store")));
    const QDate today = QDate::currentDate();
    const CliRun r = runCli({"-q", "clock"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("Date: %1-%2-%3").arg(today.month()).arg(today.day()).arg(today.year())))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Time: ")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Set date and time successfully！")));
}

TEST_F(CliSetSim, FactoryResetAsksOnATerminalAndRefusesWithoutOne) {
    const QString store = scratch("reset.store");
    const auto factory = kx220sim::factoryRecord(kLongProfileLength);
    const struct {
        const char* what;
        QStringList args;
        std::optional<std::string> terminal; // what is typed on a terminal; none: a pipe
        int code;
        bool reset;
        const char* says;
    } cases[] = {
        {"no terminal", {"-q", "factory-reset"}, std::nullopt, 2, false, "give --yes"},
        {"--yes", {"-q", "factory-reset", "--yes"}, std::nullopt, 0, true,
         "Restoring KX220 factory settings is successful,\nplease restart Omniset!\n"
         "(omniset-cli needs no restart; omniset-cli show lists the factory settings.)"},
        {"answered no", {"-q", "factory-reset"}, "n\n", 0, false, "Cancelled"},
        {"answered yes", {"-q", "factory-reset"}, "y\n", 0, true,
         "Are you sure to restore the factory settings of KX220?"},
    };
    for (const auto& c : cases) {
        savedStore(store, kLongProfileLength);
        test::SimProcess sim(simArgs(store));
        std::optional<test::PtyPair> pty;
        if (c.terminal) {
            pty.emplace();
            pty->writeMaster(*c.terminal);
        }
        const CliRun r = runCli(c.args, pty ? pty->slavePath() : QString());
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.says)))
            << c.what << ": " << (r.out + r.err).toStdString();
        sim.stop();
        const auto current = loadedStore(store, kLongProfileLength).record(kx220sim::kCurrentProfile);
        EXPECT_EQ(current == factory, c.reset) << c.what;
    }
}

TEST_F(CliSetSim, SetChangesOneFieldOfEachWindowAndNoOtherByte) {
    const QString store = scratch("set.store");
    const auto before = savedStore(store, kLongProfileLength);
    test::SimProcess sim(simArgs(store));
    const CliRun r = runCli({"-q", "set", "data.bod.upper_threshold=48", "data.async.parity=even",
                             "tel2.clir=true", "tel.coding_law=mu_law", "quick_dial.2=5550123"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("data.bod.upper_threshold: disabled -> 48 kbit/s")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("data.async.parity: none -> even")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("written and verified")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Quick dial: stored and verified")));
    sim.stop();
    const auto after = loadedStore(store, kLongProfileLength);
    const auto& was = before.record(kx220sim::kCurrentProfile);
    const auto& now = after.record(kx220sim::kCurrentProfile);
    EXPECT_EQ(differing(was, now),
              (std::set<int>{field::UpperThreshold, field::AsyncParity, field::Tel2Clir,
                             field::CodingLaw}));
    EXPECT_EQ(now[field::UpperThreshold], 96);
    EXPECT_EQ(now[field::AsyncParity], 1);
    EXPECT_EQ(now[field::Tel2Clir], 1);
    EXPECT_EQ(now[field::CodingLaw], 1);
    for (int p = 0; p < kx220sim::kCurrentProfile; ++p)
        EXPECT_EQ(after.record(p), before.record(p)) << "profile " << p;
    EXPECT_EQ(after.quickDial(1), "5550123");
    EXPECT_EQ(after.quickDial(0), before.quickDial(0));
}

TEST_F(CliSetSim, AStoredProfileIsChangedAlone) {
    const QString store = scratch("profile.store");
    const auto before = savedStore(store, kLongProfileLength);
    test::SimProcess sim(simArgs(store));
    const CliRun r = runCli({"-q", "set", "--profile", "2", "tel1.msn=4711"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    sim.stop();
    const auto after = loadedStore(store, kLongProfileLength);
    for (int p = 0; p < kx220sim::kProfileCount; ++p) {
        if (p != 2) {
            EXPECT_EQ(after.record(p), before.record(p)) << "profile " << p;
        }
    }
    const auto& two = after.record(2);
    EXPECT_EQ(std::string(two.begin() + field::Tel1Msn, two.begin() + field::Tel1Msn + 5),
              std::string("4711\0", 5));
}

TEST_F(CliSetSim, InvalidValuesAndDryRunWriteNothing) {
    const QString store = scratch("invalid.store");
    savedStore(store, kLongProfileLength);
    const QByteArray stored = fileBytes(store);
    test::SimProcess sim(simArgs(store));
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"set", "data.bod.upper_threshold=200"}, 2, "between 1 and 127"},
        {{"set", "data.async.parity=odd", "tel1.msn=55x"}, 2, "MSN should be numerical"},
        {{"set", "tel2.uus=abcdefghijklmnopq"}, 2, "no more than 16 characters"},
        {{"set", "data.sync.baud=9600"}, 2, "synchronous mode only"},
        {{"set", "quick_dial.1=12a"}, 2, "digits only"},
        {{"set", "data.bod.upper_threshold=48", "--dry-run"}, 0, "dry run: nothing written"},
        {{"set", "tel1.msn=5551234", "--profile", "quick_dial"}, 2, "current or 0..4"},
        {{"set", "data.uus=über", "--profile", "1"}, 0, "written and verified"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(QStringList{"-q"} + c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.says)))
            << c.args.join(' ').toStdString() << ": " << (r.out + r.err).toStdString();
        if (c.code || c.args.contains(QStringLiteral("--dry-run"))) {
            EXPECT_EQ(fileBytes(store), stored) << c.args.join(' ').toStdString();
        }
    }
    // A Latin-1 letter is one byte of the record; a character beyond it is refused.
    sim.stop();
    const auto one = loadedStore(store, kLongProfileLength).record(1);
    EXPECT_EQ(one[field::DataUus], 0xFC);
    EXPECT_EQ(runCli({"-q", "set", "data.uus=中"}).code, 2);
}

TEST_F(CliSetSim, A314ByteRecordRefusesFieldsPastItsEnd) {
    const QString store = scratch("short.store");
    savedStore(store, kShortProfileLength);
    const QByteArray stored = fileBytes(store);
    test::SimProcess sim(simArgs(store, "1.62"));
    for (const char* field : {"tel.coding_law=a_law", "tel.international_prefix=00",
                              "tel.national_prefix=0086"}) {
        const CliRun r = runCli({"-q", "set", field});
        EXPECT_EQ(r.code, 2) << field;
        EXPECT_TRUE(r.err.contains(QStringLiteral("past the end of the 314-byte record")) ||
                    r.err.contains(QStringLiteral("no more than 3 characters")))
            << field << ": " << r.err.toStdString();
    }
    EXPECT_EQ(fileBytes(store), stored);
    const CliRun r = runCli({"-q", "set", "tel.national_prefix=010"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    sim.stop();
    const auto current = loadedStore(store, kShortProfileLength).record(kx220sim::kCurrentProfile);
    ASSERT_EQ(current.size(), static_cast<std::size_t>(kShortProfileLength));
    EXPECT_EQ(std::string(current.begin() + field::NationalPrefix, current.end()),
              std::string("010\0", 4));
}
