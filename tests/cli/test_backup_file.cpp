// The backup file and the field table behind show, diff and backup.
#include "cli/backup_file.h"
#include "core/record/record_fields.h"

#include <bit>
#include <set>

#include <gtest/gtest.h>

using namespace omniset;
using namespace omniset::cli;

namespace {

Backup sample(int length) {
    Backup b;
    b.created = "2026-12-09T14:00:00+00:00";
    b.firmware = "V2.0";
    b.model = "Velmar KX220";
    b.portType = "S/T";
    b.recordLength = length;
    for (int p = 0; p < 6; ++p) {
        ProfileRecord r(length);
        for (int i = 0; i < length; ++i)
            r.setByte(i, static_cast<std::uint8_t>(i * 7 + p));
        b.records[static_cast<std::size_t>(p)] = r;
    }
    b.quickDial = {"123", "", "4567", "0"};
    return b;
}

std::string value(const ProfileRecord& r, std::string_view name) {
    const auto d = decodeField(*findRecordField(name), r, true);
    return d ? d->value : "<absent>";
}

} // namespace

TEST(BackupFile, WrittenFileReadsBackEqual) {
    for (int length : {kShortProfileLength, kLongProfileLength}) {
        const Backup b = sample(length);
        QString error;
        const auto back = parseBackup(backupJson(b), &error);
        ASSERT_TRUE(back) << error.toStdString();
        EXPECT_EQ(back->recordLength, length);
        for (int p = 0; p < 6; ++p) {
            ProfileRecord want = b.records[static_cast<std::size_t>(p)];
            want.setChecksumByte(want.computeChecksum());
            EXPECT_EQ(back->records[static_cast<std::size_t>(p)], want) << p;
        }
        EXPECT_EQ(back->quickDial, b.quickDial);
        EXPECT_EQ(back->model, b.model);
    }
}

TEST(BackupFile, OneFieldPerLineInAStableOrder) {
    const QByteArray json = backupJson(sample(kLongProfileLength));
    EXPECT_TRUE(json.startsWith("{\n  \"format\": \"omniset-backup\",\n  \"version\": 1,\n"));
    EXPECT_LT(json.indexOf("\"current\""), json.indexOf("\"0\": {"));
    EXPECT_LT(json.indexOf("\"4\": {"), json.indexOf("\"quick_dial\""));
    EXPECT_TRUE(json.contains("\n        \"data.bod.upper_threshold\": "));
    EXPECT_EQ(json, backupJson(sample(kLongProfileLength)));
}

TEST(BackupFile, RefusesBrokenFiles) {
    const QByteArray good = backupJson(sample(kLongProfileLength));
    const int hex = good.indexOf("\"hex\": \"") + 8;
    struct Case {
        const char* what;
        QByteArray text;
    } cases[] = {
        {"truncated", good.left(good.size() / 2)},
        {"not an object", "[1, 2]"},
        {"other format", QByteArray(good).replace("omniset-backup", "other-backup")},
        {"version 2", QByteArray(good).replace("\"version\": 1", "\"version\": 2")},
        {"length 300",
         QByteArray(good).replace("\"record_length\": 326", "\"record_length\": 300")},
        {"length 314, records of 326",
         QByteArray(good).replace("\"record_length\": 326", "\"record_length\": 314")},
        {"bad checksum", QByteArray(good).replace(hex, 1, good[hex] == '0' ? "1" : "0")},
        {"lower-case hex", QByteArray(good).replace(hex, 2, "ab")},
        {"non-digit quick dial", QByteArray(good).replace("\"4567\"", "\"45x7\"")},
        {"long quick dial",
         QByteArray(good).replace("\"4567\"", QByteArray(27, '1').prepend('"').append('"'))},
        {"three quick-dial numbers", QByteArray(good).replace("\"123\",\n", "")},
        {"record missing", QByteArray(good).replace("\"3\": {", "\"7\": {")},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(parseBackup(c.text, &error)) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
    }
}

TEST(RecordFields, ValuesInNaturalUnits) {
    ProfileRecord r(kLongProfileLength);
    struct Case {
        int offset, byte;
        const char* name;
        const char* value;
    } cases[] = {
        {field::UpperThreshold, 112, "data.bod.upper_threshold", "56"},
        {field::UpperThreshold, 255, "data.bod.upper_threshold", "\"disabled\""},
        {field::LowerThreshold, 113, "data.bod.lower_threshold", "56.5"},
        {field::ReleaseTime, 0, "data.bod.release_time", "\"disabled\""},
        {field::ReleaseTime, 12, "data.bod.release_time", "120"},
        {field::AnswerMode, 1, "data.answer_mode", "\"auto\""},
        {field::AnswerMode, 7, "data.answer_mode", "\"manual\""},
        {field::AsyncParity, 1, "data.async.parity", "\"even\""},
        {field::AsyncBaud, 8, "data.async.baud", "115200"},
        {field::AsyncBaud, 9, "data.async.baud", "null"},
        {field::V120Window, 0, "data.v120.window_k", "7"},
        {field::DcdHandling, 0, "data.v24.dcd", "true"},
        {field::RingKeypadBits, 2, "data.ring_once", "false"},
        {field::RingKeypadBits, 2, "tel.keypad_called_number", "true"},
        {field::SyncBaud, 9, "data.sync.baud", "64000"},
    };
    for (const auto& c : cases) {
        r.setByte(c.offset, static_cast<std::uint8_t>(c.byte));
        EXPECT_EQ(value(r, c.name), c.value) << c.name << " " << c.byte;
    }
    const auto upper = decodeField(*findRecordField("data.bod.upper_threshold"), r, true);
    EXPECT_EQ(upper->raw, "255");
}

TEST(RecordFields, AShortRecordCutsTheFieldsAtItsEnd) {
    ProfileRecord r(kShortProfileLength);
    r.setText(field::NationalPrefix, 6, "01234");
    for (int i = 310; i < 314; ++i)
        r.setByte(i, '5');
    EXPECT_EQ(value(r, "tel.national_prefix"), "\"555\"");
    EXPECT_EQ(decodeField(*findRecordField("tel.national_prefix"), r, true)->raw, "\"35353535\"");
    EXPECT_EQ(value(r, "tel.international_prefix"), "<absent>");
    EXPECT_EQ(value(r, "tel.coding_law"), "<absent>");
    EXPECT_EQ(decodeRecord(r, true).size(), recordFields().size() - 4);
}

TEST(RecordFields, TextsAreSafeJsonAndSafeWords) {
    ProfileRecord r(kLongProfileLength);
    r.setText(field::DataUus, 17, std::string("a\"\x1b[2J\xe9", 7));
    const auto d = decodeField(*findRecordField("data.uus"), r, true);
    EXPECT_EQ(d->value, "\"a\\\"\\u001B[2J\\u00E9\"");
    EXPECT_EQ(d->words.find('\x1b'), std::string::npos);
}

TEST(RecordFields, NameEveryFieldOfTheLayoutOnce) {
    std::set<std::string_view> names;
    for (const RecordField& f : recordFields()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_NE(findField(f.offset), nullptr) << f.name;
    }
    for (const FieldInfo& layout : profileFields()) {
        int named = 0;
        for (const RecordField& f : recordFields()) named += f.offset == layout.offset;
        EXPECT_EQ(named, layout.kind == FieldKind::Bits ? std::popcount(layout.bits) : 1)
            << layout.name;
    }
}
