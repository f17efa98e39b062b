// backup_file.h - the backup file: six records and four quick-dial numbers as JSON.
//
//   backupJson(backup)             the file's text: stable key order, one field per line,
//                                  records as upper-case hex exactly as on the wire plus
//                                  their decoded fields (for reading; the hex is restored)
//   adapterTextJson(text)          an adapter's text (single Latin-1 bytes, as the windows
//                                  show them) as a JSON string literal
//   adapterJson(backup, indent)    the file's "adapter" object (also backup --json)
//   fieldsJson(record, indent)     the "fields" object of a record (also show --json)
//   rawJson(record, indent)        the "raw" object of a record (show --json)
//   parseBackup(bytes, error)      the whole file checked: format and version, a record
//                                  length of 314 or 326, every record present with exactly
//                                  2 * (length + 1) upper-case hex digits and a matching
//                                  checksum, four quick-dial numbers of digits only and at
//                                  most 26 of them; nothing, with *error set, otherwise
//   loadBackup(path, error)        parseBackup of a file's contents
//   fieldsDisagreeingWithHex(b)    "current: data.bod.upper_threshold" for every member of a
//                                  record's "fields" (as read) whose value is not what its
//                                  hex decodes to, or whose name is no field: the fields
//                                  were edited, and restore (which writes the hex) refuses
//   jsonValueOf(literal)           a decoded field's JSON literal as a QJsonValue
//   recordKey(n) / kBackupOrder    "current", "0".."4", in the file's order
#pragma once

#include "core/record/profile_layout.h"
#include "core/record/quick_dial_text.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace omniset::cli {

inline constexpr char kBackupFormat[] = "omniset-backup";
inline constexpr int kBackupVersion = 1;
inline constexpr int kQuickDialMaxDigits = 26; // the data port advanced dialog's length
inline constexpr std::array<int, 6> kBackupOrder{5, 0, 1, 2, 3, 4}; // current first

struct Backup {
    QString created; // ISO-8601
    QString firmware;
    QString version; // the adapter's version reply ("Version 1.62"); empty in older files
    QString model;
    QString portType;
    int recordLength = kLongProfileLength;
    std::array<ProfileRecord, 6> records; // by profile number, 5 = current
    QuickDialNumbers quickDial;
    std::array<QJsonObject, 6> fields; // the "fields" objects as read (not written)
};

QByteArray backupJson(const Backup& backup);
QByteArray adapterJson(const Backup& backup, int indent);
QByteArray adapterTextJson(const QString& text);
QByteArray fieldsJson(const ProfileRecord& record, int indent);
QByteArray rawJson(const ProfileRecord& record, int indent);
std::optional<Backup> parseBackup(const QByteArray& bytes, QString* error);
std::optional<Backup> loadBackup(const QString& path, QString* error);
QString recordKey(int profile);
QStringList fieldsDisagreeingWithHex(const Backup& backup);
QJsonValue jsonValueOf(const std::string& literal);

} // namespace omniset::cli
