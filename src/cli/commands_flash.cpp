// flash: a firmware download from a terminal, with a backup of the configuration first.
#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/flash_progress.h"
#include "cli/json_out.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/app/app_state.h"
#include "core/download/boot_loader.h"
#include "core/download/xmodem_sender.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/record/profile_codec.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace omniset::cli {

namespace {

// Why FILE cannot be flashed ("" when it can): it must exist, be a readable file, not empty.
QString fileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return tr("文件不存在: ", "No such file: ") + path;
    if (info.isDir()) return tr("是目录: ", "Is a folder: ") + path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return tr("无法读取: ", "Cannot read: ") + path;
    if (f.size() == 0) return tr("下载文件为空!", "The download file is empty!") + QStringLiteral(" (") + path + ')';
    return {};
}

// Clears the download flag whatever way the command ends.
struct ActiveDownload {
    ActiveDownload() { DownloadActive = 1; }
    ~ActiveDownload() { DownloadActive = 0; }
};

QString stateAfterDialogue(BootLoaderStep reached) {
    switch (reached) {
    case BootLoaderStep::None:
        return tr("KX220仍在命令状态, 固件未改变。",
                  "The adapter is still in its command mode; its firmware is unchanged.");
    case BootLoaderStep::Question:
    case BootLoaderStep::Speed:
        return tr("KX220的引导程序停在提问处: 请重新给KX220上电, 或再次运行 flash。",
                  "The adapter's boot loader was left at its question: power-cycle the "
                  "adapter, or run flash again.");
    case BootLoaderStep::Waiting: break;
    }
    return tr("KX220的引导程序在等待新的传输: 请重新给KX220上电, 或再次运行 flash。",
              "The adapter's boot loader is left waiting for a new transfer: power-cycle the "
              "adapter, or run flash again.");
}

// After the upgrade: the current record against the backup's (the bytes both lengths have),
// with the restore hint when the configuration no longer is what was backed up. Whether it
// was kept; nothing when it could not be read.
std::optional<bool> compareWithBackup(const Backup& b, const QString& backupPath, int length) {
    UnlockProfiles();
    if (!ReadProfile(profileReadCommand(kCurrentProfile))) {
        out(tr("无法读取配置以便与备份比较: ", "Could not read the configuration to compare it with the backup: ") +
            backupPath);
        return std::nullopt;
    }
    const ProfileRecord& now = ProfileImage();
    const ProfileRecord& before = b.records[static_cast<std::size_t>(kCurrentProfile)];
    bool same = true;
    for (int i = 0; i < std::min(now.length(), before.length()); ++i)
        same = same && now.byte(i) == before.byte(i);
    if (same && length == b.recordLength) {
        out(tr("配置与备份相同。", "The configuration is as it was backed up."));
    } else if (same) {
        out(tr("配置保留; 配置长度由 %1 变为 %2 字节, 新增部分为出厂值。",
               "The configuration was kept; the record grew from %1 to %2 bytes, the new "
               "fields have their factory values.")
                .arg(b.recordLength)
                .arg(length));
    } else if (length == b.recordLength) {
        out(tr("配置已被重置, 与备份不同。恢复配置: omniset-cli restore ",
               "The configuration was reset: it differs from the backup. To restore it: "
               "omniset-cli restore ") +
            backupPath);
    } else {
        out(tr("配置已被重置; 备份的配置长度 (%1 字节) 与现在的 (%2 字节) 不同, restore 不能直接恢复: ",
               "The configuration was reset; the backup's records (%1 bytes) differ in length "
               "from the adapter's (%2 bytes), so restore refuses it as it is: ")
                .arg(b.recordLength)
                .arg(length) +
            backupPath);
    }
    return same;
}

// "Send FILE (N bytes) to the adapter? [y/N]" on the terminal: only y or yes sends.
bool askToSend(const QString& path, qint64 size) {
    return askOnTerminal(tr("将 %1 (%2 字节) 发送到KX220? [y/N] ", "Send %1 (%2 bytes) to the adapter? [y/N] ")
                             .arg(path)
                             .arg(size));
}

} // namespace

