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
//   quickDialName(slot)           "quick_dial.1".."quick_dial.4" for 1..4
//   quickDialRefusal(assignment)  why a quick-dial number is refused (digits only, at most
//                                 the dialog's 26); nothing when it is taken
//
// What each field takes, as the checks above apply it (omniset-cli fields, the schemas,
// shell completion):
//   ValueRule                     the kind of value and its words, range or length
//   valueRule(field, length)      the rule of a record field in a record of that length
//                                 (the national prefix is shorter in a 314-byte record)
//   quickDialRule()               the rule of each quick-dial number
//   fieldInRecord(field, length)  whether a record of that length holds the field (a text
//                                 cut by the record's end is held, shorter)
//   valueRefusal(assignment, length)
//                                 "name=value: why" when set would refuse the value alone
//                                 (name, value, the record's end), before any combination
//                                 is judged; nothing when it is taken
//   charactersFit(kind, text)     whether a text has only the characters of its kind
//   characterPattern(kind)        the same as an ECMAScript regular expression over the
//                                 whole text (characters as Latin-1 code points)
#pragma once

#include "core/record/profile_layout.h"
#include "core/record/record_fields.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace omniset::cli {

enum class ValueType { Choice, Bool, Number, Text };

enum class TextCharacters {
    Any,        // any character a record byte holds (Latin-1, no NUL)
    Digits,     // "0".."9" only
    DialNumber, // digits up to the first "*", anything after it
};

struct ValueRule {
    ValueType type = ValueType::Choice;
    // Choice: the words taken, in the table's order; Bool: "true", "false"; Number: the
    // words taken besides numbers ("disabled"); Text: none.
    std::vector<std::string> words;
    int minimum = 0; // Number: whole numbers minimum..maximum, minimum + k * step
    int maximum = 0;
    int step = 1;
    int maxLength = 0; // Text: the longest text
    TextCharacters characters = TextCharacters::Any;
};

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
std::string quickDialName(int slot);
std::optional<QString> quickDialRefusal(const FieldAssignment& assignment);

ValueRule valueRule(const RecordField& field, int recordLength);
ValueRule quickDialRule();
bool fieldInRecord(const RecordField& field, int recordLength);
std::optional<QString> valueRefusal(const FieldAssignment& assignment, int recordLength);
bool charactersFit(TextCharacters characters, std::string_view text);
std::string_view characterPattern(TextCharacters characters);

} // namespace omniset::cli
