// restore and diff: backup files against the adapter and against each other.
#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/json_out.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"
#include "core/record/record_fields.h"

#include <set>

namespace omniset::cli {

namespace {

constexpr int kQuickDialKey = -2; // --profile quick_dial

void printSection(const QString& title, const QStringList& lines) {
    if (lines.isEmpty()) return;
    out(title);
    for (const QString& l : lines)
        out(QStringLiteral("  ") + l);
}

// The records a restore writes, by profile number (kQuickDialKey for the numbers).
std::set<int> selection(const QStringList& names) {
    std::set<int> chosen;
    for (const QString& n : names)
        chosen.insert(n == QLatin1String("quick_dial") ? kQuickDialKey : profileOfName(n));
    if (chosen.empty()) chosen = {0, 1, 2, 3, 4, kCurrentProfile, kQuickDialKey};
    return chosen;
}

} // namespace

// {"changes": {...}, "other_bytes": [...]} of one record against another.
static QByteArray recordDiffJson(const ProfileRecord& a, const ProfileRecord& b) {
    QByteArray offsets;
    for (int o : otherByteOffsets(a, b))
        offsets += (offsets.isEmpty() ? "" : ", ") + QByteArray::number(o);
    return "{\"changes\": " + changesJson(recordChanges(a, b), 4) + ", \"other_bytes\": [" +
           offsets + "]}";
}

int runDiff(const CommandLine& cl) {
    // As diff(1): nothing printed when equal; each difference field by field.
    JsonObject json;
    QByteArray profilesJson;
    auto addProfile = [&](int p, const ProfileRecord& a, const ProfileRecord& b) {
        profilesJson += (profilesJson.isEmpty() ? "{\n    " : ",\n    ") +
                        jsonText(recordKey(p)).toUtf8() + ": " + recordDiffJson(a, b);
    };
    auto finish = [&](int rc, const QString& message, const QByteArray& quick) {
        if (!cl.json) return rc;
        const bool known = rc == kExitOk || rc == kExitDifferent;
        json.raw("equal", known ? (rc == kExitOk ? "true" : "false") : "null")
            .raw("profiles", profilesJson.isEmpty() ? "{}" : profilesJson + "\n  }")
            .raw("quick_dial", quick.isEmpty() ? "null" : quick);
        outData(json.finish(known ? kExitOk : rc, message));
        return rc;
    };
    QString error;
    const auto left = loadBackup(cl.args[0], &error);
    if (!left) {
        say(error);
        return finish(kExitUsage, error, {});
    }
    const QString second = cl.args.value(1, QStringLiteral("current"));
    const int profile = profileOfName(second);
    bool different = false;
    if (profile < 0) {
        // Two files: every record and the quick-dial numbers.
        const auto right = loadBackup(second, &error);
        if (!right) {
            say(error);
            return finish(kExitUsage, error, {});
        }
        for (int p : kBackupOrder) {
            const ProfileRecord& a = left->records[static_cast<std::size_t>(p)];
            const ProfileRecord& b = right->records[static_cast<std::size_t>(p)];
            const auto lines = recordDifferences(a, b);
            if (!cl.json) printSection(profileName(p) + QLatin1Char(':'), lines);
            addProfile(p, a, b);
            different |= !lines.isEmpty();
        }
        const auto lines = quickDifferences(left->quickDial, right->quickDial);
        if (!cl.json) printSection(tr("缩位拨号:", "Quick dial:"), lines);
        different |= !lines.isEmpty();
        return finish(different ? kExitDifferent : kExitOk, {},
                      "{\"changes\": " +
                          changesJson(quickChanges(left->quickDial, right->quickDial), 2) + "}");
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return finish(rc, s.failure(), {});
    const auto record = s.read(profile);
    if (!record) {
        const int rc = interrupted() ? kExitInterrupted : kExitFailed;
        say(s.failure());
        return finish(rc, s.failure(), {});
    }
    const ProfileRecord& a = left->records[static_cast<std::size_t>(profile)];
    const auto lines = recordDifferences(a, *record);
    if (!cl.json) printSection(profileName(profile) + QLatin1Char(':'), lines);
    addProfile(profile, a, *record);
    return finish(lines.isEmpty() ? kExitOk : kExitDifferent, {}, {});
}

int runRestore(const CommandLine& cl) {
    setReportToStderr(cl.json);
    Plan plan;
    // The whole file is checked before anything is sent.
    QString error;
    const auto backup = loadBackup(cl.args[0], &error);
    if (!backup) {
        const QString prefix = cl.args[0] + QStringLiteral(": ");
        return reportProblems(cl, plan, cl.args[0],
                              {error.startsWith(prefix) ? error.mid(prefix.size()) : error});
    }
    // Restore writes the hex: fields edited by hand would silently not be restored.
    if (const QStringList edited = fieldsDisagreeingWithHex(*backup); !edited.isEmpty())
        return reportProblems(
            cl, plan, cl.args[0],
            {tr("这些字段与十六进制记录不符: ", "these fields disagree with the records' hex: ") +
                 edited.join(QStringLiteral(", ")),
             tr("restore 写入十六进制记录；要写入这些字段，请用 omniset-cli apply ",
                "restore writes the hex; to write the fields instead: omniset-cli apply ") +
                 cl.args[0]});
    const std::set<int> chosen = selection(cl.profiles);
    Session s;
    if (int rc = s.connect(cl.adapter))
        return finishCommand(cl, plan, rc, s.failure());
    if (backup->recordLength != s.recordLength()) {
        const QString why = tr("配置长度%1与KX220的%2不同，未写入任何内容。",
                               "record length %1 differs from the adapter's %2; nothing was written.")
                                .arg(backup->recordLength)
                                .arg(s.recordLength());
        say(QStringLiteral("%1: ").arg(cl.args[0]) + why);
        say(tr("omniset-cli apply %1 可以写入它的字段。", "omniset-cli apply %1 restores its fields.")
                .arg(cl.args[0]));
        return finishCommand(cl, plan, kExitUsage, why);
    }
    for (int p : kBackupOrder) {
        if (!chosen.count(p)) continue;
        progress(tr("读取 ", "Reading ") + profileName(p));
        const auto now = s.read(p);
        if (!now) {
            const int rc = interrupted() ? kExitInterrupted : kExitFailed;
            say(s.failure());
            return finishCommand(cl, plan, rc, s.failure());
        }
        plan.profiles.push_back({p, *now, backup->records[static_cast<std::size_t>(p)]});
    }
    if (chosen.count(kQuickDialKey)) {
        QuickStep q;
        q.before = s.readQuickDial();
        q.after = backup->quickDial;
        plan.quick = q;
    }
    if (interrupted()) {
        say(tr("已中断，未写入任何内容。", "Interrupted; nothing was written."));
        return finishCommand(cl, plan, kExitInterrupted, tr("已中断", "interrupted"));
    }
    CommandLine c = cl;
    c.check = cl.check || cl.dryRun;
    const int rc = carryOut(c, s, plan);
    return cl.dryRun && rc == kExitDifferent ? kExitOk : rc;
}

} // namespace omniset::cli
