// set, clock and factory-reset: changing the adapter's settings.
#include "cli/commands.h"
#include "cli/field_edit.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/general_exchanges.h"
#include "core/link/profile_transfer.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace omniset::cli {

namespace {

QString textOf(const TextPair& t) { return tr(t.zh, t.en); }

// An adapter's reply as one line: its carriage returns and line feeds as blanks.
QString replyLine(const std::string& reply) {
    return QString::fromLatin1(reply.data(), static_cast<qsizetype>(reply.size())).simplified();
}

// The page's OK/Cancel question on the terminal; only "y" or "yes" answers OK.
bool confirmedOnTerminal(const TextPair& question) {
    std::fputs((textOf(question) + tr("\n[y=确定 / N=取消] ", "\n[y=OK / N=Cancel] "))
                   .toLocal8Bit()
                   .constData(),
               stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

} // namespace

int runSet(const CommandLine& cl) {
    if (cl.profiles.size() > 1) {
        say(QStringLiteral("set: one --profile at most"));
        return kExitUsage;
    }
    const QString which = cl.profiles.value(0, QStringLiteral("current"));
    const int profile = profileOfName(which);
    if (profile < 0) {
        say(QStringLiteral("set: --profile is current or 0..4, not %1").arg(which));
        return kExitUsage;
    }
    // Every NAME=VALUE is well formed, in characters a record byte can hold, before the
    // adapter is asked for anything.
    std::vector<FieldAssignment> assignments;
    for (const QString& arg : cl.args) {
        for (QChar c : arg)
            if (c.unicode() == 0 || c.unicode() > 0xFF) {
                say(QStringLiteral("set: %1: ").arg(arg) +
                    tr("含有配置无法保存的字符", "holds a character the record cannot hold"));
                return kExitUsage;
            }
        auto a = parseAssignment(arg.toLatin1().toStdString());
        if (!a) {
            say(QStringLiteral("set: not NAME=VALUE: %1").arg(arg));
            return kExitUsage;
        }
        assignments.push_back(std::move(*a));
    }
    // The quick-dial numbers are not in the record: they have their own exchanges.
    std::vector<FieldAssignment> quick;
    std::erase_if(assignments, [&](const FieldAssignment& a) {
        if (!quickDialSlot(a.name)) return false;
        quick.push_back(a);
        return true;
    });
    for (const FieldAssignment& a : quick)
        if (auto why = quickDialRefusal(a)) {
            say(QStringLiteral("set: ") + *why);
            say(tr("未写入任何内容。", "Nothing was written."));
            return kExitUsage;
        }
    if (!quick.empty() && profile != kCurrentProfile) {
        say(tr("set: 缩位拨号号码不属于存储的配置", "set: the quick-dial numbers belong to no stored profile"));
        return kExitUsage;
    }

    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    std::optional<ProfileRecord> before, after;
    if (!assignments.empty()) {
        before = s.read(profile);
        if (!before) {
            if (interrupted()) return kExitInterrupted;
            say(tr("读取配置失败: ", "Reading the profile failed: ") + profileName(profile));
            return kExitFailed;
        }
        const EditOutcome edit = applyAssignments(*before, assignments);
        if (!edit.record) {
            say(QStringLiteral("set: ") + edit.refusal);
            say(tr("未写入任何内容。", "Nothing was written."));
            return kExitUsage;
        }
        after = edit.record;
    }
    QuickDialNumbers numbersBefore{}, numbers{};
    if (!quick.empty()) {
        numbersBefore = numbers = s.readQuickDial();
        for (const FieldAssignment& a : quick)
            numbers[static_cast<std::size_t>(quickDialSlot(a.name) - 1)] = a.value;
    }
    if (interrupted()) return kExitInterrupted;

    QStringList changes = before ? recordDifferences(*before, *after) : QStringList();
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] != numbersBefore[i])
            changes << QStringLiteral("quick_dial.%1: %2 -> %3")
                           .arg(i + 1)
                           .arg(QString::fromStdString(numbersBefore[i]),
                                QString::fromStdString(numbers[i]));
    out(profileName(profile) + QLatin1Char(':'));
    if (changes.isEmpty()) {
        out(tr("  没有改变。", "  no change."));
        return kExitOk;
    }
    for (const QString& line : changes)
        out(QStringLiteral("  ") + line);
    if (cl.dryRun) {
        out(tr("(试运行: 未写入)", "(dry run: nothing written)"));
        return kExitOk;
    }
    if (before && !(*before == *after)) {
        if (!s.write(profile, *after)) return interrupted() ? kExitInterrupted : kExitFailed;
        out(profileName(profile) + tr(": 已写入并核对", ": written and verified"));
    }
    if (numbers != numbersBefore) {
        if (interrupted()) return kExitInterrupted;
        s.storeQuickDial(numbers);
        if (s.readQuickDial() != numbers) {
            say(tr("缩位拨号: 读回的号码不同", "Quick dial: the numbers read back differ"));
            return interrupted() ? kExitInterrupted : kExitFailed;
        }
        out(tr("缩位拨号: 已存储并核对", "Quick dial: stored and verified"));
    }
    return kExitOk;
}

int runClock(const CommandLine& cl) {
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    const ClockResult r = setAdapterClock();
    if (!r.dateSent.empty())
        out(tr("日期: ", "Date: ") + QString::fromStdString(r.dateSent) +
            (r.dateAccepted ? QString() : QStringLiteral("  ") + replyLine(r.dateReply)));
    if (!r.timeSent.empty())
        out(tr("时间: ", "Time: ") + QString::fromStdString(r.timeSent) +
            (r.timeAccepted ? QString() : QStringLiteral("  ") + replyLine(r.timeReply)));
    switch (r.outcome) {
    case ClockOutcome::Set:
        out(textOf(general::kClockSet));
        return kExitOk;
    case ClockOutcome::NoDatePrompt:
        say(textOf(general::kDateNotAccepted));
        break;
    case ClockOutcome::NoTimePrompt:
        say(textOf(general::kTimeNotAccepted));
        break;
    case ClockOutcome::Rejected:
        break; // the adapter said why, printed above
    }
    return interrupted() ? kExitInterrupted : kExitFailed;
}

int runFactoryReset(const CommandLine& cl) {
    if (!cl.yes) {
        if (!::isatty(STDIN_FILENO)) {
            say(tr("factory-reset: 没有终端可以确认；请用 --yes",
                   "factory-reset: no terminal to confirm on; give --yes to reset without asking"));
            return kExitUsage;
        }
        if (!confirmedOnTerminal(general::kConfirmReset)) {
            say(tr("已取消，未改变。", "Cancelled; nothing changed."));
            return kExitOk;
        }
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    if (!restoreFactory()) {
        say(textOf(general::kResetFailed));
        return interrupted() ? kExitInterrupted : kExitFailed;
    }
    out(textOf(general::kResetDone));
    return kExitOk;
}

} // namespace omniset::cli
