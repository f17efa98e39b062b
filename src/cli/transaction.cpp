// Writing a plan as one transaction, with read-back and rollback.
#include "cli/transaction.h"

#include "cli/backup_file.h"
#include "cli/json_out.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"
#include "core/platform/atomic_file.h"
#include "core/record/record_fields.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <unistd.h>

namespace omniset::cli {

namespace {

constexpr std::uint8_t kSynchronousMode = 1; // byte 110 (serial mode): 1 = synchronous
constexpr int kMaxOffsetsListed = 12;

bool synchronous(const ProfileRecord& r) {
    return r.length() > field::SerialMode && r.byte(field::SerialMode) == kSynchronousMode;
}

// A change into synchronous mode where the adapter runs or starts from it.
bool entersSynchronous(const ProfileStep& s) {
    return (s.profile == kCurrentProfile || s.profile == 0 || s.profile == 1) && s.changes() &&
           synchronous(s.after) && !synchronous(s.before);
}

QString quickTitle() { return tr("缩位拨号", "Quick dial"); }

QString quickText(const std::string& n) {
    return n.empty() ? tr("(空)", "(empty)") : QString::fromStdString(n);
}

QStringList quickLines(const QuickDialNumbers& a, const QuickDialNumbers& b) {
    QStringList lines;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            lines << QStringLiteral("quick_dial.%1: %2 -> %3")
                         .arg(i + 1)
                         .arg(quickText(a[i]), quickText(b[i]));
    return lines;
}

QString wordsOf(const std::optional<DecodedField>& d) {
    if (!d) return tr("(无)", "(absent)");
    return QString::fromStdString(d->words);
}

// Offsets and bits that the field table does not name.
bool unnamed(int offset, int bit) {
    for (const RecordField& f : recordFields())
        if (offset >= f.offset && offset < f.offset + f.width && (f.bit < 0 || f.bit == bit))
            return false;
    return true;
}

std::array<bool, 4> slotsDiffering(const QuickDialNumbers& a, const QuickDialNumbers& b) {
    std::array<bool, 4> which{};
    for (std::size_t i = 0; i < which.size(); ++i)
        which[i] = a[i] != b[i];
    return which;
}

// One step of the write order: a profile step, or the quick-dial numbers (nullptr).
struct Entry {
    ProfileStep* profile = nullptr;
    QString name() const { return profile ? profileName(profile->profile) : quickTitle(); }
};

class Transaction {
  public:
    Transaction(RecordAccess& adapter, Plan& plan, const RunOptions& options)
        : adapter_(adapter), plan_(plan), options_(options) {}

    int run(QString* message);

  private:
    bool writeStep(const Entry& e);
    bool rollBack(const Entry& e);
    Holds holdsOf(const ProfileStep& s, const std::optional<ProfileRecord>& r) const;
    QString holdsText(Holds h) const;
    QString writeEarlierState() const;

