// The file apply takes, in its own format or as a backup file's fields.
#include "cli/desired_config.h"

#include "cli/backup_file.h"
#include "core/app/language.h"
#include "core/record/record_fields.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

namespace omniset::cli {

namespace {

// A file larger than this is no configuration (a backup is a few tens of kilobytes).
constexpr qint64 kLargestFile = 4 * 1024 * 1024;

QString text(const char* zh, const char* en) { return pickText(zh, en); }

QString compact(const QJsonValue& v) {
    const QByteArray array = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString problem(const QString& name, const QJsonValue& v, const QString& why) {
    return name + QLatin1Char('=') + compact(v) + QStringLiteral(": ") + why;
}

// The JSON types show --json gives a field's values.
bool typeFits(const RecordField& f, const QJsonValue& v, QString* expected) {
    switch (f.coding) {
    case FieldCoding::Choice:
        if (f.numericWords) {
            *expected = text("应为数字", "a number");
            return v.isDouble();
        }
        *expected = text("应为字符串", "a string");
        return v.isString();
    case FieldCoding::Flag:
        *expected = text("应为 true 或 false", "true or false");
        return v.isBool();
    case FieldCoding::Tens:
    case FieldCoding::HalfKbit:
        *expected = text("应为数字或 \"disabled\"", "a number or \"disabled\"");
        return v.isDouble() || v.isString();
    case FieldCoding::Window:
        *expected = text("应为数字", "a number");
        return v.isDouble();
    case FieldCoding::Text:
        *expected = text("应为字符串", "a string");
        return v.isString();
    }
    return false;
}

// The value as set takes it on the command line.
std::string valueText(const QJsonValue& v) {
    if (v.isBool()) return v.toBool() ? "true" : "false";
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::abs(d) < 1e9) return std::to_string(static_cast<long long>(d));
        return QString::number(d).toStdString();
    }
    return v.toString().toLatin1().toStdString();
}

bool latin1(const QString& s) {
    for (QChar c : s)
        if (c.unicode() == 0 || c.unicode() > 0xFF) return false;
    return true;
}

void takeFields(const QJsonObject& fields, std::vector<DesiredValue>& into) {
    // A JSON object has no order of its own once parsed: the field table's order is used,
    // then names that are no field (reported as such later).
    for (const RecordField& f : recordFields()) {
        const QString name = QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
        if (fields.contains(name)) into.push_back({std::string(f.name), fields.value(name)});
    }
    for (auto it = fields.begin(); it != fields.end(); ++it)
        if (!findRecordField(it.key().toStdString()))
            into.push_back({it.key().toStdString(), it.value()});
}

void takeQuickDial(int slot, const QJsonValue& v, DesiredConfig& c, QStringList* problems) {
    const QString name = QStringLiteral("quick_dial.%1").arg(slot + 1);
    if (!v.isString()) {
        *problems << problem(name, v, text("应为字符串", "a string"));
        return;
    }
    const FieldAssignment a{name.toStdString(), v.toString().toLatin1().toStdString()};
    if (!latin1(v.toString())) {
        *problems << problem(name, v, text("缩位拨号号码应为数字", "digits only"));
        return;
    }
    if (auto why = quickDialRefusal(a)) {
        *problems << *why;
        return;
    }
    c.quickDial[static_cast<std::size_t>(slot)] = a.value;
}

} // namespace

bool DesiredConfig::namesQuickDial() const {
    for (const auto& n : quickDial)
        if (n) return true;
    return false;
}

