// The record's bounded accessors, its field table and its wire form.
#include "core/link/reply_checks.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"
#include "core/record/profile_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

using namespace omniset;

TEST(ProfileRecord, AccessorsNeverLeaveTheRecord) {
    ProfileRecord r(kShortProfileLength);
    r.setChecksumByte(0x5A);
    // Writes at and past the end (and before the start) change nothing, not even the
    // checksum slot that follows the record in memory.
    r.setByte(kShortProfileLength, 1);
    r.setByte(-1, 1);
    r.setByte(INT_MAX, 1);
    r.setBit(400, 0, true);
    r.setText(310, 6, "12345"); // 310..313 inside, 314..315 outside
    r.setText(INT_MAX - 2, 32, "abc");
    r.clearSpan(313, 100);
    EXPECT_EQ(r.checksumByte(), 0x5A);
    EXPECT_EQ(r.byte(kShortProfileLength), 0);
    EXPECT_EQ(r.byte(-5), 0);
    EXPECT_EQ(r.text(310, 6), "123"); // 313 was cleared by clearSpan
    EXPECT_EQ(r.text(INT_MAX - 1, 10), "");
    EXPECT_EQ(r.raw().size(), static_cast<std::size_t>(kShortProfileLength + 1));
}

TEST(ProfileRecord, TextsAreZeroTerminatedAndZeroFilled) {
    ProfileRecord r;
    for (int i = 164; i < 180; ++i) r.setByte(i, 'x');
    r.setText(field::Tel1Msn, 16, "123456789012345678"); // too long: 15 kept
    EXPECT_EQ(r.text(field::Tel1Msn, 16), "123456789012345");
    EXPECT_EQ(r.byte(178), '5');
    EXPECT_EQ(r.byte(179), 0);
    r.setText(field::Tel1Msn, 16, "42");
    EXPECT_EQ(r.text(field::Tel1Msn, 16), "42");
    for (int i = 166; i < 180; ++i) EXPECT_EQ(r.byte(i), 0) << i;
    EXPECT_EQ(r.byte(180), 0); // the next field is untouched
}

TEST(ProfileRecord, BitWritersKeepTheOtherBits) {
    ProfileRecord r;
    r.setByte(field::RingKeypadBits, 0xF2);
    r.setBit(field::RingKeypadBits, 0, true);
    EXPECT_EQ(r.byte(field::RingKeypadBits), 0xF3);
    r.setBit(field::RingKeypadBits, 1, false);
    EXPECT_EQ(r.byte(field::RingKeypadBits), 0xF1);
    r.setByte(field::AutobaudBits, 0xFE);
    r.setBit(field::AutobaudBits, 0, true);
    EXPECT_EQ(r.byte(field::AutobaudBits), 0xFF);
    EXPECT_TRUE(r.bit(field::AutobaudBits, 7));
}

TEST(FieldTable, FieldsAreOrderedDisjointAndInsideTheLongRecord) {
    std::set<int> used;
    int last = -1;
    for (const auto& f : profileFields()) {
        EXPECT_GT(f.offset, last) << f.name;
        last = f.offset;
        EXPECT_LE(f.offset + f.width, kLongProfileLength) << f.name;
        for (int i = f.offset; i < f.offset + f.width; ++i)
            EXPECT_TRUE(used.insert(i).second) << f.name << " overlaps at " << i;
        if (f.kind == FieldKind::Text) {
            EXPECT_LT(f.maxChars, f.width) << f.name;
        }
    }
    // Spot checks of the groups: CLIR, COLR and the 17-byte texts.
    EXPECT_EQ(findField(252)->width, 1);
    EXPECT_EQ(findField(258)->width, 1);
    EXPECT_EQ(findField(293)->width, 17);
    EXPECT_EQ(findField(116)->width, 32);
    EXPECT_EQ(findField(316)->maxChars, 5);
    EXPECT_EQ(findField(5), nullptr);
}

TEST(ProfileCodec, EncodesUpperCaseHexWithTheXorByte) {
    ProfileRecord r(3);
    r.setByte(0, 0x0A);
    r.setByte(1, 0x9F);
    r.setByte(2, 0xF0);
    EXPECT_EQ(encodeProfileHex(r), "0A9FF065");

    ProfileRecord zeros(kShortProfileLength);
    EXPECT_EQ(encodeProfileHex(zeros), std::string(2 * (kShortProfileLength + 1), '0'));
}

