// apply: a desired configuration, written only where it differs, as one transaction.
#include "cli/commands.h"
#include "cli/desired_config.h"
#include "cli/backup_file.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"

#include <QDateTime>
#include <QFileInfo>

namespace omniset::cli {

QString earlierStateDir() {
    return QFileInfo(defaultBackupPath(QDateTime::currentDateTime())).absolutePath();
}

int finishCommand(const CommandLine& cl, const Plan& plan, int exit, const QString& message) {
    if (cl.json) outData(reportJson(plan, cl.check, exit, message));
    return exit;
}

int reportProblems(const CommandLine& cl, Plan& plan, const QString& file, const QStringList& problems) {
    for (const QString& p : problems)
        say(cl.command + QStringLiteral(": ") + file + QStringLiteral(": ") + p);
    say(tr("文件有误，未写入任何内容。", "The file is not usable; nothing was written."));
    for (ProfileStep& s : plan.profiles)
        s.after = s.before;
    if (plan.quick) plan.quick->after = plan.quick->before;
    return finishCommand(cl, plan, kExitUsage, problems.join(QStringLiteral("; ")));
}

int carryOut(const CommandLine& cl, Session& s, Plan& plan) {
    if (cl.check) {
        printPlan(plan, true);
        for (ProfileStep& step : plan.profiles)
            if (step.changes()) step.result = StepResult::WouldChange;
        if (plan.quick && plan.quick->changes()) plan.quick->result = StepResult::WouldChange;
        return finishCommand(cl, plan, plan.changes() ? kExitDifferent : kExitOk, {});
    }
    printPlan(plan, false);
    if (!plan.changes()) {
        out(tr("没有需要写入的内容: KX220已经保存着这些值。",
               "Nothing written: the adapter already holds these values."));
        return finishCommand(cl, plan, kExitOk, {});
    }
    if (int rc = allowSynchronous(plan, cl.yes, cl.command))
        return finishCommand(cl, plan, rc, tr("同步模式未确认，未写入任何内容",
                                              "synchronous mode not confirmed; nothing was written"));
    QString message;
    const int rc = runPlan(s, plan, {cl.command, earlierStateDir()}, &message);
    return finishCommand(cl, plan, rc, message);
}

int runApply(const CommandLine& cl) {
    setReportToStderr(cl.json);
    const QString file = cl.args[0];
    Plan plan;
    QStringList problems;
    const auto desired = loadDesired(file, &problems);
    if (!desired) return reportProblems(cl, plan, file, problems);

    Session s;
    if (int rc = s.connect(cl.adapter))
        return finishCommand(cl, plan, rc, s.failure());
    // Every record the file names is read, and the whole file checked against them, before
    // anything is written.
    for (int profile : kBackupOrder) {
        const auto named = desired->profiles.find(profile);
        if (named == desired->profiles.end()) continue;
        progress(tr("读取 ", "Reading ") + profileName(profile));
        const auto record = s.read(profile);
        if (!record) {
            const int rc = interrupted() ? kExitInterrupted : kExitFailed;
            say(s.failure());
            return finishCommand(cl, plan, rc, s.failure());
        }
        ProfileStep step{profile, *record, *record};
        QStringList mine;
        const auto assignments = assignmentsFor(*record, named->second, &mine);
        if (!assignments.empty()) {
            const EditOutcome edit = applyAssignments(*record, assignments);
            if (edit.record) step.after = *edit.record;
            for (const QString& why : edit.refusals) mine << why;
        }
        for (const QString& why : mine)
            problems << recordKey(profile) + QStringLiteral(": ") + why;
        plan.profiles.push_back(std::move(step));
    }
    if (desired->namesQuickDial()) {
        progress(tr("读取缩位拨号", "Reading the quick-dial numbers"));
        QuickStep q;
        q.before = q.after = s.readQuickDial();
        for (std::size_t slot = 0; slot < q.after.size(); ++slot)
            if (desired->quickDial[slot]) q.after[slot] = *desired->quickDial[slot];
        plan.quick = q;
    }
    if (interrupted()) {
        say(tr("已中断，未写入任何内容。", "Interrupted; nothing was written."));
        return finishCommand(cl, plan, kExitInterrupted, tr("已中断", "interrupted"));
    }
    if (!problems.isEmpty()) return reportProblems(cl, plan, file, problems);
    return carryOut(cl, s, plan);
}

} // namespace omniset::cli