int runFlash(const CommandLine& cl) {
    setReportToStderr(cl.json);
    const QString path = cl.args.first();
    JsonObject json;
    json.str("file", QFileInfo(path).absoluteFilePath());
    QString backupPath;
    qint64 sent = 0;
    int resends = 0;
    std::optional<QString> firmwareBefore, versionBefore, firmwareAfter, versionAfter;
    std::optional<bool> kept;
    auto finish = [&](int rc, const QString& message) {
        if (!cl.json) return rc;
        JsonObject o = json;
        o.str("backup", std::optional(backupPath))
            .num("bytes", sent)
            .num("resends", resends)
            .str("firmware_before", firmwareBefore)
            .str("version_before", versionBefore)
            .str("firmware_after", firmwareAfter)
            .str("version_after", versionAfter)
            .raw("configuration_kept", kept ? (*kept ? "true" : "false") : "null");
        outData(o.finish(rc, message));
        return rc;
    };
    auto fail = [&](int rc, const QString& message) {
        say(message);
        return finish(rc, message);
    };
    // 1. The file, and the user's word, before the adapter is touched.
    if (const QString problem = fileProblem(path); !problem.isEmpty())
        return fail(kExitUsage, QStringLiteral("flash: ") + problem);
    if (!cl.yes) {
        if (!::isatty(STDIN_FILENO))
            return fail(kExitUsage, tr("flash: 没有终端可以确认；请用 --yes",
                                       "flash: no terminal to confirm on; give --yes to send "
                                       "without asking"));
        if (!askToSend(path, QFileInfo(path).size())) {
            say(tr("已取消，未发送。", "Cancelled; nothing was sent."));
            return finish(kExitOk, {});
        }
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return finish(rc, s.failure());
    firmwareBefore = s.firmware();
    versionBefore = s.identity().version;

    // 2. The backup, as backup makes it.
    Backup backup;
    if (!cl.noBackup) {
        const QDateTime now = QDateTime::currentDateTime();
        backupPath = QFileInfo(defaultBackupPath(now)).absoluteFilePath();
        progress(tr("备份配置到 ", "Backing up the configuration to ") + backupPath);
        if (int rc = backupAdapter(s, backupPath, now, &backup)) {
            backupPath.clear();
            return fail(rc, rc == kExitInterrupted
                                ? tr("未下载。", "Nothing was downloaded.")
                                : tr("备份失败, 未下载。", "The backup failed; nothing was downloaded."));
        }
    }
    CXModemSender sender(nullptr);
    // Opened again for the transfer: it may have changed since it was checked.
    if (!sender.openFile(path) || sender.fileSize() == 0) {
        const QString problem = fileProblem(path);
        return fail(kExitUsage, QStringLiteral("flash: ") +
                                    (problem.isEmpty() ? tr("无法读取: ", "Cannot read: ") + path
                                                       : problem));
    }
    const qint64 size = sender.fileSize();
    if (interrupted())
        return fail(kExitInterrupted, tr("已中断, 未下载。", "Interrupted; nothing was downloaded."));

    // 3. The boot loader dialogue of the window program.
    ActiveDownload active;
    BootLoaderStep reached = BootLoaderStep::None;
    progress(tr("正在准备下载 ...", "Preparing the download ..."));
    const bool ready = runBootLoaderDialogue([&](BootLoaderStep step) { reached = step; });
    if (!ready || interrupted())
        return fail(interrupted() ? kExitInterrupted : kExitFailed, stateAfterDialogue(reached));

    // 4. The transfer, with progress on standard error; Ctrl-C cancels it.
    progress(tr("正在发送 %1 (%2 字节)", "Sending %1 (%2 bytes)").arg(path).arg(size));
    bool acknowledged = false;
    FlashProgress view(size, !cl.quiet && ::isatty(STDERR_FILENO));
    sender.setView(&view);
    sender.setCompletion([&] { acknowledged = true; });
    const bool done = sender.Run() && acknowledged;
    sender.setView(nullptr);
    view.finish();
    const double seconds = view.elapsedSeconds();
    resends = view.resends();
    if (!done) {
        const QString where = tr("在第 %1 块 (共 %2 块)", "at block %1 of %2")
                                  .arg(view.blocksDone() + 1)
                                  .arg(view.blocksTotal());
        if (SerialLost())
            return fail(kExitFailed,
                        tr("KX220在传输中断开了 ", "The adapter went away during the transfer, ") +
                            where + QStringLiteral(". ") +
                            tr("请重新给KX220上电并再次运行 flash。",
                               "Power-cycle it and run flash again."));
        return fail(interrupted() ? kExitInterrupted : kExitFailed,
                    (interrupted() ? tr("传输已取消 ", "The transfer was cancelled ")
                                   : tr("传输失败 ", "The transfer failed ")) +
                        where + QStringLiteral(". ") + stateAfterDialogue(BootLoaderStep::Waiting));
    }
    sent = size;
    out(tr("已发送 %1 字节, %2 秒, 稳定速率 %3 字节/秒, 重试 %4 次",
           "Sent %1 bytes in %2 s (steady rate %3 bytes/s), %4 resends")
            .arg(size)
            .arg(seconds, 0, 'f', 1)
            .arg(view.rate(), 0, 'f', 0)
            .arg(view.resends()));

    // 5. The completion's wait, then who the adapter is now.
    progress(tr("下载结束，请等待... ", "Downloading is over, wait... "));
    PumpedWait(kFinishingWaitMs);
    SerialPurge();
    const AdapterIdentity id = identifyAdapter();
    if (id.versionReply.empty())
        return fail(kExitNoAdapter, tr("KX220没有回答", "KX220 does not answer: ") + s.where());
    firmwareAfter = QString::fromStdString(versionTextForReply(id.versionReply));
    versionAfter = id.version;
    out(tr("固件版本: %1 (原为 %2)", "Firmware: %1 (was %2)").arg(*firmwareAfter, *firmwareBefore) +
        QStringLiteral("  ") + id.version);
    const int length = profileLengthForReply(id.versionReply);
    AllocateProfile(length);
    if (!cl.noBackup) kept = compareWithBackup(backup, backupPath, length);
    return finish(kExitOk, {});
}

} // namespace omniset::cli
