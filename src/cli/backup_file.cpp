#include "cli/backup_file.h"

#include "core/app/language.h"
#include "core/record/profile_codec.h"
#include "core/record/record_fields.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace omniset::cli {

namespace {

QString wordsFor(const char* zh, const char* en) { return pickText(zh, en); }

QByteArray pad(int indent) {
    return QByteArray(indent, ' ');
}

QByteArray str(const QString& s) {
    return adapterTextJson(s);
}

// {"name": literal, ...} one member per line, from decoded fields.
template <class Pick>
QByteArray objectOfFields(const ProfileRecord& record, int indent, Pick pick) {
    const auto fields = decodeRecord(record, true);
    QByteArray out = "{\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += pad(indent + 2) + QByteArray::fromStdString(jsonString(fields[i].field->name)) +
               ": " + QByteArray::fromStdString(pick(fields[i]));
        out += i + 1 < fields.size() ? ",\n" : "\n";
    }
    return out + pad(indent) + "}";
}

bool upperHex(const QString& s) {
    for (QChar c : s)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return false;
    return true;
}

} // namespace

QByteArray adapterTextJson(const QString& text) {
    return QByteArray::fromStdString(jsonString(text.toLatin1().toStdString()));
}

QString recordKey(int profile) {
    return profile == 5 ? QStringLiteral("current") : QString::number(profile);
}

QByteArray fieldsJson(const ProfileRecord& record, int indent) {
    return objectOfFields(record, indent, [](const DecodedField& d) { return d.value; });
}

QByteArray rawJson(const ProfileRecord& record, int indent) {
    return objectOfFields(record, indent, [](const DecodedField& d) { return d.raw; });
}

QByteArray adapterJson(const Backup& b, int indent) {
    const QByteArray in = pad(indent + 2);
    QByteArray out = "{\n";
    out += in + "\"firmware\": " + str(b.firmware) + ",\n";
    out += in + "\"version\": " + str(b.version) + ",\n";
    out += in + "\"model\": " + str(b.model) + ",\n";
    out += in + "\"port_type\": " + str(b.portType) + ",\n";
    out += in + "\"record_length\": " + QByteArray::number(b.recordLength) + "\n";
    return out + pad(indent) + "}";
}

QByteArray backupJson(const Backup& b) {
    QByteArray out = "{\n";
    out += "  \"format\": " + str(QString::fromLatin1(kBackupFormat)) + ",\n";
    out += "  \"version\": " + QByteArray::number(kBackupVersion) + ",\n";
    out += "  \"created\": " + str(b.created) + ",\n";
    out += "  \"adapter\": " + adapterJson(b, 2) + ",\n";
    out += "  \"profiles\": {\n";
    for (std::size_t i = 0; i < kBackupOrder.size(); ++i) {
        const ProfileRecord& r = b.records[static_cast<std::size_t>(kBackupOrder[i])];
        out += "    " + str(recordKey(kBackupOrder[i])) + ": {\n";
        out += "      \"hex\": \"" + QByteArray::fromStdString(encodeProfileHex(r)) + "\",\n";
        out += "      \"fields\": " + fieldsJson(r, 6) + "\n";
        out += i + 1 < kBackupOrder.size() ? "    },\n" : "    }\n";
    }
    out += "  },\n";
    out += "  \"quick_dial\": [\n";
    for (std::size_t i = 0; i < b.quickDial.size(); ++i) {
        out += "    " + QByteArray::fromStdString(jsonString(b.quickDial[i]));
        out += i + 1 < b.quickDial.size() ? ",\n" : "\n";
    }
    out += "  ]\n}\n";
    return out;
}

