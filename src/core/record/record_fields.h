// record_fields.h - the record's fields by name, with their values and words: the one
// table that omniset-cli shows, compares and keeps in backup files.
//
//   recordFields()                 every field, in the order the windows group them
//   findRecordField(name)          the field of a flat name ("data.bod.upper_threshold")
//   fieldGroupTitle(group, english) the title of a group ("Data port", ...)
//   fieldGroupKey(group)           the group's name in files ("data_port", ...)
//   kDisabledWord                  the value of a threshold or time that is disabled
//   decodeField(field, record, english)
//                                  value (as a JSON literal), raw (JSON literal: the byte,
//                                  the whole byte for bit fields, hex of a text's span) and
//                                  words in the chosen language; nothing when the field
//                                  lies wholly past the record's end (a 314-byte record
//                                  cuts the fields at its end)
//   decodeRecord(record, english)  decodeField for every field present in the record
//
// Plain C++: texts hold one character per byte (JSON literals escape what is not ASCII).
#pragma once

#include "core/record/profile_layout.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace omniset {

enum class FieldGroup { DataPort, DataAdvanced, TelPort, TelAdvanced };

inline constexpr std::string_view kDisabledWord = "disabled";

enum class FieldCoding {
    Choice,   // a code from a list of words (an unlisted code has no value)
    Flag,     // true when the byte (or bit) equals onValue
    Tens,     // seconds in units of 10 s; disabledCode (when >= 0) means disabled
    HalfKbit, // kbit/s times 2; disabledCode (when >= 0) means disabled
    Window,   // V.120 K: 1..127, anything else shown as 7
    Text,     // zero-terminated characters in the span
};

struct FieldChoice {
    int code;              // -1: every code not listed before it
    std::string_view word; // the short English word kept in files ("auto", "odd", 9600)
    std::string_view en;
    std::string_view zh;
};

struct RecordField {
    std::string_view name;
    FieldGroup group;
    int offset;
    int width; // bytes of the span (1 for byte and bit fields)
    int bit;   // -1: the whole byte
    FieldCoding coding;
    int onValue = 1;       // Flag
    int disabledCode = -1; // Tens, HalfKbit
    int maxChars = 0;      // Text
    std::span<const FieldChoice> choices = {};
    bool numericWords = false; // Choice: the word is a number in files (a rate, bits)
    std::string_view unitEn = {};
    std::string_view unitZh = {};
};

struct DecodedField {
    const RecordField* field = nullptr;
    std::string value; // JSON literal
    std::string raw;   // JSON literal
    std::string words; // the value in words, current language
};

std::span<const RecordField> recordFields();
const RecordField* findRecordField(std::string_view name);
std::string fieldGroupTitle(FieldGroup group, bool english);
std::string_view fieldGroupKey(FieldGroup group);
std::optional<DecodedField> decodeField(const RecordField& field, const ProfileRecord& record,
                                        bool english);
std::vector<DecodedField> decodeRecord(const ProfileRecord& record, bool english);

// A JSON string literal of bytes taken as Latin-1 (quotes included).
std::string jsonString(std::string_view bytes);

} // namespace omniset
