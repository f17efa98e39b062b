// transaction.h - a planned change of the adapter's records and quick-dial numbers, written
// as one transaction: only what differs is written, every write is read back, and when one
// fails everything already written is put back, newest first (apply, restore, set).
//
//   RecordAccess                 what a transaction needs of the adapter (the Session; a
//                                fake adapter in the tests)
//   ProfileStep / QuickStep      one record or the four numbers: as read before, as wanted,
//                                and what happened to them
//   Plan                         the steps in the order they are reported (current, 0..4,
//                                then the quick-dial numbers)
//   recordChanges(a, b)          the named fields whose values differ, as JSON literals
//   recordDifferences(a, b)      "name: old -> new" in words for each field that differs,
//                                and a line for other bytes that differ
//   otherByteOffsets(a, b)       the offsets of bytes that differ outside the named fields
//   quickChanges(a, b)           the numbers that differ, named "1".."4"
//   changesJson(changes, indent) {NAME: {"before": V, "after": V}, ...}, one change a line
//   quickDifferences(a, b)       "quick_dial.N: old -> new" for each number that differs
//   printPlan(plan, check)       each step: "unchanged", or its changes (old -> new) under
//                                its name ("would change" with check)
//   synchronousSteps(plan)       the names of the records (current, 0, 1) the plan puts into
//                                synchronous mode, after which the adapter takes no AT command
//   allowSynchronous(plan, yes, command)
//                                kExitOk when the plan enters no synchronous mode, or the
//                                user accepted the notice on the terminal (or gave --yes);
//                                otherwise an exit code, with why said
//   runPlan(adapter, plan, opts) writes the steps that change (stored profiles, then the
//                                quick-dial numbers, then the current configuration, so that
//                                a change into synchronous mode comes last); each write is
//                                read back and compared, a write not acknowledged is read
//                                back before anything else and the user told whether it was
//                                stored; on a failure or Ctrl-C every step written (and the
//                                failed one, unless its read-back shows it unchanged) is
//                                written back with its earlier contents and verified, newest
//                                first. When that fails too, what each record now holds is
//                                said and the earlier state written to a file that apply
//                                takes. Returns the exit code; the steps carry their results
//   reportJson(plan, check, exit, message)
//                                the --json object: changed, check, profiles, quick_dial,
//                                error
#pragma once

#include "core/record/profile_layout.h"
#include "core/record/quick_dial_text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace omniset::cli {

class RecordAccess {
  public:
    virtual ~RecordAccess() = default;
    virtual std::optional<ProfileRecord> read(int profile) = 0;
    // Sends the record; true when the adapter acknowledged it. Nothing is read back.
    virtual bool write(int profile, const ProfileRecord& record) = 0;
    virtual QuickDialNumbers readQuickDial() = 0;
    virtual void storeQuickDial(const QuickDialNumbers& numbers,
                                const std::array<bool, 4>& which) = 0;
    // Why the last read() gave nothing, in a few words; empty when unknown.
    virtual QString readFailureCause() const { return {}; }
};

enum class StepResult { Unchanged, Written, WouldChange, RolledBack, Failed };

// What a record or the numbers hold once a transaction has failed.
enum class Holds { Before, After, Other, Unknown };

struct ProfileStep {
    int profile = 0;
    ProfileRecord before;
    ProfileRecord after;
    StepResult result = StepResult::Unchanged;
    Holds holds = Holds::Before;
    bool changes() const;
};

struct QuickStep {
    QuickDialNumbers before;
    QuickDialNumbers after;
    StepResult result = StepResult::Unchanged;
    Holds holds = Holds::Before;
    bool changes() const { return before != after; }
};

struct Plan {
    std::vector<ProfileStep> profiles;
    std::optional<QuickStep> quick;
    bool changes() const;
    bool changed() const; // something written stays written, or a failure left a change
};

struct RunOptions {
    QString command;        // "apply", "restore", "set": for messages
    QString earlierStateDir; // where the earlier state is written when a rollback fails
    bool quickDialLabel = true;
};

struct Change {
    std::string name;
    std::string before; // JSON literals
    std::string after;
};

std::vector<Change> recordChanges(const ProfileRecord& a, const ProfileRecord& b);
QStringList recordDifferences(const ProfileRecord& a, const ProfileRecord& b);
std::vector<int> otherByteOffsets(const ProfileRecord& a, const ProfileRecord& b);
std::vector<Change> quickChanges(const QuickDialNumbers& a, const QuickDialNumbers& b);
QByteArray changesJson(const std::vector<Change>& changes, int indent);
QStringList quickDifferences(const QuickDialNumbers& a, const QuickDialNumbers& b);
bool sameRecord(const ProfileRecord& a, const ProfileRecord& b); // checksum byte aside
void printPlan(const Plan& plan, bool check);
QStringList synchronousSteps(const Plan& plan);
int allowSynchronous(const Plan& plan, bool yes, const QString& command);
int runPlan(RecordAccess& adapter, Plan& plan, const RunOptions& options, QString* message);
QByteArray reportJson(const Plan& plan, bool check, int exit, const QString& message);
QString resultWord(StepResult result);

} // namespace omniset::cli
