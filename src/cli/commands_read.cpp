// info, show and backup: reading the adapter.
#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/json_out.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"
#include "core/platform/atomic_file.h"
#include "core/record/record_fields.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace omniset::cli {

namespace {

// A read that failed: its cause said; the exit code.
int readFailed(const Session& s) {
    if (interrupted()) return kExitInterrupted;
    say(s.failure());
    return kExitFailed;
}

int interruptedExit() {
    say(tr("已中断，未完成。", "Interrupted; not done."));
    return kExitInterrupted;
}

QByteArray quickDialJson(const QuickDialNumbers& numbers) {
    QByteArray out = "[";
    for (std::size_t i = 0; i < numbers.size(); ++i)
        out += (i ? ", " : "") + QByteArray::fromStdString(jsonString(numbers[i]));
    return out + "]";
}

// The adapter as the backup file describes it.
Backup adapterOf(const Session& s) {
    Backup b;
    b.firmware = s.firmware();
    b.version = s.identity().version;
    b.model = s.identity().model;
    b.portType = s.identity().portType;
    b.recordLength = s.recordLength();
    return b;
}

} // namespace

QString defaultBackupPath(const QDateTime& now) {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/omniset/backups/KX220-") +
           now.toString(QStringLiteral("yyyyMMdd'T'HHmmss")) + QStringLiteral(".json");
}

QString outputProblem(const QString& path, bool createFolder) {
    const QFileInfo file(path);
    if (file.isDir()) return tr("是目录: ", "Is a folder: ") + path;
    const QString folder = file.absolutePath();
    const QFileInfo dir(folder);
    if (!dir.exists()) {
        if (!createFolder) return tr("目录不存在: ", "No such folder: ") + folder;
        if (!QDir().mkpath(folder)) return tr("无法建立目录: ", "Cannot create the folder ") + folder;
    } else if (!dir.isDir()) {
        return tr("不是目录: ", "Not a folder: ") + folder;
    }
    // A file made and removed again: the one test that holds for root and read-only mounts.
    QByteArray probe = QFile::encodeName(folder) + "/.omniset-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return tr("无法在此目录写入: ", "Cannot write in the folder ") + folder +
               QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(errno)) + ')';
    ::close(fd);
    ::unlink(probe.constData());
    if (file.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return tr("文件只读: ", "The file is read-only: ") + path;
    return {};
}

int runInfo(const CommandLine& cl) {
    Session s;
    const int rc = s.connect(cl.adapter);
    if (cl.json) {
        JsonObject o;
        if (rc == kExitOk) {
            const auto& id = s.identity();
            o.raw("firmware", adapterTextJson(s.firmware()))
                .raw("version", adapterTextJson(id.version))
                .raw("model", adapterTextJson(id.model))
                .raw("port_type", adapterTextJson(id.portType))
                .num("record_length", s.recordLength())
                .str("port", cl.adapter.device.isEmpty() ? std::optional(s.port()) : std::nullopt)
                .str("device", s.device())
                .str("line", s.lineText());
        } else {
            for (const char* key : {"firmware", "version", "model", "port_type", "record_length",
                                    "port", "device", "line"})
                o.null(key);
        }
        outData(o.finish(rc, s.failure()));
        return rc;
    }
    if (rc) return rc;
    const auto& id = s.identity();
    out(tr("固件版本: ", "Firmware:      ") + s.firmware() + QStringLiteral("  (") + id.version +
        ')');
    out(tr("ISDN端口类型: ", "ISDN port:     ") + id.portType.trimmed());
    out(tr("型号: ", "Model:         ") + id.model);
    out(tr("配置长度: ", "Record length: ") + QString::number(s.recordLength()));
    out(tr("端口: ", "Port:          ") + s.port());
    out(tr("设备: ", "Device:        ") + s.device());
    out(tr("线路设置: ", "Line:          ") + s.lineText());
    return kExitOk;
}