    RecordAccess& adapter_;
    Plan& plan_;
    const RunOptions& options_;
};

Holds Transaction::holdsOf(const ProfileStep& s, const std::optional<ProfileRecord>& r) const {
    if (!r) return Holds::Unknown;
    if (sameRecord(*r, s.before)) return Holds::Before;
    if (sameRecord(*r, s.after)) return Holds::After;
    return Holds::Other;
}

QString Transaction::holdsText(Holds h) const {
    switch (h) {
    case Holds::Before: return tr("保存着原来的内容", "holds what it held before");
    case Holds::After: return tr("保存着新的内容", "holds the new values");
    case Holds::Other: return tr("保存着既非原来也非新的内容", "holds neither what it held before nor the new values");
    case Holds::Unknown: return tr("无法读出，内容不明", "could not be read: what it holds is not known");
    }
    return {};
}

// Writes one step and reads it back; false when it is not there as written.
bool Transaction::writeStep(const Entry& e) {
    if (!e.profile) {
        QuickStep& q = *plan_.quick;
        progress(tr("存储缩位拨号", "Storing the quick-dial numbers"));
        adapter_.storeQuickDial(q.after, slotsDiffering(q.before, q.after));
        const QuickDialNumbers back = adapter_.readQuickDial();
        if (back == q.after) {
            q.result = StepResult::Written;
            q.holds = Holds::After;
            out(quickTitle() + tr(": 已存储并核对", ": stored and verified"));
            return true;
        }
        q.result = StepResult::Failed;
        q.holds = back == q.before ? Holds::Before : Holds::Other;
        say(quickTitle() + tr(": 读回的号码不同", ": the numbers read back differ"));
        return false;
    }
    ProfileStep& s = *e.profile;
    progress(tr("写入 ", "Writing ") + e.name());
    const bool acknowledged = adapter_.write(s.profile, s.after);
    // In synchronous mode the adapter takes no more AT commands: there is nothing to read.
    if (acknowledged && s.profile == kCurrentProfile && synchronous(s.after)) {
        s.result = StepResult::Written;
        s.holds = Holds::After;
        out(e.name() + tr(": 已写入 (同步模式下无法读回)",
                          ": written (not read back: in synchronous mode the adapter takes no AT command)"));
        return true;
    }
    if (!acknowledged)
        say(e.name() + tr(": 写入没有得到确认，读回以查明是否已保存",
                          ": the write was not acknowledged; reading it back to learn whether it was stored"));
    const auto back = adapter_.read(s.profile);
    s.holds = holdsOf(s, back);
    if (acknowledged && s.holds == Holds::After) {
        s.result = StepResult::Written;
        out(e.name() + tr(": 已写入并核对", ": written and verified"));
        return true;
    }
    s.result = StepResult::Failed;
    if (!acknowledged) {
        switch (s.holds) {
        case Holds::After: say(e.name() + tr(": 读回表明已经保存", ": read back: it was stored")); break;
        case Holds::Before: say(e.name() + tr(": 读回表明没有保存", ": read back: it was not stored")); break;
        default: say(e.name() + QStringLiteral(": ") + holdsText(s.holds)); break;
        }
    } else if (s.holds == Holds::Unknown) {
        const QString cause = adapter_.readFailureCause();
        say(tr("读回失败: ", "Reading back failed: ") + e.name() +
            (cause.isEmpty() ? QString() : QStringLiteral(" (") + cause + QLatin1Char(')')));
    } else {
        say(tr("读回的配置不同: ", "Read back differs: ") + e.name() + QStringLiteral(" (") +
            holdsText(s.holds) + QLatin1Char(')'));
    }
    return false;
}

// Writes a step's earlier contents back and reads them back.
bool Transaction::rollBack(const Entry& e) {
    const bool failedStep = e.profile ? e.profile->result == StepResult::Failed
                                      : plan_.quick->result == StepResult::Failed;
    if (!e.profile) {
        QuickStep& q = *plan_.quick;
        progress(tr("恢复缩位拨号", "Putting back the quick-dial numbers"));
        const std::array<bool, 4> all{true, true, true, true};
        adapter_.storeQuickDial(q.before, q.holds == Holds::After ? slotsDiffering(q.before, q.after) : all);
        const QuickDialNumbers back = adapter_.readQuickDial();
        q.holds = back == q.before ? Holds::Before : back == q.after ? Holds::After : Holds::Other;
        if (!failedStep) q.result = q.holds == Holds::Before ? StepResult::RolledBack : StepResult::Failed;
        return q.holds == Holds::Before;
    }
    ProfileStep& s = *e.profile;
    progress(tr("恢复 ", "Putting back ") + e.name());
    // What the read-back shows decides: an earlier record back in place is a rollback done,
    // even if its acknowledgement was lost.
    adapter_.write(s.profile, s.before);
    s.holds = holdsOf(s, adapter_.read(s.profile));
    const bool ok = s.holds == Holds::Before;
    if (!failedStep) s.result = ok ? StepResult::RolledBack : StepResult::Failed;
    return ok;
}

// The earlier values of every record and number the transaction touched, as a file for
// apply; its path, or empty when it could not be written.
QString Transaction::writeEarlierState() const {
    QByteArray json = "{\n  \"format\": \"omniset-config\",\n  \"version\": 1,\n  \"profiles\": {";
    bool first = true;
    for (const ProfileStep& s : plan_.profiles) {
        if (s.holds == Holds::Before) continue;
        json += first ? "\n" : ",\n";
        first = false;
        json += "    \"" + recordKey(s.profile).toLatin1() + "\": " + fieldsJson(s.before, 4);
    }
    json += first ? "}" : "\n  }";
    if (plan_.quick && plan_.quick->holds != Holds::Before) {
        json += ",\n  \"quick_dial\": {";
        for (std::size_t i = 0; i < plan_.quick->before.size(); ++i)
            json += (i ? ", \"" : "\"") + QByteArray::number(static_cast<int>(i + 1)) + "\": " +
                    QByteArray::fromStdString(jsonString(plan_.quick->before[i]));
        json += "}";
    }
    json += "\n}\n";
    const QString path = options_.earlierStateDir + QStringLiteral("/KX220-before-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd'T'HHmmss")) +
                         QStringLiteral(".json");
    QDir().mkpath(options_.earlierStateDir);
    QString error;
    if (!platform::writeFileAtomically(path, json, &error)) {
        say(error);
        return {};
    }
    return path;
}

int Transaction::run(QString* message) {
    // Stored profiles first, then the numbers, then the current configuration: a change of
    // the current configuration into synchronous mode ends the conversation.
    std::vector<Entry> order;
    for (int p : {0, 1, 2, 3, 4})
        for (ProfileStep& s : plan_.profiles)
            if (s.profile == p && s.changes()) order.push_back({&s});
    if (plan_.quick && plan_.quick->changes()) order.push_back({nullptr});
    for (ProfileStep& s : plan_.profiles)
        if (s.profile == kCurrentProfile && s.changes()) order.push_back({&s});

    std::vector<Entry> done;
    std::optional<Entry> failed;
    bool stopped = false;
    for (const Entry& e : order) {
        if (interrupted()) {
            stopped = true;
            break;
        }
        if (!writeStep(e)) {
            failed = e;
            break;
        }
        done.push_back(e);
    }
    if (!failed && !stopped) return kExitOk;

    // Put back what was written, newest first: the failed step itself unless its read-back
    // shows it unchanged.
    std::vector<Entry> undo;
    if (failed) {
        const Holds h = failed->profile ? failed->profile->holds : plan_.quick->holds;
        if (h != Holds::Before) undo.push_back(*failed);
    }
    for (auto it = done.rbegin(); it != done.rend(); ++it)
        undo.push_back(*it);
    QStringList rolledBack, notRolledBack;
    for (const Entry& e : undo)
        (rollBack(e) ? rolledBack : notRolledBack) << e.name();

    const int exit = stopped ? kExitInterrupted : kExitFailed;
    QString what = stopped ? tr("已中断", "Interrupted")
                           : failed->name() + tr(": 写入失败", ": writing failed");
    if (!rolledBack.isEmpty())
        say(tr("已恢复原来的内容: ", "Rolled back: ") + rolledBack.join(QStringLiteral(", ")));
    if (notRolledBack.isEmpty()) {
        say(tr("KX220保存着原来的内容。", "The adapter holds what it held before."));
        *message = what + tr("; 已全部恢复", "; everything was rolled back");
        return exit;
    }
    say(tr("恢复失败: ", "Rolling back failed: ") + notRolledBack.join(QStringLiteral(", ")));
    for (const ProfileStep& s : plan_.profiles)
        if (s.result == StepResult::Failed || s.result == StepResult::RolledBack)
            say(QStringLiteral("  ") + profileName(s.profile) + QStringLiteral(": ") + holdsText(s.holds));
    if (plan_.quick && plan_.quick->result != StepResult::Unchanged)
        say(QStringLiteral("  ") + quickTitle() + QStringLiteral(": ") + holdsText(plan_.quick->holds));
    const QString path = writeEarlierState();
    if (!path.isEmpty())
        say(tr("原来的内容已写入 %1；恢复: omniset-cli apply %1",
               "The earlier values are in %1; to put them back: omniset-cli apply %1")
                .arg(path));
    *message = what + tr("; 恢复失败: ", "; rolling back failed: ") +
               notRolledBack.join(QStringLiteral(", ")) +
               (path.isEmpty() ? QString() : tr("; 原来的内容: ", "; earlier values: ") + path);
    return exit;
}

} // namespace

