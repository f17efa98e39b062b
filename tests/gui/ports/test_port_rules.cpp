// The port pages' byte rules as plain functions: fills and packings at their boundaries.
#include "core/record/dataport_rules.h"
#include "core/record/telport_rules.h"
#include "record_changes.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

using namespace omniset;
using omniset::test::changes;
namespace f = omniset::field;

namespace {

// A record whose every byte is distinct noise, so that an unexpected write shows.
ProfileRecord noiseRecord(int length = kLongProfileLength) {
    ProfileRecord r(length);
    for (int i = 0; i < length; ++i) r.setByte(i, static_cast<std::uint8_t>(i * 37 + 11));
    return r;
}

// Members as a fill of `image` leaves them, changed by `edit` (the user), then packed back
// with DTR as filled and with what the fill found.
ProfileRecord dataRoundTrip(const ProfileRecord& image, DataPortMembers m,
                            const std::function<void(DataPortMembers&)>& edit = {}) {
    auto fill = fillDataPort(image, m);
    if (edit) edit(m);
    ProfileRecord out = image;
    packDataPort(m, fill.checkDtr, out, fill);
    return out;
}

ProfileRecord dataRoundTrip(const ProfileRecord& image,
                            const std::function<void(DataPortMembers&)>& edit = {}) {
    return dataRoundTrip(image, DataPortMembers{}, edit);
}

} // namespace

// --- data port: bandwidth on demand --------------------------------------------------

struct ThresholdCase {
    const char* name;
    int on;
    int kbps;
    int written; // byte 54 after the pack; -1 when left as read
};

class UpperThreshold : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(UpperThreshold, PacksOnlyWithinOneTo127) {
    const auto& c = GetParam();
    ProfileRecord image = noiseRecord();
    DataPortMembers m;
    fillDataPort(image, m);
    m.m_bUpperOn = c.on;
    m.m_nUpper = c.kbps;
    ProfileRecord out = image;
    packDataPort(m, false, out);
    EXPECT_EQ(out.byte(f::UpperThreshold), c.written < 0 ? image.byte(f::UpperThreshold) : c.written);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, UpperThreshold,
    ::testing::Values(ThresholdCase{"off", 0, 56, 255},
                      ThresholdCase{"zero", 1, 0, -1},
                      ThresholdCase{"one", 1, 1, 2},
                      ThresholdCase{"max", 1, 127, 254},
                      ThresholdCase{"over", 1, 128, -1},
                      ThresholdCase{"negative", 1, -2, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataPortRules, UpperThresholdFill) {
    ProfileRecord image = noiseRecord();
    DataPortMembers m;
    m.m_nUpper = 33;
    image.setByte(f::UpperThreshold, 255);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_bUpperOn, 0);
    EXPECT_EQ(m.m_nUpper, 33) << "a disabled threshold keeps the value the edit had";
    image.setByte(f::UpperThreshold, 112);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_bUpperOn, 1);
    EXPECT_EQ(m.m_nUpper, 56);
    image.setByte(f::UpperThreshold, 113);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_nUpper, 56) << "odd bytes halve downwards";
    // 255 packs back as 255 whatever the threshold holds.
    image.setByte(f::UpperThreshold, 255);
    EXPECT_EQ(dataRoundTrip(image, m).byte(f::UpperThreshold), 255);
}

TEST(DataPortRules, LowerThresholdAtItsBoundaries) {
    ProfileRecord image = noiseRecord();
    DataPortMembers m;
    image.setByte(f::LowerThreshold, 64);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_nLower, 32);
    for (auto [kbps, expected] : std::map<int, int>{{0, 64}, {1, 2}, {127, 254}, {128, 64}}) {
        m.m_nLower = kbps;
        ProfileRecord out = image;
        packDataPort(m, false, out);
        EXPECT_EQ(out.byte(f::LowerThreshold), expected) << kbps;
    }
}

