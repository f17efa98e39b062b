// fields: every field name with the values set takes for it, from the field table and
// set's own rules; no adapter is needed.
#include "cli/commands.h"
#include "cli/field_edit.h"
#include "cli/terminal.h"
#include "core/record/record_fields.h"

#include <QByteArray>

namespace omniset::cli {

namespace {

struct FieldEntry {
    std::string name;
    ValueRule rule;                   // in a 326-byte record
    std::optional<int> maxLength314;  // texts: the longest a 314-byte record holds
    bool numericWords = false;        // choices whose words are numbers in files
    FieldGroup group = FieldGroup::DataPort;
    bool in314 = false;
    bool inRecord = true; // false: a quick-dial number, kept apart from the records
};

std::vector<FieldEntry> fieldEntries() {
    std::vector<FieldEntry> entries;
    for (const RecordField& f : recordFields()) {
        FieldEntry e{std::string(f.name), valueRule(f, kLongProfileLength), std::nullopt, f.numericWords,
                     f.group, fieldInRecord(f, kShortProfileLength)};
        if (e.rule.type == ValueType::Text && e.in314)
            e.maxLength314 = valueRule(f, kShortProfileLength).maxLength;
        entries.push_back(std::move(e));
    }
    // The quick-dial numbers belong to the data port advanced dialog, kept apart from the
    // record: every adapter has them.
    for (int slot = 1; slot <= kx220::kQuickDialSlots; ++slot) {
        const ValueRule rule = quickDialRule();
        entries.push_back({quickDialName(slot), rule, rule.maxLength, false, FieldGroup::DataAdvanced, true, false});
    }
    return entries;
}

const char* typeWord(ValueType type) {
    switch (type) {
    case ValueType::Choice: return "choice";
    case ValueType::Bool: return "bool";
    case ValueType::Number: return "number";
    case ValueType::Text: return "text";
    }
    return "";
}

const char* charactersWord(TextCharacters characters) {
    switch (characters) {
    case TextCharacters::Any: return "any";
    case TextCharacters::Digits: return "digits";
    case TextCharacters::DialNumber: return "dial_number";
    }
    return "";
}

QByteArray jsonOf(std::string_view s) { return QByteArray::fromStdString(jsonString(s)); }

// ["a", "b"], or [600, 1200] for numeric words, [true, false] for flags.
QByteArray wordsJson(const FieldEntry& e) {
    QByteArray out = "[";
    for (std::size_t i = 0; i < e.rule.words.size(); ++i) {
        const std::string& w = e.rule.words[i];
        const bool bare = e.numericWords || e.rule.type == ValueType::Bool;
        out += (i ? ", " : "") + (bare ? QByteArray::fromStdString(w) : jsonOf(w));
    }
    return out + "]";
}

QByteArray entryJson(const FieldEntry& e) {
    QByteArray out = "{\"name\": " + jsonOf(e.name) + ", \"type\": \"" + typeWord(e.rule.type) + "\"";
    switch (e.rule.type) {
    case ValueType::Choice:
    case ValueType::Bool:
        out += ", \"values\": " + wordsJson(e);
        break;
    case ValueType::Number:
        out += ", \"minimum\": " + QByteArray::number(e.rule.minimum) +
               ", \"maximum\": " + QByteArray::number(e.rule.maximum) +
               ", \"step\": " + QByteArray::number(e.rule.step) + ", \"words\": " + wordsJson(e);
        break;
    case ValueType::Text:
        out += ", \"max_length\": " + QByteArray::number(e.rule.maxLength) + ", \"max_length_314\": " +
               (e.maxLength314 ? QByteArray::number(*e.maxLength314) : QByteArray("null")) +
               ", \"characters\": \"" + charactersWord(e.rule.characters) +
               "\", \"pattern\": " + jsonOf(characterPattern(e.rule.characters));
        break;
    }
    out += ", \"group\": " + jsonOf(fieldGroupKey(e.group)) +
           ", \"group_title\": " + jsonOf(fieldGroupTitle(e.group, true)) +
           ", \"in_314\": " + (e.in314 ? "true" : "false") +
           ", \"in_record\": " + (e.inRecord ? "true" : "false") + "}";
    return out;
}

QString wordList(const ValueRule& r) {
    QStringList words;
    for (const std::string& w : r.words)
        words << QString::fromStdString(w);
    return words.join(QStringLiteral(", "));
}

// The values in words: "odd, even, none", "10..2550 in steps of 10, or disabled",
// "up to 15 digits".
QString valuesText(const FieldEntry& e) {
    const ValueRule& r = e.rule;
    switch (r.type) {
    case ValueType::Choice:
    case ValueType::Bool:
        return wordList(r);
    case ValueType::Number: {
        QString t = QStringLiteral("%1..%2").arg(r.minimum).arg(r.maximum);
        if (r.step != 1) t += tr("，步长 %1", " in steps of %1").arg(r.step);
        if (!r.words.empty()) t += tr("，或 ", ", or ") + wordList(r);
        return t;
    }
    case ValueType::Text: {
        QString t;
        switch (r.characters) {
        case TextCharacters::Any: t = tr("最多 %1 个字符", "up to %1 characters"); break;
        case TextCharacters::Digits: t = tr("最多 %1 位数字", "up to %1 digits"); break;
        case TextCharacters::DialNumber:
            t = tr("最多 %1 个字符: 数字，\"*\" 之后任意", "up to %1 characters: digits, anything after a *");
            break;
        }
        t = t.arg(r.maxLength);
        if (e.maxLength314 && *e.maxLength314 != r.maxLength)
            t += tr(" (314 字节配置中最多 %1)", " (%1 in a 314-byte record)").arg(*e.maxLength314);
        return t;
    }
    }
    return {};
}

void printTable(const std::vector<FieldEntry>& entries) {
    // Columns as wide as their longest entry.
    int nameWidth = 4, groupWidth = 5;
    for (const FieldEntry& e : entries) {
        nameWidth = std::max(nameWidth, static_cast<int>(e.name.size()));
        groupWidth = std::max(groupWidth, static_cast<int>(
                                              QString::fromStdString(fieldGroupTitle(e.group, english())).size()));
    }
    auto line = [&](const QString& name, const QString& type, const QString& group, const QString& in314,
                    const QString& values) {
        out(QStringLiteral("%1  %2  %3  %4  %5")
                .arg(name, -nameWidth)
                .arg(type, -6)
                .arg(group, -groupWidth)
                .arg(in314, -6)
                .arg(values)
                .trimmed());
    };
    line(tr("名称", "NAME"), tr("类型", "TYPE"), tr("页面", "GROUP"), QStringLiteral("IN 314"),
         tr("取值", "VALUES"));
    for (const FieldEntry& e : entries)
        line(QString::fromStdString(e.name), QString::fromLatin1(typeWord(e.rule.type)),
             QString::fromStdString(fieldGroupTitle(e.group, english())),
             e.in314 ? tr("是", "yes") : tr("否", "no"), valuesText(e));
}

} // namespace

int runFields(const CommandLine& cl) {
    const std::vector<FieldEntry> entries = fieldEntries();
    if (cl.json) {
        QByteArray json = "{\n  \"fields\": [\n";
        for (std::size_t i = 0; i < entries.size(); ++i)
            json += "    " + entryJson(entries[i]) + (i + 1 < entries.size() ? ",\n" : "\n");
        json += "  ],\n  \"error\": null\n}\n";
        outData(json);
    } else if (cl.plain) {
        QByteArray text;
        for (const FieldEntry& e : entries) {
            text += QByteArray::fromStdString(e.name);
            for (const std::string& w : e.rule.words)
                text += ' ' + QByteArray::fromStdString(w);
            text += '\n';
        }
        outData(text);
    } else {
        printTable(entries);
    }
    return kExitOk;
}

} // namespace omniset::cli