bool sameRecord(const ProfileRecord& a, const ProfileRecord& b) {
    if (a.length() != b.length()) return false;
    for (int i = 0; i < a.length(); ++i)
        if (a.byte(i) != b.byte(i)) return false;
    return true;
}

bool ProfileStep::changes() const { return !sameRecord(before, after); }

bool Plan::changes() const {
    for (const ProfileStep& s : profiles)
        if (s.changes()) return true;
    return quick && quick->changes();
}

bool Plan::changed() const {
    auto left = [](StepResult r, Holds h) {
        return r == StepResult::Written || (r == StepResult::Failed && h != Holds::Before);
    };
    for (const ProfileStep& s : profiles)
        if (left(s.result, s.holds)) return true;
    return quick && left(quick->result, quick->holds);
}

std::vector<Change> recordChanges(const ProfileRecord& a, const ProfileRecord& b) {
    std::vector<Change> out;
    for (const RecordField& f : recordFields()) {
        const auto da = decodeField(f, a, true);
        const auto db = decodeField(f, b, true);
        const std::string va = da ? da->value : "null";
        const std::string vb = db ? db->value : "null";
        if (va != vb) out.push_back({std::string(f.name), va, vb});
    }
    return out;
}

std::vector<int> otherByteOffsets(const ProfileRecord& a, const ProfileRecord& b) {
    std::vector<int> offsets;
    const int length = std::max(a.length(), b.length());
    for (int offset = 0; offset < length; ++offset) {
        const int diff = a.byte(offset) ^ b.byte(offset);
        for (int bit = 0; bit < 8; ++bit)
            if ((diff >> bit & 1) && unnamed(offset, bit)) {
                offsets.push_back(offset);
                break;
            }
    }
    return offsets;
}