TEST(DataPortRules, ReleaseTimeAndFareUnit) {
    ProfileRecord image = noiseRecord();
    image.setByte(f::ReleaseTime, 12);
    DataPortMembers m;
    fillDataPort(image, m);
    EXPECT_EQ(m.m_bReleaseOn, 1);
    EXPECT_EQ(m.m_nReleaseTime, 120);
    struct {
        int on, seconds, expected;
    } release[] = {{0, 120, 0}, {1, 0, 0}, {1, 2550, 255}, {1, 2555, 12}, {1, 2549, 254},
                   {1, -10, 12}};
    for (auto c : release) {
        m.m_bReleaseOn = c.on;
        m.m_nReleaseTime = c.seconds;
        ProfileRecord out = image;
        packDataPort(m, false, out);
        EXPECT_EQ(out.byte(f::ReleaseTime), c.expected) << c.on << " " << c.seconds;
    }
    // Release on with 0 seconds packs 0, which the next fill shows as release off.
    image.setByte(f::ReleaseTime, 0);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_bReleaseOn, 0);

    image.setByte(f::FareUnit, 7);
    for (auto [seconds, expected] : std::map<int, int>{{185, 18}, {0, 7}, {1, 0}, {2550, 255},
                                                        {2551, 7}}) {
        m.m_nFareUnit = seconds;
        ProfileRecord out = image;
        packDataPort(m, false, out);
        EXPECT_EQ(out.byte(f::FareUnit), expected) << seconds;
    }
    image.setByte(f::FareUnit, 18);
    fillDataPort(image, m);
    EXPECT_EQ(m.m_nFareUnit, 180) << "185 s comes back as 180 s";
}

// --- data port: answer and dial mode -----------------------------------------------

struct DialCase {
    int checkDtr, dialMode; // bytes 107 and 113
    bool automatic;
};

TEST(DataPortRules, DialModeNeedsBoth107And113) {
    const DialCase cases[] = {{1, 3, true}, {0, 3, false}, {1, 0, false}, {1, 2, false},
                              {2, 3, false}, {0, 0, false}};
    for (auto c : cases) {
        ProfileRecord image = noiseRecord();
        image.setByte(f::CheckDtr, static_cast<std::uint8_t>(c.checkDtr));
        image.setByte(f::DialMode, static_cast<std::uint8_t>(c.dialMode));
        image.setText(f::AutoDialNumber, 32, "5551234");
        DataPortMembers m;
        m.m_strNumber = "kept";
        auto fill = fillDataPort(image, m);
        EXPECT_EQ(fill.checkDtr, c.checkDtr == 1);
        EXPECT_EQ(m.m_nDialMode, c.automatic ? dataport::kDialAuto : dataport::kDialManual)
            << c.checkDtr << "/" << c.dialMode;
        EXPECT_EQ(m.m_strNumber, c.automatic ? "5551234" : "kept");
    }
}

TEST(DataPortRules, DialModePacking) {
    ProfileRecord image = noiseRecord();
    DataPortMembers m;
    fillDataPort(image, m);
    // Manual: byte 113 = 0, byte 107 = the check state, the number left alone.
    m.m_nDialMode = dataport::kDialManual;
    ProfileRecord out = image;
    packDataPort(m, true, out);
    EXPECT_EQ(out.byte(f::DialMode), 0);
    EXPECT_EQ(out.byte(f::CheckDtr), 1);
    EXPECT_EQ(out.text(f::AutoDialNumber, 32), image.text(f::AutoDialNumber, 32));
    // Automatic with a number: 113 = 3, 107 = 1, the number and one zero; the rest kept.
    m.m_nDialMode = dataport::kDialAuto;
    m.m_strNumber = "0123456789012345";
    out = image;
    packDataPort(m, false, out);
    auto changed = changes(image, out);
    EXPECT_EQ(out.byte(f::DialMode), 3);
    EXPECT_EQ(out.byte(f::CheckDtr), 1);
    EXPECT_EQ(out.text(f::AutoDialNumber, 32), m.m_strNumber);
    EXPECT_EQ(out.byte(f::AutoDialNumber + 16), 0);
    for (int i = f::AutoDialNumber + 17; i < f::AutoDialNumber + 32; ++i) EXPECT_FALSE(changed.count(i));
    // Automatic with an empty number: byte 107 takes the check state, 113 and the
    // number stay as read.
    m.m_strNumber.clear();
    out = image;
    packDataPort(m, false, out);
    changed = changes(image, out);
    EXPECT_EQ(out.byte(f::CheckDtr), 0);
    EXPECT_FALSE(changed.count(f::DialMode));
    for (int i = f::AutoDialNumber; i < f::AutoDialNumber + 32; ++i) EXPECT_FALSE(changed.count(i));
    // A number longer than the validated 16 characters is never copied.
    m.m_strNumber = std::string(17, '1');
    out = image;
    packDataPort(m, false, out);
    EXPECT_EQ(out.text(f::AutoDialNumber, 32), image.text(f::AutoDialNumber, 32));
    EXPECT_EQ(out.byte(f::DialMode), image.byte(f::DialMode));
}

