// The simulator's record pieces: hex text, factory record, store file, clock parsing.
#include "clock_entry.h"
#include "core/record/profile_layout.h"
#include "factory_record.h"
#include "hex_text.h"
#include "profile_store.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kx220sim;
namespace f = omniset::field;

TEST(HexText, KnownTextAndStrictDecoding) {
    EXPECT_EQ(encodeRecord(std::vector<std::uint8_t>{0x0A, 0x9F, 0xF0}), "0A9FF065");
    EXPECT_EQ(decodeRecord("0A9FF065", 3).record, (std::vector<std::uint8_t>{0x0A, 0x9F, 0xF0}));
    EXPECT_EQ(decodeRecord("0a9ff065", 3).error, HexError::NotHex);
    EXPECT_EQ(decodeRecord("0A9FF066", 3).error, HexError::BadChecksum);
    EXPECT_EQ(decodeRecord("0A9FF06", 3).error, HexError::WrongLength);
    auto record = factoryRecord(326);
    EXPECT_EQ(encodeRecord(record), simtest::hexText(record));
}

TEST(FactoryRecord, KnownFieldsArePlausible) {
    auto r = factoryRecord(326);
    ASSERT_EQ(r.size(), 326u);
    for (const auto& field : omniset::profileFields()) {
        if (field.kind != omniset::FieldKind::Text) continue;
        int end = field.offset;
        while (end < field.offset + field.width && r[end] != 0) ++end;
        EXPECT_LE(end - field.offset, field.maxChars) << field.name;
        for (int i = end; i < field.offset + field.width; ++i) EXPECT_EQ(r[i], 0) << field.name;
    }
    EXPECT_LE(r[f::AsyncBaud], 8);
    EXPECT_LE(r[f::AsyncDataBits], 1);
    EXPECT_LE(r[f::AsyncParity], 2);
    EXPECT_LE(r[f::AsyncStopBits], 1);
    EXPECT_TRUE(r[f::SyncBaud] <= 6 || r[f::SyncBaud] == 9);
    EXPECT_GE(r[f::V120Window], 1);
    EXPECT_LE(r[f::V120Window], 127);
    EXPECT_LE(r[f::SerialMode], 1);
    // Asynchronous protocol codes are 1..4 and flow control 0..2.
    EXPECT_GE(r[f::Protocol], 1);
    EXPECT_LE(r[f::Protocol], 4);
    EXPECT_LE(r[f::FlowControl], 2);
    // Dial mode, number and DTR check agree.
    if (r[f::DialMode] == 0) EXPECT_EQ(r[f::AutoDialNumber], 0);
    else EXPECT_EQ(r[f::DialMode], 3);
    EXPECT_LE(r[f::CodingLaw], 1);
    EXPECT_LE(r[f::Tel1Bearer], 1);
}

TEST(FactoryRecord, UnknownBytesAreFixedNoiseAndShortIsPrefix) {
    auto a = factoryRecord(326), b = factoryRecord(326), shortRecord = factoryRecord(314);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(std::equal(shortRecord.begin(), shortRecord.end(), a.begin()));
    int nonZeroUnknown = 0;
    for (int i = 0; i < 326; ++i)
        if (!omniset::findField(i) && a[i] != 0) ++nonZeroUnknown;
    EXPECT_GT(nonZeroUnknown, 100);
    EXPECT_EQ(a[f::AutobaudBits] & 0x01, 0);
}

TEST(ProfileStore, LengthChangeKeepsTheRecordAndFillsFromFactory) {
    std::string path = simtest::scratchDir("store") + "/s";
    ProfileStore store(path, 314);
    auto r = factoryRecord(314);
    r[0] = 0xEE;
    store.setRecord(1, r);
    std::string error;
    ASSERT_TRUE(store.save(&error)) << error;
    ProfileStore longer(path, 326);
    ASSERT_TRUE(longer.load(&error)) << error;
    EXPECT_EQ(longer.record(1)[0], 0xEE);
    EXPECT_EQ(longer.record(1)[320], factoryRecord(326)[320]);
    std::ofstream(path) << "something else\n";
    EXPECT_FALSE(longer.load(&error));
    EXPECT_EQ(longer.record(1)[0], 0xEE); // a failed load changes nothing
}

TEST(ClockEntry, ParsesNumbersAndChecksTheCalendar) {
    auto d = parseDate("03-05-2001");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->month, 3);
    EXPECT_EQ(d->day, 5);
    EXPECT_EQ(d->year, 2001);
    EXPECT_FALSE(parseDate("3-5-2001x"));
    EXPECT_FALSE(parseDate("3-5-1979"));
    EXPECT_FALSE(parseDate("123-5-2001"));
    EXPECT_EQ(daysInMonth(2, 2100), 28);
    auto t = parseTime(" 9:07:3 ");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->minute, 7);
    EXPECT_FALSE(parseTime("9:7:3:1"));
}