std::vector<Change> quickChanges(const QuickDialNumbers& a, const QuickDialNumbers& b) {
    std::vector<Change> out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) out.push_back({std::to_string(i + 1), jsonString(a[i]), jsonString(b[i])});
    return out;
}

QByteArray changesJson(const std::vector<Change>& changes, int indent) {
    if (changes.empty()) return "{}";
    QByteArray json = "{";
    for (std::size_t c = 0; c < changes.size(); ++c)
        json += (c ? ",\n" : "\n") + QByteArray(indent + 2, ' ') +
                QByteArray::fromStdString(jsonString(changes[c].name)) +
                ": {\"before\": " + QByteArray::fromStdString(changes[c].before) +
                ", \"after\": " + QByteArray::fromStdString(changes[c].after) + "}";
    return json + "\n" + QByteArray(indent, ' ') + "}";
}

QStringList recordDifferences(const ProfileRecord& a, const ProfileRecord& b) {
    QStringList lines;
    for (const RecordField& f : recordFields()) {
        const auto da = decodeField(f, a, english());
        const auto db = decodeField(f, b, english());
        if (!da && !db) continue;
        if (da && db && da->value == db->value && da->raw == db->raw) continue;
        QString line = QString::fromStdString(std::string(f.name)) + QStringLiteral(": ") +
                       wordsOf(da) + QStringLiteral(" -> ") + wordsOf(db);
        if (da && db && da->words == db->words)
            line += QStringLiteral("  (raw %1 -> %2)")
                        .arg(QString::fromStdString(da->raw), QString::fromStdString(db->raw));
        lines << line;
    }
    QStringList offsets;
    const std::vector<int> other = otherByteOffsets(a, b);
    const int count = static_cast<int>(other.size());
    for (int i = 0; i < std::min(count, kMaxOffsetsListed); ++i)
        offsets << QString::number(other[static_cast<std::size_t>(i)]);
    if (count > kMaxOffsetsListed) offsets << QStringLiteral("...");
    if (a.length() != b.length())
        lines << tr("配置长度: ", "record length: ") +
                     QStringLiteral("%1 -> %2").arg(a.length()).arg(b.length());
    if (count)
        lines << tr("其它字节不同: ", "other bytes differ at offsets ") +
                     offsets.join(QStringLiteral(", "));
    return lines;
}

