// omniset-cli fields: what it prints is what set takes. Every value it lists (the words,
// a number's ends and steps, a text of the longest length) passes set's check of a value,
// and a value just outside is refused; its names are those of the field table.
#include "cli/field_edit.h"
#include "cli_run.h"
#include "core/record/record_fields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <regex>
#include <set>

#include <gtest/gtest.h>

using namespace omniset;
using omniset::cli::FieldAssignment;
using omniset::cli::valueRefusal;

namespace {

QJsonArray printedFields() {
    const test::CliRun run = test::runCli({QStringLiteral("fields"), QStringLiteral("--json")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_TRUE(root.value(QLatin1String("error")).isNull());
    return root.value(QLatin1String("fields")).toArray();
}

// A JSON value as set takes it on the command line.
std::string word(const QJsonValue& v) {
    if (v.isBool()) return v.toBool() ? "true" : "false";
    if (v.isDouble()) return std::to_string(v.toInt());
    return v.toString().toStdString();
}

// Values the entry promises, and values just outside it.
struct Probes {
    std::vector<std::string> taken;
    std::vector<std::string> refused;
};

Probes probesOf(const QJsonObject& e, int maxLength) {
    Probes p;
    const QString type = e.value(QLatin1String("type")).toString();
    if (type == QLatin1String("choice") || type == QLatin1String("bool")) {
        for (const QJsonValue& v : e.value(QLatin1String("values")).toArray())
            p.taken.push_back(word(v));
        p.refused = {"nonsense", ""};
    } else if (type == QLatin1String("number")) {
        const int lo = e.value(QLatin1String("minimum")).toInt();
        const int hi = e.value(QLatin1String("maximum")).toInt();
        const int step = e.value(QLatin1String("step")).toInt();
        p.taken = {std::to_string(lo), std::to_string(hi), std::to_string(lo + step)};
        for (const QJsonValue& v : e.value(QLatin1String("words")).toArray())
            p.taken.push_back(word(v));
        p.refused = {std::to_string(lo - step), std::to_string(hi + step), "x", "1.5"};
        if (step > 1) p.refused.push_back(std::to_string(lo + step / 2));
        if (e.value(QLatin1String("words")).toArray().isEmpty()) p.refused.emplace_back(kDisabledWord);
    } else {
        const QString chars = e.value(QLatin1String("characters")).toString();
        p.taken = {"", std::string(static_cast<std::size_t>(maxLength), '7')};
        p.refused = {std::string(static_cast<std::size_t>(maxLength) + 1, '7')};
        if (chars == QLatin1String("any")) {
            p.taken.emplace_back("a-b \xE9");
            p.refused.emplace_back(std::string("a\0b", 3));
        } else if (chars == QLatin1String("digits")) {
            p.refused.emplace_back("1a");
            p.refused.emplace_back("1*");
        } else {
            EXPECT_EQ(chars, QLatin1String("dial_number"));
            p.taken.emplace_back("12*a#");
            p.refused.emplace_back("1a");
        }
    }
    return p;
}

void expectPromisesKept(const QJsonObject& e, int recordLength, int maxLength) {
    const std::string name = e.value(QLatin1String("name")).toString().toStdString();
    const Probes p = probesOf(e, maxLength);
    ASSERT_FALSE(p.taken.empty()) << name;
    for (const std::string& v : p.taken) {
        const auto why = valueRefusal(FieldAssignment{name, v}, recordLength);
        EXPECT_FALSE(why) << name << "=" << v << " (" << recordLength << " bytes): "
                          << why.value_or(QString()).toStdString();
    }
    for (const std::string& v : p.refused)
        EXPECT_TRUE(valueRefusal(FieldAssignment{name, v}, recordLength))
            << name << "=" << v << " (" << recordLength << " bytes) was taken";
}

} // namespace

TEST(Fields, EveryListedValueIsTakenBySetAndOneOutsideIsRefused) {
    const QJsonArray fields = printedFields();
    ASSERT_FALSE(fields.isEmpty());
    for (const QJsonValue& v : fields) {
        const QJsonObject e = v.toObject();
        const std::string name = e.value(QLatin1String("name")).toString().toStdString();
        SCOPED_TRACE(name);
        expectPromisesKept(e, kLongProfileLength, e.value(QLatin1String("max_length")).toInt());
        if (e.value(QLatin1String("in_314")).toBool()) {
            const QJsonValue short314 = e.value(QLatin1String("max_length_314"));
            expectPromisesKept(e, kShortProfileLength,
                               short314.isDouble() ? short314.toInt() : e.value(QLatin1String("max_length")).toInt());
        } else {
            const auto why = valueRefusal(FieldAssignment{name, word(e.value(QLatin1String("values"))[0])},
                                          kShortProfileLength);
            EXPECT_TRUE(why && why->contains(QStringLiteral("past the end"))) << name;
        }
    }
}

TEST(Fields, NamesAreTheFieldTableAndTheQuickDialNumbers) {
    std::vector<std::string> expected;
    for (const RecordField& f : recordFields())
        expected.emplace_back(f.name);
    for (int slot = 1; slot <= 4; ++slot)
        expected.push_back("quick_dial." + std::to_string(slot));
    std::vector<std::string> printed;
    for (const QJsonValue& v : printedFields()) {
        printed.push_back(v[QLatin1String("name")].toString().toStdString());
        const auto* f = findRecordField(printed.back());
        EXPECT_EQ(v[QLatin1String("in_record")].toBool(), f != nullptr) << printed.back();
        if (f) { // the group as show titles it
            EXPECT_EQ(v[QLatin1String("group_title")].toString().toStdString(), fieldGroupTitle(f->group, true));
            EXPECT_EQ(v[QLatin1String("group")].toString().toStdString(), fieldGroupKey(f->group));
        }
    }
    EXPECT_EQ(printed, expected);
}

// --plain: each name with its words; the table: a heading, then one aligned line each.
TEST(Fields, PlainFormAndTableHaveEveryFieldOfTheJson) {
    const QJsonArray fields = printedFields();
    const QStringList plain = test::runCli({QStringLiteral("fields"), QStringLiteral("--plain")}).out.split(u'\n');
    const QStringList table = test::runCli({QStringLiteral("fields")}).out.split(u'\n');
    ASSERT_EQ(plain.size(), fields.size() + 1); // each ends with a line feed
    ASSERT_EQ(table.size(), fields.size() + 2);
    EXPECT_TRUE(table[0].startsWith(QStringLiteral("NAME ")));
    const qsizetype valuesAt = table[0].indexOf(QStringLiteral("VALUES"));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QJsonObject e = fields[i].toObject();
        QStringList want{e.value(QLatin1String("name")).toString()};
        const bool number = e.value(QLatin1String("type")).toString() == QLatin1String("number");
        for (const QJsonValue& w : e.value(number ? QLatin1String("words") : QLatin1String("values")).toArray())
            want << QString::fromStdString(word(w));
        EXPECT_EQ(plain[i], want.join(u' '));
        const QString& line = table[i + 1];
        EXPECT_TRUE(line.startsWith(want[0] + u' ') && line.at(valuesAt - 1) == u' ' && line.at(valuesAt) != u' ')
            << line.toStdString();
    }
    EXPECT_TRUE(table.contains(QRegularExpression(QStringLiteral("^data\\.async\\.parity .*  odd, even, none$"))));
    EXPECT_TRUE(table.contains(QRegularExpression(QStringLiteral("^tel\\.national_prefix .*\\(3 in a 314-byte record\\)$"))));
}

TEST(Fields, UsageRefusesWhatBelongsElsewhere) {
    for (const QStringList& args : {QStringList{"fields", "--json", "--plain"}, QStringList{"show", "--plain"},
                                    QStringList{"fields", "extra"}}) {
        const test::CliRun run = test::runCli(args);
        EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
        // With --json the refusal is the one JSON object; otherwise nothing is printed.
        if (args.contains(QStringLiteral("--json")))
            EXPECT_TRUE(run.out.contains(QStringLiteral("\"exit\": 2"))) << run.out.toStdString();
        else
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

TEST(Fields, PatternsAgreeWithTheCharacterChecks) {
    using cli::TextCharacters;
    const std::vector<std::string> probes{"", "0123", "12a", "*", "1*x", "a*1", "**", "9 9", "\xE9", "1*\xFF"};
    for (TextCharacters kind : {TextCharacters::Any, TextCharacters::Digits, TextCharacters::DialNumber}) {
        const std::string pattern(cli::characterPattern(kind));
        const std::wregex re(std::wstring(pattern.begin(), pattern.end()), std::regex::ECMAScript);
        for (const std::string& probe : probes) {
            std::wstring wide;
            for (unsigned char c : probe) // Latin-1 bytes as code points
                wide.push_back(static_cast<wchar_t>(c));
            EXPECT_EQ(std::regex_match(wide, re), cli::charactersFit(kind, probe))
                << pattern << " against \"" << probe << "\"";
        }
    }
}
