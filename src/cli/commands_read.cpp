// info, show and backup: reading the adapter.
#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "core/link/profile_transfer.h"
#include "core/platform/atomic_file.h"
#include "core/record/record_fields.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace omniset::cli {

namespace {

int readFailed(const Session& s) {
    if (interrupted()) return kExitInterrupted;
    say(s.failure());
    return kExitFailed;
}

int interruptedExit() {
    say(tr("已中断，未完成。", "Interrupted; not done."));
    return kExitInterrupted;
}

} // namespace

QString defaultBackupPath(const QDateTime& now) {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/omniset/backups/KX220-") +
           now.toString(QStringLiteral("yyyyMMdd'T'HHmmss")) + QStringLiteral(".json");
}

namespace {

QString quoteList(const QuickDialNumbers& numbers) {
    QStringList parts;
    for (const auto& n : numbers)
        parts << QString::fromStdString(jsonString(n));
    return parts.join(QStringLiteral(", "));
}

} // namespace

int runInfo(const CommandLine& cl) {
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
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
    if (profile < 0) {
        say(tr("show: PROFILE 应为 current 或 0..4，而不是 %1", "show: PROFILE is current or 0..4, not %1").arg(which));
        return kExitUsage;
    }
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    auto record = s.read(profile);
    if (!record) return readFailed(s);
    if (interrupted()) return interruptedExit();
    const QuickDialNumbers quick = s.readQuickDial();
    if (interrupted()) return interruptedExit();

    if (cl.json) {
        QByteArray json = "{\n  \"profile\": \"" + nameOfProfile(profile).toLatin1() + "\",\n";
        json += "  \"fields\": " + fieldsJson(*record, 2) + ",\n";
        json += "  \"raw\": " + rawJson(*record, 2) + ",\n";
        json += "  \"quick_dial\": [" + quoteList(quick).toLatin1() + "]\n}\n";
        std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
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
    const QString path = cl.args.isEmpty() ? defaultBackupPath(now) : cl.args.first();
    Session s;
    if (int rc = s.connect(cl.adapter)) return rc;
    Backup b;
    return backupAdapter(s, path, now, &b);
}

int backupAdapter(Session& s, const QString& path, const QDateTime& now, Backup* backup) {
    Backup& b = *backup;
    b.created = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
    b.firmware = s.firmware();
    b.model = s.identity().model;
    b.portType = s.identity().portType;
    b.recordLength = s.recordLength();
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

    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!platform::writeFileAtomically(path, backupJson(b), &error)) {
        say(error);
        return kExitUsage;
    }
    out(QFileInfo(path).absoluteFilePath());
    return kExitOk;
}

} // namespace omniset::cli