QStringList quickDifferences(const QuickDialNumbers& a, const QuickDialNumbers& b) {
    return quickLines(a, b);
}

void printPlan(const Plan& plan, bool check) {
    auto section = [check](const QString& name, const QStringList& lines) {
        if (lines.isEmpty()) {
            out(name + tr(": 不变", ": unchanged"));
            return;
        }
        out(name + (check ? tr(": 将改变", ": would change") : QStringLiteral(":")));
        for (const QString& l : lines)
            out(QStringLiteral("  ") + l);
    };
    for (const ProfileStep& s : plan.profiles)
        section(profileName(s.profile), s.changes() ? recordDifferences(s.before, s.after) : QStringList());
    if (plan.quick) section(quickTitle(), quickLines(plan.quick->before, plan.quick->after));
}

QStringList synchronousSteps(const Plan& plan) {
    QStringList names;
    for (const ProfileStep& s : plan.profiles)
        if (entersSynchronous(s)) names << profileName(s.profile);
    return names;
}

int allowSynchronous(const Plan& plan, bool yes, const QString& command) {
    const QStringList names = synchronousSteps(plan);
    if (names.isEmpty() || yes) return kExitOk;
    if (!::isatty(STDIN_FILENO)) {
        say(command + QStringLiteral(": ") + names.join(QStringLiteral(", ")) +
            tr(": 将数据口设为同步模式，此后KX220不再接收AT命令。没有终端可以确认；请用 --yes",
               ": puts the data port into synchronous mode, after which the adapter takes no AT "
               "command. No terminal to confirm on; give --yes to write it without asking"));
        say(tr("未写入任何内容。", "Nothing was written."));
        return kExitUsage;
    }
    if (!confirmOnTerminal(synchronousModeNotice())) {
        say(tr("已取消，未写入任何内容。", "Cancelled; nothing was written."));
        return kExitUsage;
    }
    return kExitOk;
}

int runPlan(RecordAccess& adapter, Plan& plan, const RunOptions& options, QString* message) {
    return Transaction(adapter, plan, options).run(message);
}

QString resultWord(StepResult r) {
    switch (r) {
    case StepResult::Unchanged: return QStringLiteral("unchanged");
    case StepResult::Written: return QStringLiteral("written");
    case StepResult::WouldChange: return QStringLiteral("would change");
    case StepResult::RolledBack: return QStringLiteral("rolled back");
    case StepResult::Failed: return QStringLiteral("failed");
    }
    return {};
}

QByteArray reportJson(const Plan& plan, bool check, int exit, const QString& message) {
    auto result = [](StepResult r) { return "\"result\": \"" + resultWord(r).toLatin1() + "\""; };
    QByteArray json = "{\n";
    json += QByteArray("  \"changed\": ") + (plan.changed() ? "true" : "false") + ",\n";
    json += QByteArray("  \"check\": ") + (check ? "true" : "false") + ",\n";
    json += "  \"profiles\": {";
    for (std::size_t i = 0; i < plan.profiles.size(); ++i) {
        const ProfileStep& s = plan.profiles[i];
        json += i ? ",\n" : "\n";
        json += "    \"" + recordKey(s.profile).toLatin1() + "\": {" + result(s.result) +
                ", \"changes\": ";
        const auto changes = s.result == StepResult::Unchanged ? std::vector<Change>()
                                                               : recordChanges(s.before, s.after);
        json += changesJson(changes, 4) + "}";
    }
    json += plan.profiles.empty() ? "},\n" : "\n  },\n";
    if (!plan.quick) {
        json += "  \"quick_dial\": null,\n";
    } else {
        const QuickStep& q = *plan.quick;
        json += "  \"quick_dial\": {" + result(q.result) + ", \"changes\": " +
                changesJson(q.result == StepResult::Unchanged ? std::vector<Change>()
                                                              : quickChanges(q.before, q.after),
                            2) +
                "},\n";
    }
    // apply --check's "differs" (exit 1) is its answer, not an error.
    json += "  \"error\": " + errorJson(check && exit == kExitDifferent ? kExitOk : exit, message) + "\n";
    return json + "}\n";
}

} // namespace omniset::cli