std::optional<DesiredConfig> parseDesired(const QByteArray& bytes, QStringList* problems) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &pe);
    if (pe.error != QJsonParseError::NoError) {
        *problems << text("不是JSON: 第 %2 字节处 %1", "not JSON: %1 at byte %2")
                         .arg(pe.errorString())
                         .arg(pe.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        *problems << text("不是JSON对象", "not a JSON object");
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    const QString format = root.value(QLatin1String("format")).toString();
    DesiredConfig c;
    c.fromBackup = format == QLatin1String(kBackupFormat);
    if (!c.fromBackup && format != QLatin1String(kConfigFormat)) {
        *problems << text("\"format\" 既不是 %1 也不是 %2", "\"format\" is neither %1 nor %2")
                         .arg(QLatin1String(kConfigFormat), QLatin1String(kBackupFormat));
        return std::nullopt;
    }
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != (c.fromBackup ? kBackupVersion : kConfigVersion)) {
        *problems << text("未知的版本", "unknown version");
        return std::nullopt;
    }
    if (!c.fromBackup)
        for (auto it = root.begin(); it != root.end(); ++it)
            if (it.key() != QLatin1String("format") && it.key() != QLatin1String("version") &&
                it.key() != QLatin1String("profiles") && it.key() != QLatin1String("quick_dial"))
                *problems << text("%1: 未知的键 (format, version, profiles, quick_dial)",
                                  "%1: unknown key (format, version, profiles, quick_dial)")
                                 .arg(it.key());

    const QJsonValue profilesValue = root.value(QLatin1String("profiles"));
    if (!profilesValue.isUndefined() && !profilesValue.isObject())
        *problems << text("profiles: 不是对象", "profiles: not an object");
    const QJsonObject profiles = profilesValue.toObject();
    for (auto it = profiles.begin(); it != profiles.end(); ++it) {
        int profile = -1;
        for (int p : kBackupOrder)
            if (recordKey(p) == it.key()) profile = p;
        if (profile < 0) {
            *problems << text("profiles: %1: 不是 current 或 0..4", "profiles: %1: not current or 0..4").arg(it.key());
            continue;
        }
        const QJsonValue fields =
            c.fromBackup ? it.value().toObject().value(QLatin1String("fields")) : it.value();
        if (!fields.isObject()) {
            *problems << text("profiles: %1: %2不是对象", "profiles: %1: %2not an object")
                             .arg(it.key(), c.fromBackup ? QStringLiteral("fields: ") : QString());
            continue;
        }
        takeFields(fields.toObject(), c.profiles[profile]);
    }

    const QJsonValue quick = root.value(QLatin1String("quick_dial"));
    if (c.fromBackup && quick.isArray() && quick.toArray().size() == 4) {
        for (int slot = 0; slot < 4; ++slot)
            takeQuickDial(slot, quick.toArray().at(slot), c, problems);
    } else if (!c.fromBackup && quick.isObject()) {
        const QJsonObject numbers = quick.toObject();
        for (auto it = numbers.begin(); it != numbers.end(); ++it) {
            const int slot = it.key().size() == 1 ? it.key()[0].unicode() - '1' : -1;
            if (slot < 0 || slot > 3)
                *problems << text("quick_dial: %1: 不是 1..4", "quick_dial: %1: not 1..4").arg(it.key());
            else
                takeQuickDial(slot, it.value(), c, problems);
        }
    } else if (!quick.isUndefined()) {
        *problems << (c.fromBackup ? text("quick_dial: 不是四个号码", "quick_dial: not four numbers")
                                   : text("quick_dial: 不是对象", "quick_dial: not an object"));
    }
    return c;
}

std::optional<DesiredConfig> loadDesired(const QString& path, QStringList* problems) {
    QFile f;
    const bool opened = path == QLatin1String("-")
                            ? f.open(stdin, QIODevice::ReadOnly)
                            : (f.setFileName(path), f.open(QIODevice::ReadOnly));
    if (!opened) {
        *problems << path + QStringLiteral(": ") + f.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = f.read(kLargestFile + 1);
    if (bytes.size() > kLargestFile) {
        *problems << path + text(": 文件太大，不是配置文件", ": too large for a configuration");
        return std::nullopt;
    }
    return parseDesired(bytes, problems);
}

std::vector<FieldAssignment> assignmentsFor(const ProfileRecord& record,
                                            const std::vector<DesiredValue>& values,
                                            QStringList* problems) {
    std::vector<FieldAssignment> out;
    for (const DesiredValue& d : values) {
        const QString name = QString::fromStdString(d.name);
        const RecordField* f = findRecordField(d.name);
        if (!f) {
            *problems << problem(name, d.value,
                                 text("没有此字段 (字段名见 show)",
                                      "no such field (the names are those of show)"));
            continue;
        }
        QString expected;
        if (!typeFits(*f, d.value, &expected)) {
            *problems << problem(name, d.value, text("类型不对: ", "wrong type: ") + expected);
            continue;
        }
        if (d.value.isString() && !latin1(d.value.toString())) {
            *problems << problem(name, d.value,
                                 text("含有配置无法保存的字符", "holds a character the record cannot hold"));
            continue;
        }
        // A value the record already holds is no change, whatever the pages would say of it.
        const auto now = decodeField(*f, record, true);
        if (now && jsonValueOf(now->value) == d.value) continue;
        out.push_back({d.name, valueText(d.value)});
    }
    return out;
}

} // namespace omniset::cli
