// set, clock and factory-reset: changing the adapter's settings.
#include "cli/commands.h"
#include "cli/json_out.h"
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

} // namespace

int runSet(const CommandLine& cl) {
    setReportToStderr(cl.json);
    Plan plan;
    auto usage = [&](const QString& why) {
        say(why);
        return finishCommand(cl, plan, kExitUsage, why);
    };
    if (cl.profiles.size() > 1) return usage(tr("set: 最多一个 --profile", "set: one --profile at most"));
    const QString which = cl.profiles.value(0, QStringLiteral("current"));
    const int profile = profileOfName(which);
    if (profile < 0) return usage(tr("set: --profile 应为 current 或 0..4，而不是 %1", "set: --profile is current or 0..4, not %1").arg(which));
    // Every NAME=VALUE is well formed, in characters a record byte can hold, before the
    // adapter is asked for anything.
    std::vector<FieldAssignment> assignments;
    for (const QString& arg : cl.args) {
        for (QChar c : arg)
            if (c.unicode() == 0 || c.unicode() > 0xFF)
                return usage(QStringLiteral("set: %1: ").arg(arg) +
                             tr("含有配置无法保存的字符", "holds a character the record cannot hold"));
        auto a = parseAssignment(arg.toLatin1().toStdString());
        if (!a) return usage(tr("set: 不是 NAME=VALUE: %1", "set: not NAME=VALUE: %1").arg(arg));
        assignments.push_back(std::move(*a));
    }
    // The quick-dial numbers are not in the record: they have their own exchanges.
    std::vector<FieldAssignment> quick;
    std::erase_if(assignments, [&](const FieldAssignment& a) {
        if (!quickDialSlot(a.name)) return false;
        quick.push_back(a);
        return true;
    });
    QStringList problems;
    for (const FieldAssignment& a : quick)
        if (auto why = quickDialRefusal(a)) problems << *why;
    if (!problems.isEmpty()) return reportProblems(cl, plan, QStringLiteral("NAME=VALUE"), problems);
    if (!quick.empty() && profile != kCurrentProfile)
        return usage(tr("set: 缩位拨号号码不属于存储的配置",
                        "set: the quick-dial numbers belong to no stored profile"));

    Session s;
    if (int rc = s.connect(cl.adapter))
        return finishCommand(cl, plan, rc, s.failure());
    if (!assignments.empty()) {
        const auto before = s.read(profile);
        if (!before) {
            const int rc = interrupted() ? kExitInterrupted : kExitFailed;
            say(s.failure());
            return finishCommand(cl, plan, rc, s.failure());
        }
        plan.profiles.push_back({profile, *before, *before});
        const EditOutcome edit = applyAssignments(*before, assignments);
        if (!edit.record) {
            for (const QString& why : edit.refusals) problems << why;
            return reportProblems(cl, plan, QStringLiteral("NAME=VALUE"), problems);
        }
        plan.profiles.back().after = *edit.record;
    }
    if (!quick.empty()) {
        QuickStep q;
        q.before = q.after = s.readQuickDial();
        for (const FieldAssignment& a : quick)
            q.after[static_cast<std::size_t>(quickDialSlot(a.name) - 1)] = a.value;
        plan.quick = q;
    }
    if (interrupted()) return finishCommand(cl, plan, kExitInterrupted, tr("已中断", "interrupted"));
    CommandLine c = cl;
    c.check = cl.dryRun;
    const int rc = carryOut(c, s, plan);
    if (cl.dryRun && plan.changes()) out(tr("(试运行: 未写入)", "(dry run: nothing written)"));
    return cl.dryRun && rc == kExitDifferent ? kExitOk : rc;
}

int runClock(const CommandLine& cl) {
    setReportToStderr(cl.json);
    JsonObject json;
    Session s;
    if (int rc = s.connect(cl.adapter)) {
        if (cl.json) outData(json.null("date").null("time").flag("set", false).finish(rc, s.failure()));
        return rc;
    }
    const ClockResult r = setAdapterClock();
    json.str("date", std::optional(QString::fromStdString(r.dateSent)))
        .str("time", std::optional(QString::fromStdString(r.timeSent)))
        .flag("set", r.outcome == ClockOutcome::Set);
    if (!r.dateSent.empty())
        out(tr("日期: ", "Date: ") + QString::fromStdString(r.dateSent) +
            (r.dateAccepted ? QString() : QStringLiteral("  ") + replyLine(r.dateReply)));
    if (!r.timeSent.empty())
        out(tr("时间: ", "Time: ") + QString::fromStdString(r.timeSent) +
            (r.timeAccepted ? QString() : QStringLiteral("  ") + replyLine(r.timeReply)));
    QString why;
    switch (r.outcome) {
    case ClockOutcome::Set:
        out(textOf(general::kClockSet));
        if (cl.json) outData(json.finish(kExitOk, {}));
        return kExitOk;
    case ClockOutcome::NoDatePrompt:
        why = textOf(general::kDateNotAccepted);
        say(why);
        break;
    case ClockOutcome::NoTimePrompt:
        why = textOf(general::kTimeNotAccepted);
        say(why);
        break;
    case ClockOutcome::Rejected: // the adapter said why, printed above
        why = replyLine(r.dateAccepted ? r.timeReply : r.dateReply);
        break;
    }
    const int rc = interrupted() ? kExitInterrupted : kExitFailed;
    if (cl.json) outData(json.finish(rc, why));
    return rc;
}

int runFactoryReset(const CommandLine& cl) {
    setReportToStderr(cl.json);
    auto finish = [&](int rc, bool reset, const QString& message) {
        if (cl.json) outData(JsonObject().flag("reset", reset).finish(rc, message));
        return rc;
    };
    if (!cl.yes) {
        if (!::isatty(STDIN_FILENO)) {
            const QString why = tr("factory-reset: 没有终端可以确认；请用 --yes",
                                   "factory-reset: no terminal to confirm on; give --yes to reset without asking");
            say(why);
            return finish(kExitUsage, false, why);
        }
        if (!confirmOnTerminal(textOf(general::kConfirmReset))) {
            say(tr("已取消，未改变。", "Cancelled; nothing changed."));
            return finish(kExitOk, false, {});
        }
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return finish(rc, false, s.failure());
    if (!restoreFactory()) {
        say(textOf(general::kResetFailed));
        return finish(interrupted() ? kExitInterrupted : kExitFailed, false,
                      textOf(general::kResetFailed));
    }
    out(textOf(general::kResetDone));
    // The window program's text asks for a restart of the windows; the command line has none.
    out(tr("(omniset-cli 无需重新启动; 用 omniset-cli show 查看出厂设置。)",
           "(omniset-cli needs no restart; omniset-cli show lists the factory settings.)"));
    return finish(kExitOk, true, {});
}

} // namespace omniset::cli
