// desired_config.h - the file apply takes: the values the adapter should hold.
//
//   DesiredConfig                  per profile (by number, 5 = current) the named fields with
//                                  their JSON values in the file's order, and the quick-dial
//                                  numbers the file names (slot 0..3)
//   parseDesired(bytes, problems)  an omniset-config file ({"format": "omniset-config",
//                                  "version": 1, "profiles": {...}, "quick_dial": {"1": ...}})
//                                  or a backup file, whose "fields" are taken and whose "hex"
//                                  is not; nothing when the text is no such file at all.
//                                  Entries of the wrong shape are added to *problems and left
//                                  out
//   loadDesired(path, problems)    the same from a file, "-" for standard input
//   assignmentsFor(record, values, problems)
//                                  the values that differ from what the record holds, as
//                                  set's NAME=VALUE; unknown names, values of the wrong JSON
//                                  type and characters a record byte cannot hold are added to
//                                  *problems as "name=value: why"
#pragma once

#include "cli/field_edit.h"
#include "core/record/profile_layout.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace omniset::cli {

inline constexpr char kConfigFormat[] = "omniset-config";
inline constexpr int kConfigVersion = 1;

struct DesiredValue {
    std::string name;
    QJsonValue value;
};

struct DesiredConfig {
    bool fromBackup = false;
    std::map<int, std::vector<DesiredValue>> profiles;
    std::array<std::optional<std::string>, 4> quickDial;
    bool namesQuickDial() const;
};

std::optional<DesiredConfig> parseDesired(const QByteArray& bytes, QStringList* problems);
std::optional<DesiredConfig> loadDesired(const QString& path, QStringList* problems);
std::vector<FieldAssignment> assignmentsFor(const ProfileRecord& record,
                                            const std::vector<DesiredValue>& values,
                                            QStringList* problems);

} // namespace omniset::cli