TEST(DataPortRules, AnswerModeIsOneOrElseManualAndAnOddByteStaysUntilChanged) {
    auto answer = [](int mode) { return [mode](DataPortMembers& m) { m.m_nAnswerMode = mode; }; };
    for (auto [byte, expected] : std::map<int, int>{{1, 1}, {0, 0}, {7, 7}, {255, 255}}) {
        ProfileRecord image = noiseRecord();
        image.setByte(f::AnswerMode, static_cast<std::uint8_t>(byte));
        EXPECT_EQ(dataRoundTrip(image).byte(f::AnswerMode), expected) << byte;
        DataPortMembers m;
        fillDataPort(image, m);
        EXPECT_EQ(m.m_nAnswerMode, byte == 1 ? dataport::kAnswerAuto : dataport::kAnswerManual);
        // Changed by the user: written as the choice; chosen back as shown: left as read.
        EXPECT_EQ(dataRoundTrip(image, answer(dataport::kAnswerAuto)).byte(f::AnswerMode), 1) << byte;
        EXPECT_EQ(dataRoundTrip(image, answer(dataport::kAnswerManual)).byte(f::AnswerMode),
                  byte == 1 ? 0 : expected) << byte;
        // Packing without what the fill found (the Default button's case) writes 0 or 1.
        ProfileRecord out = image;
        packDataPort(m, false, out);
        EXPECT_EQ(out.byte(f::AnswerMode), byte == 1 ? 1 : 0) << byte;
    }
}

// --- data port: serial mode, protocol, baud rate, flow control ----------------------

struct SerialCase {
    const char* name;
    int mode, flow, baud, proto; // bytes 110, 111, 104, 112 as read
    int synProto, synBaud, synFlow, asynProto, asynFlow; // items after the fill
    int packedFlow, packedBaud, packedProto; // bytes 111, 104, 112 after packing back
};

class SerialMode : public ::testing::TestWithParam<SerialCase> {};

TEST_P(SerialMode, FillsItemsAndPacksCodes) {
    const auto& c = GetParam();
    ProfileRecord image = noiseRecord();
    image.setByte(f::SerialMode, static_cast<std::uint8_t>(c.mode));
    image.setByte(f::FlowControl, static_cast<std::uint8_t>(c.flow));
    image.setByte(f::SyncBaud, static_cast<std::uint8_t>(c.baud));
    image.setByte(f::Protocol, static_cast<std::uint8_t>(c.proto));
    DataPortMembers m; // construction values: sync proto 0, baud 7, flow 0; async 0, 1
    auto fill = fillDataPort(image, m);
    EXPECT_TRUE(fill.serialModeKnown);
    EXPECT_EQ(m.m_nSerialMode, c.mode == 1 ? dataport::kSync : dataport::kAsync);
    EXPECT_EQ(m.m_nSynProtoItem, c.synProto);
    EXPECT_EQ(m.m_nSynBaud, c.synBaud);
    EXPECT_EQ(m.m_nSynFlow, c.synFlow);
    EXPECT_EQ(m.m_nASynProtoItem, c.asynProto);
    EXPECT_EQ(m.m_nASynFlow, c.asynFlow);
    ProfileRecord out = image;
    packDataPort(m, false, out, fill);
    EXPECT_EQ(out.byte(f::SerialMode), c.mode);
    EXPECT_EQ(out.byte(f::FlowControl), c.packedFlow);
    EXPECT_EQ(out.byte(f::SyncBaud), c.packedBaud);
    EXPECT_EQ(out.byte(f::Protocol), c.packedProto);
}

