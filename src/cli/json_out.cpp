#include "cli/json_out.h"

#include "cli/terminal.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace omniset::cli {

QString jsonText(const QString& s) {
    const QByteArray a = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QByteArray errorJson(int exit, const QString& message) {
    if (exit == kExitOk) return "null";
    return "{\"exit\": " + QByteArray::number(exit) + ", \"message\": " + jsonText(message).toUtf8() +
           "}";
}

JsonObject& JsonObject::str(const char* key, const QString& value) {
    return raw(key, jsonText(value).toUtf8());
}

JsonObject& JsonObject::str(const char* key, const std::optional<QString>& value) {
    return value && !value->isEmpty() ? str(key, *value) : null(key);
}

JsonObject& JsonObject::num(const char* key, qint64 value) {
    return raw(key, QByteArray::number(value));
}

JsonObject& JsonObject::real(const char* key, double value, int decimals) {
    return raw(key, QByteArray::number(value, 'f', decimals));
}

JsonObject& JsonObject::flag(const char* key, bool value) {
    return raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::null(const char* key) {
    return raw(key, "null");
}

JsonObject& JsonObject::raw(const char* key, const QByteArray& literal) {
    members_.push_back({jsonText(QString::fromUtf8(key)).toUtf8(), literal, {}, false});
    return *this;
}

JsonObject& JsonObject::object(const char* key, const JsonObject& value) {
    members_.push_back({jsonText(QString::fromUtf8(key)).toUtf8(), {}, value.members_, true});
    return *this;
}

QByteArray JsonObject::render(const std::vector<Member>& members, int indent) {
    if (members.empty()) return "{}";
    const QByteArray pad(indent + 2, ' ');
    QByteArray out = "{\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        out += pad + m.key + ": " + (m.isObject ? render(m.nested, indent + 2) : m.literal);
        out += i + 1 < members.size() ? ",\n" : "\n";
    }
    return out + QByteArray(indent, ' ') + "}";
}

QByteArray JsonObject::text(int indent) const {
    return render(members_, indent);
}

QByteArray JsonObject::finish(int exit, const QString& message) const {
    JsonObject all = *this;
    all.raw("error", errorJson(exit, message));
    return all.text() + "\n";
}

} // namespace omniset::cli
