// restore and diff: backup files against the adapter and against each other.
#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"
#include "core/record/record_fields.h"

#include <set>

namespace omniset::cli {

namespace {

constexpr int kQuickDialKey = -2; // --profile quick_dial
constexpr int kMaxOffsetsListed = 12;

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

QString quickText(const std::string& n) {
    return n.empty() ? tr("(空)", "(empty)") : QString::fromStdString(n);
}

QStringList quickDifferences(const QuickDialNumbers& a, const QuickDialNumbers& b) {
    QStringList lines;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            lines << QStringLiteral("quick_dial.%1: %2 -> %3")
                         .arg(i + 1)
                         .arg(quickText(a[i]), quickText(b[i]));
    return lines;
}

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

int interruptedExit(const QStringList& done) {
    say(tr("已中断。已完成: ", "Interrupted. Done: ") +
        (done.isEmpty() ? tr("无", "nothing") : done.join(QStringLiteral(", "))));
    return kExitInterrupted;
}

} // namespace

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
    int count = 0;
    const int length = std::max(a.length(), b.length());
    for (int offset = 0; offset < length; ++offset) {
        const int diff = a.byte(offset) ^ b.byte(offset);
        bool other = false;
        for (int bit = 0; bit < 8; ++bit)
            if ((diff >> bit & 1) && unnamed(offset, bit)) other = true;
        if (!other) continue;
        if (++count <= kMaxOffsetsListed) offsets << QString::number(offset);
    }
    if (count > kMaxOffsetsListed) offsets << QStringLiteral("...");
    if (a.length() != b.length())
        lines << tr("配置长度: ", "record length: ") +
                     QStringLiteral("%1 -> %2").arg(a.length()).arg(b.length());
    if (count)
        lines << tr("其它字节不同: ", "other bytes differ at offsets ") +
                     offsets.join(QStringLiteral(", "));
    return lines;
}

int runDiff(const CommandLine& cl) {
    QString error;
    const auto left = loadBackup(cl.args[0], &error);
    if (!left) {
        say(error);
        return kExitUsage;
    }
    const QString second = cl.args.value(1, QStringLiteral("current"));
    const int profile = profileOfName(second);
    bool different = false;
    if (profile < 0) {
        // Two files: every record and the quick-dial numbers.
        const auto right = loadBackup(second, &error);
        if (!right) {
            say(error);
            return kExitUsage;
        }
        out(QStringLiteral("--- ") + cl.args[0]);
        out(QStringLiteral("+++ ") + second);
        for (int p : kBackupOrder) {
            const auto lines = recordDifferences(left->records[static_cast<std::size_t>(p)],
                                                 right->records[static_cast<std::size_t>(p)]);
            printSection(profileName(p) + QLatin1Char(':'), lines);
            different |= !lines.isEmpty();
        }
        const auto lines = quickDifferences(left->quickDial, right->quickDial);
        printSection(tr("缩位拨号:", "Quick dial:"), lines);
        different |= !lines.isEmpty();
        return different ? kExitDifferent : kExitOk;
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    const auto record = s.read(profile);
    if (!record) {
        if (interrupted()) return kExitInterrupted;
        say(tr("读取配置失败: ", "Reading the profile failed: ") + profileName(profile));
        return kExitFailed;
    }
    out(QStringLiteral("--- ") + cl.args[0] + QStringLiteral(" (") + profileName(profile) + ')');
    out(QStringLiteral("+++ KX220 ") + s.port() + QStringLiteral(" (") + profileName(profile) +
        ')');
    const auto lines = recordDifferences(left->records[static_cast<std::size_t>(profile)], *record);
    for (const QString& l : lines)
        out(QStringLiteral("  ") + l);
    return lines.isEmpty() ? kExitOk : kExitDifferent;
}

int runRestore(const CommandLine& cl) {
    // The whole file is checked before anything is sent.
    QString error;
    const auto backup = loadBackup(cl.args[0], &error);
    if (!backup) {
        say(error);
        say(tr("文件有误，未写入任何内容。", "The file is not usable; nothing was written."));
        return kExitUsage;
    }
    const std::set<int> chosen = selection(cl.profiles);
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    if (backup->recordLength != s.recordLength()) {
        say(QStringLiteral("%1: ").arg(cl.args[0]) +
            tr("配置长度%1与KX220的%2不同，未写入任何内容。",
               "record length %1 differs from the adapter's %2; nothing was written.")
                .arg(backup->recordLength)
                .arg(s.recordLength()));
        return kExitUsage;
    }

    // Stored profiles first, the current configuration last.
    std::vector<int> order;
    for (int p : {0, 1, 2, 3, 4, kCurrentProfile})
        if (chosen.count(p)) order.push_back(p);
    QStringList done;
    for (int p : order) {
        if (interrupted()) return interruptedExit(done);
        const ProfileRecord& wanted = backup->records[static_cast<std::size_t>(p)];
        if (cl.dryRun) {
            const auto now = s.read(p);
            if (!now) {
                say(tr("读取配置失败: ", "Reading the profile failed: ") + profileName(p));
                return interrupted() ? kExitInterrupted : kExitFailed;
            }
            const auto lines = recordDifferences(*now, wanted);
            if (lines.isEmpty())
                out(profileName(p) + tr(": 不变", ": unchanged"));
            else
                printSection(profileName(p) + tr(": 将改变", ": would change"), lines);
            continue;
        }
        progress(tr("写入 ", "Writing ") + profileName(p));
        if (!s.write(p, wanted)) {
            if (interrupted()) return interruptedExit(done);
            say(profileName(p) + tr(": 写入失败", ": writing failed"));
            if (!done.isEmpty()) say(tr("已完成: ", "Done: ") + done.join(QStringLiteral(", ")));
            return kExitFailed;
        }
        out(profileName(p) + tr(": 已写入并校验", ": written and verified"));
        done << profileName(p);
    }
    if (chosen.count(kQuickDialKey)) {
        if (interrupted()) return interruptedExit(done);
        if (cl.dryRun) {
            const auto lines = quickDifferences(s.readQuickDial(), backup->quickDial);
            if (lines.isEmpty())
                out(tr("缩位拨号: 不变", "Quick dial: unchanged"));
            else
                printSection(tr("缩位拨号: 将改变", "Quick dial: would change"), lines);
            return kExitOk;
        }
        s.storeQuickDial(backup->quickDial);
        if (s.readQuickDial() != backup->quickDial) {
            say(tr("缩位拨号: 写入失败", "Quick dial: storing failed"));
            return interrupted() ? interruptedExit(done) : kExitFailed;
        }
        out(tr("缩位拨号: 已写入并校验", "Quick dial: stored and verified"));
    }
    return kExitOk;
}

} // namespace omniset::cli