INSTANTIATE_TEST_SUITE_P(Codes, SerialMode, ::testing::Values(
    // name, 110, 111, 104, 112 | items | packed 111, 104, 112
    SerialCase{"sync_64k_code_9", 1, 0, 9, 1, 1, 7, 0, 0, 1, 0, 9, 1},
    SerialCase{"sync_baud_code_4", 1, 0, 4, 1, 1, 4, 0, 0, 1, 0, 4, 1},
    SerialCase{"sync_baud_code_0", 1, 0, 0, 2, 2, 0, 0, 0, 1, 0, 0, 2},
    SerialCase{"sync_baud_code_7_stays_7", 1, 0, 7, 1, 1, 7, 0, 0, 1, 0, 7, 1},
    SerialCase{"sync_baud_code_8_no_item", 1, 0, 8, 1, 1, 8, 0, 0, 1, 0, 8, 1},
    SerialCase{"sync_all_transparent_forces_64k", 1, 0, 3, 0, 0, 7, 0, 0, 1, 0, 9, 0},
    SerialCase{"sync_flow_code_2_is_item_1", 1, 2, 9, 2, 2, 7, 1, 0, 1, 2, 9, 2},
    SerialCase{"sync_flow_code_1_stays_1", 1, 1, 9, 2, 2, 7, 1, 0, 1, 1, 9, 2},
    SerialCase{"sync_protocol_3_keeps_item_and_byte", 1, 0, 4, 3, 0, 7, 0, 0, 1, 0, 9, 3},
    SerialCase{"async_proto_code_1", 0, 0, 5, 1, 0, 7, 0, 0, 0, 0, 5, 1},
    SerialCase{"async_proto_code_4_multilink", 0, 1, 5, 4, 0, 7, 0, 3, 1, 1, 5, 4},
    SerialCase{"async_flow_code_2", 0, 2, 5, 3, 0, 7, 0, 2, 2, 2, 5, 3},
    SerialCase{"async_flow_code_5_no_item", 0, 5, 5, 2, 0, 7, 0, 1, 5, 5, 5, 2},
    SerialCase{"async_proto_0_keeps_item_and_byte", 0, 0, 5, 0, 0, 7, 0, 0, 0, 0, 5, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A byte of the serial block outside the codes of the mode read stays as read until the
// user changes its list (or the serial mode); then the list's choice is written.
struct OddSerialCase {
    const char* name;
    int mode, flow, baud, proto;               // bytes 110, 111, 104, 112 as read
    void (*edit)(DataPortMembers&);            // the user's change
    int packedMode, packedFlow, packedBaud, packedProto;
};

class OddSerialBytes : public ::testing::TestWithParam<OddSerialCase> {};

TEST_P(OddSerialBytes, StayUntilTheirControlChanges) {
    const auto& c = GetParam();
    ProfileRecord image = noiseRecord();
    image.setByte(f::SerialMode, static_cast<std::uint8_t>(c.mode));
    image.setByte(f::FlowControl, static_cast<std::uint8_t>(c.flow));
    image.setByte(f::SyncBaud, static_cast<std::uint8_t>(c.baud));
    image.setByte(f::Protocol, static_cast<std::uint8_t>(c.proto));
    const ProfileRecord out = dataRoundTrip(image, c.edit);
    EXPECT_EQ(out.byte(f::SerialMode), c.packedMode);
    EXPECT_EQ(out.byte(f::FlowControl), c.packedFlow);
    EXPECT_EQ(out.byte(f::SyncBaud), c.packedBaud);
    EXPECT_EQ(out.byte(f::Protocol), c.packedProto);
}

INSTANTIATE_TEST_SUITE_P(Changes, OddSerialBytes, ::testing::Values(
    OddSerialCase{"sync_flow_1_set_to_none", 1, 1, 9, 2,
                  [](DataPortMembers& m) { m.m_nSynFlow = 0; }, 1, 0, 9, 2},
    OddSerialCase{"sync_flow_1_untouched_while_baud_changes", 1, 1, 9, 2,
                  [](DataPortMembers& m) { m.m_nSynBaud = 4; }, 1, 1, 4, 2},
    OddSerialCase{"sync_baud_7_set_to_9600", 1, 0, 7, 1,
                  [](DataPortMembers& m) { m.m_nSynBaud = 4; }, 1, 0, 4, 1},
    OddSerialCase{"async_protocol_0_set_to_ppp", 0, 0, 5, 0,
                  [](DataPortMembers& m) { m.m_nASynProtoItem = 2; }, 0, 0, 5, 3},
    OddSerialCase{"sync_odd_bytes_switched_to_async", 1, 1, 7, 3,
                  [](DataPortMembers& m) { m.m_nSerialMode = dataport::kAsync; }, 0, 1, 7, 1},
    OddSerialCase{"unknown_mode_untouched", 5, 1, 7, 9, [](DataPortMembers&) {}, 5, 1, 7, 9},
    OddSerialCase{"unknown_mode_list_changed", 5, 1, 7, 9,
                  [](DataPortMembers& m) { m.m_nSynProtoItem = 1; }, 1, 0, 9, 1},
    OddSerialCase{"unknown_mode_set_to_async", 5, 1, 7, 9,
                  [](DataPortMembers& m) { m.m_nSerialMode = dataport::kAsync; }, 0, 1, 7, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataPortRules, UnknownSerialModeLeavesTheValues) {
    ProfileRecord image = noiseRecord();
    image.setByte(f::SerialMode, 5);
    DataPortMembers m;
    m.m_nSerialMode = dataport::kAsync;
    m.m_nASynFlow = 2;
    const DataPortMembers before = m;
    auto fill = fillDataPort(image, m);
    EXPECT_FALSE(fill.serialModeKnown);
    EXPECT_EQ(m.m_nSerialMode, before.m_nSerialMode);
    EXPECT_EQ(m.m_nASynFlow, before.m_nASynFlow);
    EXPECT_EQ(m.m_nSynProtoItem, before.m_nSynProtoItem);
}

TEST(DataPortRules, AsyncPackingLeavesTheSyncBaudRate) {
    ProfileRecord image = noiseRecord();
    DataPortMembers m;
    m.m_nSerialMode = dataport::kAsync;
    m.m_nASynProtoItem = 2;
    m.m_nASynFlow = 0;
    ProfileRecord out = image;
    packDataPort(m, false, out);
    EXPECT_EQ(out.byte(f::SerialMode), 0);
    EXPECT_EQ(out.byte(f::Protocol), 3);
    EXPECT_EQ(out.byte(f::FlowControl), 0);
    EXPECT_EQ(out.byte(f::SyncBaud), image.byte(f::SyncBaud));
}

TEST(DataPortRules, DefaultValuesAndIndicators) {
    DataPortMembers m;
    applyDataPortDefault(m);
    EXPECT_EQ(m.m_nSynBaud, 7);
    EXPECT_EQ(m.m_nSynFlow, 0);
    EXPECT_EQ(m.m_nASynFlow, 2);
    EXPECT_EQ(m.m_nSynProtoItem, 0);
    EXPECT_EQ(m.m_nASynProtoItem, 2);
    EXPECT_EQ(m.m_nDialMode, dataport::kDialManual);
    EXPECT_TRUE(m.m_strNumber.empty());
    EXPECT_EQ(m.m_nSerialMode, dataport::kAsync);
    EXPECT_EQ(m.m_nAnswerMode, dataport::kAnswerManual);
    EXPECT_EQ(m.m_nUpper, 56);
    EXPECT_EQ(m.m_nLower, 32);
    EXPECT_EQ(m.m_nReleaseTime, 120);
    EXPECT_EQ(m.m_bReleaseOn, 1);
    EXPECT_EQ(m.m_bUpperOn, 1);
    EXPECT_EQ(m.m_nFareUnit, 180);
    // PPP and all transparent: neither mode is V.120.
    EXPECT_EQ(synV120Indicator(m.m_nSynProtoItem), 5);
    EXPECT_EQ(asynV120Indicator(m.m_nASynProtoItem), 5);
    EXPECT_EQ(synV120Indicator(2), 2);
    EXPECT_EQ(synV120Indicator(1), 5);
    EXPECT_EQ(asynV120Indicator(1), 2);
    EXPECT_EQ(asynV120Indicator(2), 5);
}

TEST(DataPortRules, DialNumberCheckStopsAtTheFirstStar) {
    EXPECT_TRUE(dialNumberAcceptable(""));
    EXPECT_TRUE(dialNumberAcceptable("0123456789"));
    EXPECT_TRUE(dialNumberAcceptable("12*ab#"));
    EXPECT_TRUE(dialNumberAcceptable("*x"));
    EXPECT_FALSE(dialNumberAcceptable("12a*"));
    EXPECT_FALSE(dialNumberAcceptable("#12"));
    EXPECT_FALSE(dialNumberAcceptable(" 12"));
    EXPECT_FALSE(dialNumberAcceptable("\xb5\xe7")); // the bytes of a double-byte character
}

// --- telephone ports ----------------------------------------------------------------

TEST(TelPortRules, FillTicksNonEmptyTextsAndMapsServices) {
    ProfileRecord image = noiseRecord();
    image.clearSpan(f::Tel1Msn, 16);
    image.setText(f::Tel2Msn, 16, "5550102");
    image.setText(f::Tel1Uus, 17, "hello");
    image.clearSpan(f::Tel2Uus, 17);
    image.setByte(f::Tel2Uus + 1, 'x'); // after the terminating zero: still empty
    image.setText(f::Tel1Subaddress, 17, "12");
    image.clearSpan(f::Tel2Subaddress, 17);
    image.setByte(f::Tel1Clir, 1);
    image.setByte(f::Tel1Colr, 0);
    image.setByte(f::Tel2Clir, 0);
    image.setByte(f::Tel2Colr, 2);
    TelPortMembers m;
    m.m_strMsn1 = "stale";
    fillTelPort(image, m);
    EXPECT_EQ(m.m_bMsn1, 0);
    EXPECT_EQ(m.m_strMsn1, "");
    EXPECT_EQ(m.m_bMsn2, 1);
    EXPECT_EQ(m.m_strMsn2, "5550102");
    EXPECT_EQ(m.m_bUus1, 1);
    EXPECT_EQ(m.m_strUus1, "hello");
    EXPECT_EQ(m.m_bUus2, 0);
    EXPECT_EQ(m.m_bSubaddr1, 1);
    EXPECT_EQ(m.m_strSubaddr1, "12");
    EXPECT_EQ(m.m_bSubaddr2, 0);
    EXPECT_EQ(m.m_nClir1, telport::kRestriction);
    EXPECT_EQ(m.m_nColr1, telport::kPresentation);
    EXPECT_EQ(m.m_nClir2, telport::kPresentation);
    EXPECT_EQ(m.m_nColr2, -1) << "a byte of 2 selects neither button";
    ProfileRecord out = image;
    packTelServices(m, out);
    EXPECT_EQ(changes(image, out), (std::map<int, int>{}));
}

TEST(TelPortRules, AServiceByteOutsideItsCodesStaysUntilAButtonIsPicked) {
    const int offsets[] = {f::Tel1Clir, f::Tel1Colr, f::Tel2Clir, f::Tel2Colr};
    auto member = [](TelPortMembers& m, int i) -> int& {
        int* members[] = {&m.m_nClir1, &m.m_nColr1, &m.m_nClir2, &m.m_nColr2};
        return *members[i];
    };
    for (int byte : {0, 1, 2, 3, 200, 255}) {
        for (int i = 0; i < 4; ++i) {
            ProfileRecord image = noiseRecord();
            image.setByte(offsets[i], static_cast<std::uint8_t>(byte));
            TelPortMembers m;
            fillTelPort(image, m);
            EXPECT_EQ(member(m, i), byte <= 1 ? 1 - byte : -1) << byte << " at " << offsets[i];
            ProfileRecord out = image;
            packTelServices(m, out);
            EXPECT_EQ(out.byte(offsets[i]), image.byte(offsets[i])) << byte << " at " << offsets[i];
            member(m, i) = telport::kRestriction; // the user picks Restriction
            packTelServices(m, out);
            EXPECT_EQ(out.byte(offsets[i]), 1) << byte << " at " << offsets[i];
        }
    }
}

TEST(TelPortRules, TextPackingWritesAllButTheLastByteOrClearsTheField) {
    ProfileRecord image = noiseRecord();
    TelPortMembers m;
    m.m_bMsn1 = 1;
    m.m_strMsn1 = "123456789012345"; // 15 digits
    m.m_bMsn2 = 1;                   // ticked but empty
    m.m_bUus1 = 1;
    m.m_strUus1 = "ABCDEFGHIJKLMNOP"; // 16 characters
    m.m_bUus2 = 0;
    m.m_strUus2 = "dropped";
    m.m_bSubaddr1 = 1; // ticked but empty
    m.m_bSubaddr2 = 1;
    m.m_strSubaddr2 = "2";
    ProfileRecord out = image;
    packTelTexts(m, out);
    EXPECT_EQ(out.text(f::Tel1Msn, 15), m.m_strMsn1);
    EXPECT_EQ(out.byte(f::Tel1Msn + 15), image.byte(f::Tel1Msn + 15)) << "byte 179 not written";
    for (int i = 0; i < 15; ++i) EXPECT_EQ(out.byte(f::Tel2Msn + i), 0);
    EXPECT_EQ(out.byte(f::Tel2Msn + 15), image.byte(f::Tel2Msn + 15)) << "byte 195 not written";
    EXPECT_EQ(out.text(f::Tel1Uus, 16), m.m_strUus1);
    EXPECT_EQ(out.byte(f::Tel1Uus + 16), image.byte(f::Tel1Uus + 16)) << "byte 292 not written";
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(out.byte(f::Tel2Uus + i), 0) << "unticked: all 17 bytes zero";
        EXPECT_EQ(out.byte(f::Tel1Subaddress + i), 0) << "ticked but empty: all 17 zero";
    }
    EXPECT_EQ(out.byte(f::Tel2Subaddress), '2');
    for (int i = 1; i < 16; ++i) EXPECT_EQ(out.byte(f::Tel2Subaddress + i), 0);
    EXPECT_EQ(out.byte(f::Tel2Subaddress + 16), image.byte(f::Tel2Subaddress + 16));
    // Nothing outside the six text fields moved.
    for (auto [offset, value] : changes(image, out)) {
        const FieldInfo* fi = nullptr;
        for (const auto& candidate : profileFields())
            if (offset >= candidate.offset && offset < candidate.offset + candidate.width) fi = &candidate;
        ASSERT_NE(fi, nullptr) << offset;
        EXPECT_TRUE(fi->offset == f::Tel1Msn || fi->offset == f::Tel2Msn || fi->offset == f::Tel1Uus ||
                    fi->offset == f::Tel2Uus || fi->offset == f::Tel1Subaddress ||
                    fi->offset == f::Tel2Subaddress)
            << offset;
    }
}

TEST(TelPortRules, DefaultsTouchOnlyTheirPort) {
    TelPortMembers m;
    m.m_nClir1 = m.m_nColr1 = m.m_nClir2 = m.m_nColr2 = 0;
    m.m_bMsn1 = m.m_bMsn2 = m.m_bUus1 = m.m_bUus2 = 1;
    m.m_strMsn1 = m.m_strMsn2 = "555";
    m.m_strUus1 = m.m_strUus2 = "u";
    TelPortMembers t1 = m;
    applyTel1Default(t1);
    TelPortMembers expected = m;
    expected.m_nClir1 = expected.m_nColr1 = telport::kPresentation;
    expected.m_strMsn1.clear();
    expected.m_strSubaddr1 = "1";
    expected.m_bSubaddr1 = 1;
    expected.m_bMsn1 = 0;
    expected.m_bUus1 = 0;
    expected.m_strUus1.clear();
    EXPECT_EQ(t1, expected);
    TelPortMembers t2 = m;
    applyTel2Default(t2);
    expected = m;
    expected.m_nClir2 = expected.m_nColr2 = telport::kPresentation;
    expected.m_strMsn2.clear();
    expected.m_strSubaddr2 = "2";
    expected.m_bSubaddr2 = 1;
    expected.m_bMsn2 = 0;
    expected.m_bUus2 = 0;
    expected.m_strUus2.clear();
    EXPECT_EQ(t2, expected);
    // Packed: Presentation is byte 0; "1" with its terminating zero at byte 213.
    ProfileRecord image = noiseRecord();
    ProfileRecord out = image;
    packTelServices(t1, out);
    packTelTexts(t1, out);
    EXPECT_EQ(out.byte(f::Tel1Clir), 0);
    EXPECT_EQ(out.byte(f::Tel1Colr), 0);
    EXPECT_EQ(out.text(f::Tel1Subaddress, 17), "1");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out.byte(f::Tel1Msn + i), 0);
    for (int i = 0; i < 17; ++i) EXPECT_EQ(out.byte(f::Tel1Uus + i), 0);
}

TEST(TelPortRules, MsnCheckAcceptsDigitsOnly) {
    EXPECT_TRUE(msnAcceptable(""));
    EXPECT_TRUE(msnAcceptable("0123456789"));
    EXPECT_FALSE(msnAcceptable("12a"));
    EXPECT_FALSE(msnAcceptable("12*"));
    EXPECT_FALSE(msnAcceptable("\xb5\xe7"));
}

TEST(PortRules, AShortRecordIsNeverWrittenPastItsEnd) {
    ProfileRecord image = noiseRecord(kShortProfileLength);
    DataPortMembers d;
    TelPortMembers t;
    fillDataPort(image, d);
    fillTelPort(image, t);
    applyTel1Default(t);
    applyTel2Default(t);
    ProfileRecord out = image;
    packDataPort(d, true, out);
    packTelServices(t, out);
    packTelTexts(t, out);
    EXPECT_EQ(out.raw().size(), image.raw().size());
    EXPECT_EQ(out.checksumByte(), image.checksumByte());
}
