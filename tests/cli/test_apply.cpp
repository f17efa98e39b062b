// omniset-cli apply's parts in-process: the desired-configuration file, the transaction
// against a fake adapter (write order, read-back, rollback), the --json object, and the
// backup's fields checked against its hex.
#include "cli/backup_file.h"
#include "cli/desired_config.h"
#include "cli/field_edit.h"
#include "cli/transaction.h"
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "factory_record.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace omniset;
using namespace omniset::cli;

namespace {

ProfileRecord factory(int length = kLongProfileLength) {
    const auto bytes = kx220sim::factoryRecord(length);
    ProfileRecord r(length);
    for (int i = 0; i < length; ++i)
        r.setByte(i, bytes[static_cast<std::size_t>(i)]);
    return r;
}

ProfileRecord with(ProfileRecord r, int offset, int value) {
    r.setByte(offset, value);
    return r;
}

std::optional<DesiredConfig> parse(const char* json, QStringList* problems) {
    LanguageMode = 1;
    return parseDesired(QByteArray(json), problems);
}

// An adapter in memory whose writes can be refused, left unacknowledged or stored changed.
class FakeAdapter : public RecordAccess {
  public:
    enum class Fault { None, NoAckStored, NoAckNotStored, StoredChanged, Unreadable };

    std::map<int, ProfileRecord> records;
    QuickDialNumbers numbers;
    std::map<int, Fault> faultAtWrite; // by the ordinal of the write, from 1
    bool quickStoreFails = false;
    int writes = 0;
    std::vector<int> order; // profiles written, -1 for the numbers
    bool gone = false;

    std::optional<ProfileRecord> read(int profile) override {
        if (gone) return std::nullopt;
        return records.at(profile);
    }
    bool write(int profile, const ProfileRecord& record) override {
        order.push_back(profile);
        const auto it = faultAtWrite.find(++writes);
        const Fault f = it == faultAtWrite.end() ? Fault::None : it->second;
        if (gone) return false;
        switch (f) {
        case Fault::None: records[profile] = record; return true;
        case Fault::NoAckStored: records[profile] = record; return false;
        case Fault::NoAckNotStored: return false;
        case Fault::StoredChanged:
            records[profile] = with(record, 0, record.byte(0) ^ 1);
            return true;
        case Fault::Unreadable:
            records[profile] = record;
            gone = true;
            return true;
        }
        return false;
    }
    QuickDialNumbers readQuickDial() override { return numbers; }
    void storeQuickDial(const QuickDialNumbers& n, const std::array<bool, 4>& which) override {
        order.push_back(-1);
        ++writes;
        if (quickStoreFails) {
            quickStoreFails = false; // the rollback's store goes through
            numbers[0] = "9";
            return;
        }
        for (std::size_t i = 0; i < which.size(); ++i)
            if (which[i]) numbers[i] = n[i];
    }
};

// Three profiles that change (0, 2, current) and one that does not (1).
Plan threeChanges(const FakeAdapter& a) {
    Plan plan;
    plan.profiles.push_back({kCurrentProfile, a.records.at(kCurrentProfile),
                             with(a.records.at(kCurrentProfile), field::UpperThreshold, 96)});
    plan.profiles.push_back({0, a.records.at(0), with(a.records.at(0), field::AsyncParity, 1)});
    plan.profiles.push_back({1, a.records.at(1), a.records.at(1)});
    plan.profiles.push_back({2, a.records.at(2), with(a.records.at(2), field::Tel2Clir, 1)});
    return plan;
}

FakeAdapter factoryAdapter() {
    FakeAdapter a;
    for (int p : {0, 1, 2, 3, 4, kCurrentProfile})
        a.records[p] = factory();
    a.numbers = {"1", "", "", ""};
    return a;
}

QString scratchDir(const QString& name) {
    const QString dir = test::scratchRoot() + QStringLiteral("/apply-") + name;
    QDir(dir).removeRecursively();
    return dir;
}

} // namespace

TEST(DesiredConfig, EveryWrongEntryIsListedAndTheRestKept) {
    QStringList problems;
    const auto c = parse(R"({"format": "omniset-config", "version": 1, "extra": 1,
        "profiles": {"current": {"tel1.msn": "4711"}, "7": {}, "2": [1]},
        "quick_dial": {"1": "5550101", "5": "1", "3": 12, "4": "12a"}})",
                         &problems);
    ASSERT_TRUE(c);
    EXPECT_EQ(problems, (QStringList{"extra: unknown key (format, version, profiles, quick_dial)",
                                     "profiles: 2: not an object",
                                     "profiles: 7: not current or 0..4",
                                     "quick_dial.3=12: a string", "quick_dial.4=12a: digits only",
                                     "quick_dial: 5: not 1..4"}))
        << problems.join('\n').toStdString();
    ASSERT_EQ(c->profiles.size(), 1u);
    EXPECT_EQ(c->profiles.at(kCurrentProfile).front().name, "tel1.msn");
    EXPECT_EQ(c->quickDial[0], std::optional<std::string>("5550101"));
    EXPECT_FALSE(c->quickDial[1]);
}