int runShow(const CommandLine& cl) {
    const QString which = cl.args.value(0, QStringLiteral("current"));
    const int profile = profileOfName(which);
    JsonObject json;
    json.str("profile", which);
    auto fail = [&](int rc, const QString& message) {
        if (cl.json) outData(json.finish(rc, message));
        return rc;
    };
    if (profile < 0) {
        const QString why = tr("show: PROFILE 应为 current 或 0..4，而不是 %1",
                               "show: PROFILE is current or 0..4, not %1")
                                .arg(which);
        say(why);
        return fail(kExitUsage, why);
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return fail(rc, s.failure());
    auto record = s.read(profile);
    if (!record) return fail(readFailed(s), s.failure());
    if (interrupted()) return fail(interruptedExit(), tr("已中断", "interrupted"));
    const QuickDialNumbers quick = s.readQuickDial();
    if (interrupted()) return fail(interruptedExit(), tr("已中断", "interrupted"));

    if (cl.json) {
        json.raw("fields", fieldsJson(*record, 2))
            .raw("raw", rawJson(*record, 2))
            .raw("quick_dial", quickDialJson(quick));
        outData(json.finish(kExitOk, {}));
        return kExitOk;
    }
    out(profileName(profile) + tr(" (%1 字节)", " (%1 bytes)").arg(record->length()));
    std::optional<FieldGroup> group;
    for (const DecodedField& d : decodeRecord(*record, english())) {
        if (group != d.field->group) {
            group = d.field->group;
            out(QString());
            out(QStringLiteral("[") + QString::fromStdString(fieldGroupTitle(*group, english())) +
                QStringLiteral("]"));
        }
        out(QStringLiteral("%1  %2  %3")
                .arg(QString::fromStdString(std::string(d.field->name)), -30)
                .arg(QString::fromStdString(d.raw), -4)
                .arg(QString::fromStdString(d.words)));
    }
    out(QString());
    out(tr("[缩位拨号]", "[Quick dial]"));
    for (std::size_t i = 0; i < quick.size(); ++i)
        out(QStringLiteral("quick_dial.%1  %2").arg(i + 1).arg(QString::fromStdString(quick[i])));
    return kExitOk;
}

int runBackup(const CommandLine& cl) {
    const QDateTime now = QDateTime::currentDateTime();
    const bool toStdout = cl.args.value(0) == QLatin1String("-");
    const QString path = cl.args.isEmpty() ? defaultBackupPath(now) : cl.args.first();
    JsonObject json;
    auto finish = [&](int rc, const QString& message) {
        if (cl.json) outData(json.finish(rc, message));
        return rc;
    };
    // Where the file goes is checked before the adapter is touched; only the default
    // backups folder is created.
    if (!toStdout) {
        json.str("path", QFileInfo(path).absoluteFilePath());
        if (const QString problem = outputProblem(path, cl.args.isEmpty()); !problem.isEmpty()) {
            say(QStringLiteral("backup: ") + problem);
            json.null("adapter");
            return finish(kExitUsage, problem);
        }
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) {
        json.null("adapter");
        return finish(rc, s.failure());
    }
    Backup b;
    const int rc = readBackup(s, now, &b);
    json.raw("adapter", adapterJson(b, 2));
    if (rc) return finish(rc, s.failure().isEmpty() ? tr("已中断", "interrupted") : s.failure());
    if (toStdout) {
        outData(backupJson(b));
        return kExitOk;
    }
    QString error;
    if (!platform::writeFileAtomically(path, backupJson(b), &error)) {
        say(error);
        return finish(kExitUsage, error);
    }
    if (!cl.json) out(QFileInfo(path).absoluteFilePath());
    return finish(kExitOk, {});
}

int readBackup(Session& s, const QDateTime& now, Backup* backup) {
    Backup& b = *backup;
    b = adapterOf(s);
    b.created = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
    for (int profile : kBackupOrder) {
        progress(tr("读取 ", "Reading ") + profileName(profile));
        auto record = s.read(profile);
        if (!record) return readFailed(s);
        if (interrupted()) return interruptedExit();
        b.records[static_cast<std::size_t>(profile)] = *record;
    }
    progress(tr("读取缩位拨号", "Reading the quick-dial numbers"));
    b.quickDial = s.readQuickDial();
    if (interrupted()) return interruptedExit();
    return kExitOk;
}

int backupAdapter(Session& s, const QString& path, const QDateTime& now, Backup* backup) {
    if (int rc = readBackup(s, now, backup)) return rc;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!platform::writeFileAtomically(path, backupJson(*backup), &error)) {
        say(error);
        return kExitUsage;
    }
    out(QFileInfo(path).absoluteFilePath());
    return kExitOk;
}

} // namespace omniset::cli