std::optional<Backup> parseBackup(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &pe);
    if (pe.error != QJsonParseError::NoError)
        return fail(wordsFor("不是JSON: 第 %2 字节处 %1", "not JSON: %1 at byte %2")
                        .arg(pe.errorString())
                        .arg(pe.offset));
    if (!doc.isObject()) return fail(wordsFor("不是JSON对象", "not a JSON object"));
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(kBackupFormat))
        return fail(wordsFor("不是omniset备份文件 (\"format\")", "not an omniset backup (\"format\")"));
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != kBackupVersion)
        return fail(wordsFor("未知的备份版本", "unknown backup version"));

    Backup b;
    b.created = root.value(QLatin1String("created")).toString();
    const QJsonObject adapter = root.value(QLatin1String("adapter")).toObject();
    b.firmware = adapter.value(QLatin1String("firmware")).toString();
    b.version = adapter.value(QLatin1String("version")).toString();
    b.model = adapter.value(QLatin1String("model")).toString();
    b.portType = adapter.value(QLatin1String("port_type")).toString();
    const QJsonValue length = adapter.value(QLatin1String("record_length"));
    if (!length.isDouble() ||
        (length.toDouble() != kShortProfileLength && length.toDouble() != kLongProfileLength))
        return fail(wordsFor("配置长度既不是314也不是326", "record length is neither 314 nor 326"));
    b.recordLength = length.toInt();

    const QJsonObject profiles = root.value(QLatin1String("profiles")).toObject();
    for (int profile : kBackupOrder) {
        const QString key = recordKey(profile);
        const QJsonValue hex = profiles.value(key).toObject().value(QLatin1String("hex"));
        if (!hex.isString()) return fail(wordsFor("缺少配置 %1", "record %1 is missing").arg(key));
        const QString text = hex.toString();
        if (text.size() != 2 * (b.recordLength + 1) || !upperHex(text))
            return fail(wordsFor("配置 %1: 不是 %2 个大写十六进制数字", "record %1: not %2 upper-case hex digits")
                            .arg(key)
                            .arg(2 * (b.recordLength + 1)));
        auto record = decodeProfileHex(text.toStdString(), b.recordLength);
        if (!record) return fail(wordsFor("配置 %1: 校验和错误", "record %1: bad checksum").arg(key));
        b.records[static_cast<std::size_t>(profile)] = std::move(*record);
        b.fields[static_cast<std::size_t>(profile)] =
            profiles.value(key).toObject().value(QLatin1String("fields")).toObject();
    }

    const QJsonValue quick = root.value(QLatin1String("quick_dial"));
    if (!quick.isArray() || quick.toArray().size() != static_cast<qsizetype>(b.quickDial.size()))
        return fail(wordsFor("quick_dial: 不是四个号码", "quick_dial: not four numbers"));
    const QJsonArray numbers = quick.toArray();
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const QJsonValue v = numbers.at(i);
        const std::string digits = v.toString().toStdString();
        if (!v.isString() || quickDialDigits(digits) != digits ||
            digits.size() > static_cast<std::size_t>(kQuickDialMaxDigits))
            return fail(wordsFor("缩位拨号号码 %1: 只能是数字，最多 %2 位", "quick-dial number %1: digits only, at most %2")
                            .arg(i + 1)
                            .arg(kQuickDialMaxDigits));
        b.quickDial[static_cast<std::size_t>(i)] = digits;
    }
    return b;
}

QJsonValue jsonValueOf(const std::string& literal) {
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray("[") + QByteArray::fromStdString(literal) + "]");
    return doc.array().at(0);
}

QStringList fieldsDisagreeingWithHex(const Backup& b) {
    QStringList names;
    for (int profile : kBackupOrder) {
        const auto p = static_cast<std::size_t>(profile);
        const QJsonObject& fields = b.fields[p];
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            const RecordField* f = findRecordField(it.key().toStdString());
            const auto decoded = f ? decodeField(*f, b.records[p], true) : std::nullopt;
            if (!decoded || jsonValueOf(decoded->value) != it.value())
                names << recordKey(profile) + QStringLiteral(": ") + it.key();
        }
    }
    return names;
}

std::optional<Backup> loadBackup(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + f.errorString();
        return std::nullopt;
    }
    // A backup is a few tens of kilobytes; anything far larger is not one.
    constexpr qint64 kLargestBackup = 4 * 1024 * 1024;
    if (f.size() > kLargestBackup) {
        *error = path + wordsFor(": 文件太大，不是备份文件", ": too large for a backup");
        return std::nullopt;
    }
    auto b = parseBackup(f.readAll(), error);
    if (!b) *error = path + QStringLiteral(": ") + *error;
    return b;
}

} // namespace omniset::cli