TEST(DesiredConfig, UnusableFilesAreRefusedWhole) {
    for (const char* text : {"{", "[1]", R"({"format": "other", "version": 1})",
                             R"({"format": "omniset-config", "version": 2})"}) {
        QStringList problems;
        EXPECT_FALSE(parse(text, &problems)) << text;
        EXPECT_EQ(problems.size(), 1) << text;
    }
}

TEST(DesiredConfig, ABackupGivesItsFieldsAndNumbersNotItsHex) {
    Backup b;
    b.recordLength = kShortProfileLength;
    for (auto& r : b.records)
        r = factory(kShortProfileLength);
    b.records[2] = with(b.records[2], field::UpperThreshold, 96);
    b.quickDial = {"1", "22", "", "4"};
    // The hex says 48 kbit/s in profile 2; the fields, edited, say 40.
    QByteArray json = backupJson(b);
    const int at = json.indexOf("\"2\": {");
    json.replace(json.indexOf("\"data.bod.upper_threshold\": 48", at), 30,
                 "\"data.bod.upper_threshold\": 40");
    QStringList problems;
    const auto c = parseDesired(json, &problems);
    ASSERT_TRUE(c) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_TRUE(c->fromBackup);
    EXPECT_EQ(c->profiles.size(), 6u);
    const auto& two = c->profiles.at(2);
    const auto it = std::find_if(two.begin(), two.end(),
                                 [](const DesiredValue& v) { return v.name == "data.bod.upper_threshold"; });
    ASSERT_NE(it, two.end());
    EXPECT_EQ(it->value.toInt(), 40);
    EXPECT_EQ(c->quickDial[1], std::optional<std::string>("22"));
    EXPECT_EQ(c->quickDial[2], std::optional<std::string>(""));
    // A short record has no coding law: the backup names none.
    EXPECT_TRUE(std::none_of(two.begin(), two.end(),
                             [](const DesiredValue& v) { return v.name == "tel.coding_law"; }));

    // Restore refuses the edited backup, naming the field.
    QString error;
    const auto parsed = parseBackup(json, &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(fieldsDisagreeingWithHex(*parsed), QStringList{"2: data.bod.upper_threshold"});
    EXPECT_TRUE(fieldsDisagreeingWithHex(*parseBackup(backupJson(b), &error)).isEmpty());
}

TEST(DesiredConfig, OnlyValuesThatDifferBecomeAssignments) {
    LanguageMode = 1;
    const ProfileRecord r = factory(); // upper threshold 56, parity none, sync baud 64000
    const struct {
        const char* name;
        QJsonValue value;
        const char* assigned; // nothing: no assignment
        const char* problem;  // nothing: none
    } cases[] = {
        {"data.bod.upper_threshold", 56, nullptr, nullptr},
        {"data.bod.upper_threshold", 48, "48", nullptr},
        {"data.bod.upper_threshold", "disabled", "disabled", nullptr},
        {"data.async.parity", "none", nullptr, nullptr},
        {"data.async.parity", "even", "even", nullptr},
        {"data.async.parity", 2, nullptr, "data.async.parity=2: wrong type: a string"},
        {"data.async.baud", "9600", nullptr, "wrong type: a number"},
        {"data.check_dtr", "true", nullptr, "wrong type: true or false"},
        {"tel1.msn", 4711, nullptr, "wrong type: a string"},
        {"tel1.msn", QString::fromUtf8("中"), nullptr, "holds a character the record cannot hold"},
        {"data.sync.baud", 64000, nullptr, nullptr}, // disabled on the page, but no change
        {"no.such", 1, nullptr, "no.such=1: no such field"},
    };
    for (const auto& c : cases) {
        QStringList problems;
        const auto out = assignmentsFor(r, {{c.name, c.value}}, &problems);
        const std::string what = std::string(c.name) + " " +
                                 QJsonDocument(QJsonArray{c.value}).toJson(QJsonDocument::Compact).toStdString();
        if (c.assigned) {
            ASSERT_EQ(out.size(), 1u) << what;
            EXPECT_EQ(out[0].value, c.assigned) << what;
        } else {
            EXPECT_TRUE(out.empty()) << what;
        }
        if (c.problem) {
            ASSERT_EQ(problems.size(), 1) << what;
            EXPECT_TRUE(problems[0].contains(QString::fromUtf8(c.problem))) << problems[0].toStdString();
        } else {
            EXPECT_TRUE(problems.isEmpty()) << what << ": " << problems.join('\n').toStdString();
        }
    }
}

TEST(Transaction, OnlyChangesAreWrittenStoredProfilesFirstCurrentLast) {
    LanguageMode = 1;
    FakeAdapter a = factoryAdapter();
    Plan plan = threeChanges(a);
    plan.quick = QuickStep{a.numbers, {"1", "555", "", ""}};
    QString message;
    EXPECT_EQ(runPlan(a, plan, {"apply", scratchDir("order")}, &message), 0);
    EXPECT_EQ(a.order, (std::vector<int>{0, 2, -1, kCurrentProfile}));
    EXPECT_EQ(a.records.at(kCurrentProfile).byte(field::UpperThreshold), 96);
    EXPECT_EQ(a.numbers[1], "555");
    EXPECT_EQ(plan.profiles[2].result, StepResult::Unchanged);
    EXPECT_EQ(plan.profiles[0].result, StepResult::Written);
    EXPECT_TRUE(plan.changed());
}

TEST(Transaction, AFailedWriteLeavesEveryRecordAsItWas) {
    LanguageMode = 1;
    using F = FakeAdapter::Fault;
    const struct {
        const char* what;
        F fault;         // at the second of three writes (profile 2)
        bool rewritesIt; // the failed profile is written back too
    } cases[] = {
        {"read back differs", F::StoredChanged, true},
        {"not acknowledged, stored", F::NoAckStored, true},
        {"not acknowledged, not stored", F::NoAckNotStored, false},
    };
    // The rollback's own acknowledgement lost: its read-back shows it done.
    {
        FakeAdapter a = factoryAdapter();
        const auto before = a.records;
        a.faultAtWrite = {{2, F::StoredChanged}, {3, F::NoAckStored}};
        Plan plan = threeChanges(a);
        QString message;
        EXPECT_EQ(runPlan(a, plan, {"apply", scratchDir("fail")}, &message), 4);
        EXPECT_EQ(a.records, before);
        EXPECT_EQ(plan.profiles[1].result, StepResult::RolledBack);
        EXPECT_TRUE(message.contains(QStringLiteral("everything was rolled back"))) << message.toStdString();
    }
    for (const auto& c : cases) {
        FakeAdapter a = factoryAdapter();
        const auto before = a.records;
        a.faultAtWrite[2] = c.fault;
        Plan plan = threeChanges(a);
        QString message;
        EXPECT_EQ(runPlan(a, plan, {"apply", scratchDir("fail")}, &message), 4) << c.what;
        EXPECT_EQ(a.records, before) << c.what;
        // Profile 0, then profile 2 which fails; then back, newest first.
        const std::vector<int> expected =
            c.rewritesIt ? std::vector<int>{0, 2, 2, 0} : std::vector<int>{0, 2, 0};
        EXPECT_EQ(a.order, expected) << c.what;
        EXPECT_EQ(plan.profiles[1].result, StepResult::RolledBack) << c.what; // profile 0
        EXPECT_EQ(plan.profiles[3].result, StepResult::Failed) << c.what;     // profile 2
        EXPECT_EQ(plan.profiles[0].result, StepResult::Unchanged) << c.what;  // never reached
        EXPECT_FALSE(plan.changed()) << c.what;
        EXPECT_TRUE(message.contains(QStringLiteral("everything was rolled back"))) << message.toStdString();
        EXPECT_FALSE(QDir(scratchDir("fail")).exists()) << "no earlier-state file is needed";
    }
}

TEST(Transaction, AFailedQuickDialStoreRollsBackTheProfilesBeforeIt) {
    LanguageMode = 1;
    FakeAdapter a = factoryAdapter();
    const auto before = a.records;
    const QuickDialNumbers numbers = a.numbers;
    a.quickStoreFails = true;
    Plan plan = threeChanges(a);
    plan.quick = QuickStep{a.numbers, {"1", "555", "", ""}};
    QString message;
    EXPECT_EQ(runPlan(a, plan, {"apply", scratchDir("quick")}, &message), 4);
    EXPECT_EQ(a.records, before);
    EXPECT_EQ(a.numbers, numbers);
    EXPECT_EQ(a.order, (std::vector<int>{0, 2, -1, -1, 2, 0}));
    EXPECT_EQ(plan.quick->result, StepResult::Failed);
}

TEST(Transaction, AFailedRollbackSaysWhatEachHoldsAndLeavesTheEarlierValuesForApply) {
    LanguageMode = 1;
    FakeAdapter a = factoryAdapter();
    // Profile 2's write is stored and then the adapter goes away.
    a.faultAtWrite[2] = FakeAdapter::Fault::Unreadable;
    Plan plan = threeChanges(a);
    const QString dir = scratchDir("lost");
    QString message;
    EXPECT_EQ(runPlan(a, plan, {"apply", dir}, &message), 4);
    EXPECT_EQ(plan.profiles[1].result, StepResult::Failed); // profile 0: could not be put back
    EXPECT_EQ(plan.profiles[1].holds, Holds::Unknown);
    EXPECT_TRUE(plan.changed());
    const QStringList files = QDir(dir).entryList({QStringLiteral("KX220-before-*.json")});
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(message.contains(files[0])) << message.toStdString();
    // The file is one apply takes, with the earlier values of both profiles.
    QFile f(dir + u'/' + files[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList problems;
    const auto earlier = parseDesired(f.readAll(), &problems);
    ASSERT_TRUE(earlier) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(earlier->profiles.size(), 2u);
    QStringList none;
    const auto back = assignmentsFor(with(factory(), field::Tel2Clir, 1), earlier->profiles.at(2), &none);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "tel2.clir");
    EXPECT_EQ(back[0].value, "false");
}

TEST(Transaction, SynchronousModeIsNoticedOnlyWhereTheAdapterRunsOrStartsFromIt) {
    const ProfileRecord async = factory();
    const ProfileRecord sync = with(async, field::SerialMode, 1);
    Plan plan;
    for (int p : {kCurrentProfile, 0, 1, 2})
        plan.profiles.push_back({p, async, sync});
    plan.profiles.push_back({4, sync, sync}); // already synchronous: no change
    LanguageMode = 1;
    EXPECT_EQ(synchronousSteps(plan),
              (QStringList{profileName(kCurrentProfile), profileName(0), profileName(1)}));
}

TEST(Transaction, JsonObjectHasItsKeysInAStableOrder) {
    LanguageMode = 1;
    FakeAdapter a = factoryAdapter();
    Plan plan = threeChanges(a);
    plan.profiles[1].result = StepResult::WouldChange;
    plan.quick = QuickStep{a.numbers, {"1", "555", "", ""}, StepResult::WouldChange};
    const QByteArray json = reportJson(plan, true, 1, {});
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(json, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
    // Keys in the order written (QJsonObject sorts them: check the text).
    const QList<qsizetype> at{json.indexOf("\"changed\""), json.indexOf("\"check\""), json.indexOf("\"profiles\""),
                        json.indexOf("\"quick_dial\""), json.indexOf("\"error\"")};
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && at.front() >= 0) << json.toStdString();
    EXPECT_LT(json.indexOf("\"current\""), json.indexOf("\"0\""));
    EXPECT_FALSE(o.value("changed").toBool());
    EXPECT_TRUE(o.value("check").toBool());
    EXPECT_TRUE(o.value("error").isNull());
    const QJsonObject profiles = o.value("profiles").toObject();
    EXPECT_EQ(profiles.keys(), (QStringList{"0", "1", "2", "current"}));
    EXPECT_EQ(profiles.value("current").toObject().value("result").toString(), "unchanged");
    const QJsonObject zero = profiles.value("0").toObject();
    EXPECT_EQ(zero.value("result").toString(), "would change");
    const QJsonObject parity = zero.value("changes").toObject().value("data.async.parity").toObject();
    EXPECT_EQ(parity.value("before").toString(), "none");
    EXPECT_EQ(parity.value("after").toString(), "even");
    const QJsonObject quick = o.value("quick_dial").toObject();
    EXPECT_EQ(quick.value("changes").toObject().value("2").toObject().value("after").toString(), "555");

    const QJsonObject failed =
        QJsonDocument::fromJson(reportJson(Plan{}, false, 4, QStringLiteral("it \"broke\""))).object();
    EXPECT_EQ(failed.value("error").toObject().value("exit").toInt(), 4);
    EXPECT_EQ(failed.value("error").toObject().value("message").toString(), "it \"broke\"");
    EXPECT_TRUE(failed.value("quick_dial").isNull());
    EXPECT_TRUE(failed.value("profiles").toObject().isEmpty());
}
