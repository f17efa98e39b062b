// field_edit.h - changes to named fields of a record, with the rules and checks of the
// page or dialog that owns each field (omniset-cli set).
//
//   FieldAssignment               one NAME=VALUE of the command line
//   parseAssignment(text)         "data.protocol=ppp" split at its first "="; nothing
//                                 without "=" or without a name
//   applyAssignments(record, list)
//                                 the record with every change applied, or the refusals
//                                 (in the language of LanguageMode): every value refused,
//                                 or else the first combination the pages refuse. Values are the
//                                 words show prints; a threshold given a number is enabled
//                                 with it. Each change goes through the owning page's fill
//                                 and pack, and only the bytes of the named fields (and those
//                                 the page ties to them, as automatic dialling ticks Check
//                                 DTR) are taken from the packed record: every other byte
//                                 keeps its value. A value the page would refuse, or would
//                                 silently leave as it was, is refused.
//   quickDialSlot(name)           1..4 for "quick_dial.1".."quick_dial.4" (the numbers of
//                                 the data port advanced dialog, kept apart from the record)
//   quickDialRefusal(assignment)  why a quick-dial number is refused (digits only, at most
//                                 the dialog's 26); nothing when it is taken
#pragma once

#include "core/record/profile_layout.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace omniset::cli {

struct FieldAssignment {
    std::string name;
    std::string value; // the bytes as given (Latin-1 for texts)
};

struct EditOutcome {
    std::optional<ProfileRecord> record; // the changed record; nothing when refused
    QString refusal;                     // the first: "data.bod.upper_threshold=200: ..."
    std::vector<QString> refusals;       // all of them, refusal first
};

std::optional<FieldAssignment> parseAssignment(const std::string& text);
EditOutcome applyAssignments(const ProfileRecord& record,
                             const std::vector<FieldAssignment>& assignments);
int quickDialSlot(const std::string& name);
std::optional<QString> quickDialRefusal(const FieldAssignment& assignment);

} // namespace omniset::cli