TEST(ProfileCodec, DecodesOnlyWholeHexTextsWithAMatchingChecksum) {
    auto r = decodeProfileHex("0A9FF065", 3);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->byte(1), 0x9F);
    EXPECT_EQ(r->checksumByte(), 0x65);
    // Lower-case letters are their hexadecimal values.
    auto lower = decodeProfileHex("0a9ff065", 3);
    ASSERT_TRUE(lower);
    EXPECT_EQ(*lower, *r);
    // Trailing text after the record is not part of it.
    EXPECT_TRUE(decodeProfileHex("0A9FF065\r\nOK\r\n", 3));

    EXPECT_FALSE(decodeProfileHex("0A9FF066", 3)) << "wrong checksum";
    EXPECT_FALSE(decodeProfileHex("0A9FF0", 3)) << "short";
    // Characters that are not hex digits fail even when their codes would make the
    // checksum come out right (G - 55 = 16: "0G" would read as 0x10 = "10").
    EXPECT_TRUE(decodeProfileHex("10000010", 3));
    EXPECT_FALSE(decodeProfileHex("0G000010", 3));
    EXPECT_FALSE(decodeProfileHex("1 000010", 3));
    EXPECT_FALSE(decodeProfileHex(std::string_view("10\0" "00010", 8), 3));
}

TEST(ProfileCodec, RecordLengthFollowsTheVersionReply) {
    struct Case {
        const char* reply;
        const char* version;
        int length;
    } cases[] = {
        {"ati3\r\r\nVersion 2.0\r\nOK", "V2.0", 326},
        {"ati3\r\r\nVersion 1.62\r\n", "V1.6", 314},
        {"Version 1.5\r", "V1.5", 314},
        {"Version 1.3\r", "V1.3", 314},
        {"1.2 and 2.0", "V2.0", 326}, // "2.0" is tested before "1.2"
        {"1.6 and 2.0", "V1.6", 314}, // "1.6" is tested first
        {"", "", 314},
        {"garbage", "", 314},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(versionTextForReply(c.reply), c.version) << c.reply;
        EXPECT_EQ(profileLengthForReply(c.reply), c.length) << c.reply;
    }
}

// When a reply is whole, for reads that end with it.
TEST(ReplyChecks, SayWhenAReplyIsWhole) {
    ProfileRecord record(kShortProfileLength);
    record.setByte(7, 0x5A);
    record.setChecksumByte(record.computeChecksum());
    const std::string hex = encodeProfileHex(record);
    std::string spoilt = hex;
    spoilt[4] = spoilt[4] == '0' ? '1' : '0';
    const std::string echo = kx220::readCommand(5);
    struct Case {
        const char* name;
        platform::ReplyCheck check;
        std::string received;
        int expected;
    };
    const Case cases[] = {
        {"result OK", resultLineCheck(), "ati3\r\r\nVersion 2.0\r\n\r\nOK\r\n", 0},
        {"result ERROR", resultLineCheck(), "AT&Y5\r\r\nERROR\r\n", 0},
        {"OK without its line end", resultLineCheck(), "at&z0?\r\n5551\r\nOK\r", platform::kReplyPartial},
        {"OK inside a word", resultLineCheck(), "ati6\r\r\nBOOK\r\n", platform::kReplyPartial},
        {"prompt come", promptCheck("Enter new time:", 20), "at$t\r\nEnter new time:", 20},
        {"prompt not yet", promptCheck("Enter new time:", 20), "at$t\r\nEnter new ti", platform::kReplyPartial},
        {"record whole", profileReplyCheck(kShortProfileLength, 25), echo + hex, 25},
        {"record and closing text", profileReplyCheck(kShortProfileLength, 25), echo + hex + "\r\nOK", 25},
        {"record short of a digit", profileReplyCheck(kShortProfileLength, 25),
         echo + hex.substr(0, hex.size() - 1), platform::kReplyPartial},
        {"record with a wrong checksum", profileReplyCheck(kShortProfileLength, 25), echo + spoilt,
         platform::kReplyPartial},
    };
    for (const Case& c : cases) EXPECT_EQ(c.check(c.received), c.expected) << c.name;

    // Three characters of silence, at least 20 ms.
    EXPECT_EQ(quietMs({115200, 8, platform::ParityNone, platform::OneStopBit}), 20);
    EXPECT_EQ(quietMs({1200, 8, platform::ParityNone, platform::OneStopBit}), 25);
    EXPECT_EQ(quietMs({600, 7, platform::ParityEven, platform::TwoStopBits}), 55);
}
