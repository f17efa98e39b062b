// json_out.h - the --json objects of omniset-cli: members in the order they are added, one
// per line, so that the output is stable and reads as the backup file does.
//
//   JsonObject                 str / num / flag / null / raw (a value that is JSON already)
//                              / object (a nested JsonObject); a QString value is UTF-8,
//                              an adapter's text (Latin-1 bytes) goes through adapterText
//   JsonObject::text(indent)   "{...}" with its members indented by indent + 2
//   JsonObject::finish(exit, message)
//                              the whole document: the members, then "error" (null when
//                              exit is success, else {"exit": N, "message": "..."}), a newline
//   jsonText(s)                a QString as a JSON string literal
//   errorJson(exit, message)   the "error" member's value
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace omniset::cli {

QString jsonText(const QString& s);
QByteArray errorJson(int exit, const QString& message);

class JsonObject {
  public:
    JsonObject& str(const char* key, const QString& value);
    JsonObject& str(const char* key, const std::optional<QString>& value); // null when empty
    JsonObject& num(const char* key, qint64 value);
    JsonObject& real(const char* key, double value, int decimals);
    JsonObject& flag(const char* key, bool value);
    JsonObject& null(const char* key);
    JsonObject& raw(const char* key, const QByteArray& literal);
    JsonObject& object(const char* key, const JsonObject& value);
    bool empty() const { return members_.empty(); }

    QByteArray text(int indent = 0) const;
    QByteArray finish(int exit, const QString& message) const;

  private:
    // Values that are objects keep their members, so that they are indented where they land.
    struct Member {
        QByteArray key;
        QByteArray literal;
        std::vector<Member> nested;
        bool isObject = false;
    };
    static QByteArray render(const std::vector<Member>& members, int indent);
    std::vector<Member> members_;
};

} // namespace omniset::cli
