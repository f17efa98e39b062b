// The advanced dialogs' byte rules as plain functions: what each field shows, exactly which
// bytes OK writes, the quick-dial reply parsing, the group enabling, and the 314-byte record
// (nothing read or written past byte 313, the checksum slot untouched).
#include "core/record/dataport_adv_rules.h"
#include "core/record/teladv_rules.h"
#include "record_changes.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

using namespace omniset;
using omniset::test::changes;
namespace f = omniset::field;

namespace {

constexpr std::uint8_t kSlotSentinel = 0xA5;

// Every byte distinct noise, the dialogs' codes valid, the checksum slot marked.
ProfileRecord baseRecord(int length = kLongProfileLength) {
    ProfileRecord r(length);
    for (int i = 0; i < length; ++i) r.setByte(i, static_cast<std::uint8_t>(i * 37 + 11));
    const std::pair<int, int> codes[] = {
        {f::V120Window, 7},  {f::AsyncBaud, 8},   {f::AsyncDataBits, 1}, {f::AsyncParity, 2},
        {f::AsyncStopBits, 0}, {f::DcdHandling, 0}, {f::DsrHandling, 1}, {f::V120Service, 1},
        {f::V120LliNegotiation, 0}, {f::DataClir, 0}, {f::DataColr, 1}, {f::Tel1Bearer, 0},
        {f::Tel2Bearer, 1},  {f::CodingLaw, 0}};
    for (auto [offset, value] : codes) r.setByte(offset, static_cast<std::uint8_t>(value));
    r.setText(f::DataMsn, 16, "5550100");
    r.setText(f::DataSubaddress, 17, "");
    r.setText(f::DataUus, 17, "data");
    r.setText(f::NationalPrefix, 6, "0");
    r.setText(f::InternationalPrefix, 6, "00");
    r.setChecksumByte(kSlotSentinel);
    return r;
}

// Expected writes: single bytes, and a text with zeros to the end of its span.
struct Writes {
    std::map<int, int> bytes;
    Writes& set(int offset, int value) {
        bytes[offset] = value;
        return *this;
    }
    Writes& text(int offset, int span, const std::string& s) {
        for (int i = 0; i < span; ++i)
            bytes[offset + i] = i < int(s.size()) ? static_cast<unsigned char>(s[std::size_t(i)]) : 0;
        return *this;
    }
};

// The bytes a pack changed, compared with those expected (bytes that already held the
// expected value do not show as changes).
void expectWrites(const ProfileRecord& before, const ProfileRecord& after, const Writes& w) {
    std::map<int, int> expected;
    for (auto [offset, value] : w.bytes)
        if (before.byte(offset) != value) expected[offset] = value;
    EXPECT_EQ(changes(before, after), expected);
    EXPECT_EQ(after.raw().size(), std::size_t(before.length() + 1));
    EXPECT_EQ(after.checksumByte(), kSlotSentinel);
}

} // namespace

// --- data port advanced: opening values -------------------------------------------------

struct ShowCase {
    const char* name;
    int offset;
    int value;
    std::function<int(const DataAdvMembers&)> shown;
    int expected;
};

void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class DataAdvShows : public ::testing::TestWithParam<ShowCase> {};

TEST_P(DataAdvShows, TheRecordsByte) {
    const auto& c = GetParam();
    ProfileRecord r = baseRecord();
    r.setByte(c.offset, static_cast<std::uint8_t>(c.value));
    DataAdvMembers m;
    fillDataAdv(r, m);
    EXPECT_EQ(c.shown(m), c.expected);
}

const auto K = [](const DataAdvMembers& m) { return m.m_nK; };
const auto Ring = [](const DataAdvMembers& m) { return m.m_nRing; };
const auto Autobaud = [](const DataAdvMembers& m) { return m.m_bAutobaud; };
const auto Negotiate = [](const DataAdvMembers& m) { return m.m_nNegotiate; };

INSTANTIATE_TEST_SUITE_P(Fields, DataAdvShows, ::testing::Values(
    ShowCase{"K0", f::V120Window, 0, K, 7},
    ShowCase{"K200", f::V120Window, 200, K, 7},
    ShowCase{"K128", f::V120Window, 128, K, 7},
    ShowCase{"K1", f::V120Window, 1, K, 1},
    ShowCase{"K127", f::V120Window, 127, K, 127},
    ShowCase{"Ring3OnceOnly", f::RingKeypadBits, 3, Ring, 1},
    ShowCase{"Ring2PerSecond", f::RingKeypadBits, 2, Ring, 0},
    ShowCase{"Autobaud129", f::AutobaudBits, 129, Autobaud, 1},
    ShowCase{"Autobaud254", f::AutobaudBits, 254, Autobaud, 0},
    ShowCase{"Lli1Negotiates", f::V120LliNegotiation, 1, Negotiate, dataadv::kNegotiate},
    ShowCase{"Lli0Default", f::V120LliNegotiation, 0, Negotiate, dataadv::kNoNegotiation},
    ShowCase{"Lli5None", f::V120LliNegotiation, 5, Negotiate, -1},
    ShowCase{"Dsr0On", f::DsrHandling, 0, [](const DataAdvMembers& m) { return m.m_bDsr; }, 1},
    ShowCase{"Dcd1Off", f::DcdHandling, 1, [](const DataAdvMembers& m) { return m.m_bDcd; }, 0},
    ShowCase{"Dcd2Off", f::DcdHandling, 2, [](const DataAdvMembers& m) { return m.m_bDcd; }, 0},
    ShowCase{"Dsr9Off", f::DsrHandling, 9, [](const DataAdvMembers& m) { return m.m_bDsr; }, 0},
    ShowCase{"Clir1Restricts", f::DataClir, 1, [](const DataAdvMembers& m) { return m.m_nClir; }, 0},
    ShowCase{"Colr0Identifies", f::DataColr, 0, [](const DataAdvMembers& m) { return m.m_nColr; }, 1},
    ShowCase{"Baud4", f::AsyncBaud, 4, [](const DataAdvMembers& m) { return m.m_nBaud; }, 4},
    ShowCase{"Baud9None", f::AsyncBaud, 9, [](const DataAdvMembers& m) { return m.m_nBaud; }, -1},
    ShowCase{"Parity2", f::AsyncParity, 2, [](const DataAdvMembers& m) { return m.m_nParity; }, 2},
    ShowCase{"Service0", f::V120Service, 0, [](const DataAdvMembers& m) { return m.m_nService; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataAdvRules, TextFieldsShowTickedWhenNotEmpty) {
    ProfileRecord r = baseRecord();
    DataAdvMembers m;
    fillDataAdv(r, m);
    EXPECT_EQ(m.m_bMsn, 1);
    EXPECT_EQ(m.m_strMsn, "5550100");
    EXPECT_EQ(m.m_bSubaddr, 0);
    EXPECT_EQ(m.m_strSubaddr, "");
    EXPECT_EQ(m.m_bUus, 1);
    EXPECT_EQ(m.m_strUus, "data");
    r.setText(f::DataMsn, 16, "");
    r.setText(f::DataSubaddress, 17, "ABCDEFGHIJKLMNOP");
    fillDataAdv(r, m);
    EXPECT_EQ(m.m_bMsn, 0);
    EXPECT_EQ(m.m_strMsn, "");
    EXPECT_EQ(m.m_bSubaddr, 1);
    EXPECT_EQ(m.m_strSubaddr, "ABCDEFGHIJKLMNOP");
}

// --- data port advanced: OK writes exactly the dialog's bytes ----------------------------

struct PackCase {
    const char* name;
    std::function<void(ProfileRecord&)> before; // the record as read
    std::function<void(DataAdvMembers&)> edit;  // the user's change
    Writes writes;
};

void PrintTo(const PackCase& c, std::ostream* os) { *os << c.name; }

class DataAdvPacks : public ::testing::TestWithParam<PackCase> {};

TEST_P(DataAdvPacks, ExactlyItsBytes) {
    const auto& c = GetParam();
    ProfileRecord r = baseRecord();
    if (c.before) c.before(r);
    DataAdvMembers m;
    const DataAdvFill asRead = fillDataAdv(r, m);
    if (c.edit) c.edit(m);
    ProfileRecord out = r;
    packDataAdv(m, out, asRead);
    expectWrites(r, out, c.writes);
}

INSTANTIATE_TEST_SUITE_P(Fields, DataAdvPacks, ::testing::Values(
    PackCase{"Unchanged", nullptr, nullptr, Writes()},
    PackCase{"RingPerSecondKeepsKeypadBit", [](ProfileRecord& r) { r.setByte(f::RingKeypadBits, 3); },
             [](DataAdvMembers& m) { m.m_nRing = 0; }, Writes().set(f::RingKeypadBits, 2)},
    PackCase{"RingOnceOnlyKeepsHighBits", [](ProfileRecord& r) { r.setByte(f::RingKeypadBits, 0xF0); },
             [](DataAdvMembers& m) { m.m_nRing = 1; }, Writes().set(f::RingKeypadBits, 0xF1)},
    PackCase{"AutobaudClearedKeepsBit7", [](ProfileRecord& r) { r.setByte(f::AutobaudBits, 129); },
             [](DataAdvMembers& m) { m.m_bAutobaud = 0; }, Writes().set(f::AutobaudBits, 128)},
    PackCase{"AutobaudSetKeepsOtherBits", [](ProfileRecord& r) { r.setByte(f::AutobaudBits, 0x7E); },
             [](DataAdvMembers& m) { m.m_bAutobaud = 1; }, Writes().set(f::AutobaudBits, 0x7F)},
    PackCase{"Negotiate", nullptr, [](DataAdvMembers& m) { m.m_nNegotiate = 0; },
             Writes().set(f::V120LliNegotiation, 1)},
    PackCase{"KShownAs7StaysAsRead", [](ProfileRecord& r) { r.setByte(f::V120Window, 200); }, nullptr,
             Writes()},
    PackCase{"K0ShownAs7StaysAsRead", [](ProfileRecord& r) { r.setByte(f::V120Window, 0); }, nullptr,
             Writes()},
    PackCase{"KShownAs7ChangedTo9", [](ProfileRecord& r) { r.setByte(f::V120Window, 200); },
             [](DataAdvMembers& m) { m.m_nK = 9; }, Writes().set(f::V120Window, 9)},
    PackCase{"DsrDcdAbove1StayAsRead",
             [](ProfileRecord& r) { r.setByte(f::DsrHandling, 2); r.setByte(f::DcdHandling, 200); },
             nullptr, Writes()},
    PackCase{"DsrDcdAbove1Ticked",
             [](ProfileRecord& r) { r.setByte(f::DsrHandling, 2); r.setByte(f::DcdHandling, 200); },
             [](DataAdvMembers& m) { m.m_bDsr = m.m_bDcd = 1; },
             Writes().set(f::DsrHandling, 0).set(f::DcdHandling, 0)},
    PackCase{"Dcd2TickedAndClearedAgainStays", [](ProfileRecord& r) { r.setByte(f::DcdHandling, 2); },
             [](DataAdvMembers& m) { m.m_bDcd = 1; m.m_bDcd = 0; }, Writes()},
    PackCase{"K100", nullptr, [](DataAdvMembers& m) { m.m_nK = 100; }, Writes().set(f::V120Window, 100)},
    PackCase{"ClirIdentifyColrRestrict", nullptr,
             [](DataAdvMembers& m) { m.m_nClir = 1; m.m_nColr = 0; },
             Writes().set(f::DataClir, 0).set(f::DataColr, 1)},
    PackCase{"DsrAndDcd", nullptr, [](DataAdvMembers& m) { m.m_bDsr = 1; m.m_bDcd = 0; },
             Writes().set(f::DsrHandling, 0).set(f::DcdHandling, 1)},
    PackCase{"AsyncLine", nullptr,
             [](DataAdvMembers& m) { m.m_nBaud = 4; m.m_nDataBits = 0; m.m_nParity = 1; m.m_nStopBits = 1; },
             Writes().set(f::AsyncBaud, 4).set(f::AsyncDataBits, 0).set(f::AsyncParity, 1).set(f::AsyncStopBits, 1)},
    PackCase{"ListsWithoutSelectionKeepTheirBytes",
             [](ProfileRecord& r) { r.setByte(f::AsyncBaud, 12); r.setByte(f::V120Service, 9); r.setByte(f::DataClir, 4); },
             nullptr, Writes()},
    PackCase{"MsnOffZeroesSixteenBytes", nullptr, [](DataAdvMembers& m) { m.m_bMsn = 0; },
             Writes().text(f::DataMsn, 16, "")},
    PackCase{"MsnTickedButEmpty", nullptr, [](DataAdvMembers& m) { m.m_strMsn.clear(); },
             Writes().text(f::DataMsn, 16, "")},
    PackCase{"Msn15Digits", nullptr, [](DataAdvMembers& m) { m.m_strMsn = "123456789012345"; },
             Writes().text(f::DataMsn, 16, "123456789012345")},
    PackCase{"SubaddressTickedButEmptyZeroes17", [](ProfileRecord& r) { r.setText(f::DataSubaddress, 17, "12"); },
             [](DataAdvMembers& m) { m.m_strSubaddr.clear(); }, Writes().text(f::DataSubaddress, 17, "")},
    PackCase{"Subaddress16", nullptr,
             [](DataAdvMembers& m) { m.m_bSubaddr = 1; m.m_strSubaddr = "ABCDEFGHIJKLMNOP"; },
             Writes().text(f::DataSubaddress, 17, "ABCDEFGHIJKLMNOP")},
    PackCase{"UusTextPaddedWithZeros", [](ProfileRecord& r) { for (int i = 0; i < 17; ++i) r.setByte(f::DataUus + i, 'x'); },
             [](DataAdvMembers& m) { m.m_strUus = "abc"; }, Writes().text(f::DataUus, 17, "abc")},
    PackCase{"UusOff", nullptr, [](DataAdvMembers& m) { m.m_bUus = 0; }, Writes().text(f::DataUus, 17, "")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataAdvRules, EveryFieldChangedTouchesOnlyTheDialogsBytes) {
    ProfileRecord r = baseRecord();
    for (int i = 0; i < r.length(); ++i)
        if (!findField(i)) r.setByte(i, 0xEE); // unlisted bytes: any change would show
    DataAdvMembers m;
    fillDataAdv(r, m);
    m.m_nK = 100;
    m.m_nBaud = 3;
    m.m_nDataBits = m.m_nParity = 0;
    m.m_nStopBits = 1;
    m.m_nService = 0;
    m.m_nClir = 1;
    m.m_nColr = 0;
    m.m_strMsn = "1";
    m.m_strSubaddr = "2";
    m.m_strUus = "3";
    m.m_bMsn = m.m_bSubaddr = m.m_bUus = 1;
    m.m_bDsr = 1;
    m.m_bDcd = 0;
    m.m_bAutobaud = 1;
    m.m_strQuick = {"1", "2", "3", "4"}; // not in the record
    m.m_nNegotiate = 0;
    m.m_nRing = 1;
    ProfileRecord out = r;
    packDataAdv(m, out);
    std::set<int> allowed{f::V120Service, f::V120LliNegotiation, f::DataClir, f::DataColr,
                          f::DsrHandling, f::DcdHandling, f::AsyncBaud, f::RingKeypadBits,
                          f::AsyncDataBits, f::AsyncParity, f::AsyncStopBits, f::V120Window,
                          f::AutobaudBits};
    for (int i = 0; i < 16; ++i) allowed.insert(f::DataMsn + i);
    for (int i = 0; i < 17; ++i) allowed.insert(f::DataSubaddress + i), allowed.insert(f::DataUus + i);
    for (auto [offset, value] : changes(r, out)) EXPECT_TRUE(allowed.count(offset)) << "byte " << offset;
    EXPECT_EQ(out.byte(f::V120Window), 100);
    EXPECT_EQ(out.byte(f::V120LliNegotiation), 1);
    EXPECT_EQ(out.text(f::DataSubaddress, 17), "2");
    EXPECT_EQ(out.byte(f::RingKeypadBits), (r.byte(f::RingKeypadBits) & ~1) | 1);
}

TEST(DataAdvRules, RoundTripKeepsAValidRecord) {
    for (int length : {kShortProfileLength, kLongProfileLength}) {
        ProfileRecord r = baseRecord(length);
        r.setByte(f::V120Window, 0);
        r.setByte(f::DsrHandling, 3);
        DataAdvMembers m;
        const DataAdvFill asRead = fillDataAdv(r, m);
        ProfileRecord out = r;
        packDataAdv(m, out, asRead);
        EXPECT_EQ(changes(r, out), (std::map<int, int>{})) << length;
    }
}

// --- groups enabled from the page -----------------------------------------------------

TEST(DataAdvRules, GroupsFollowThePagesModeAndProtocol) {
    using namespace dataport;
    struct Row { int mode, syn, asyn; bool async, v120; };
    const Row rows[] = {
        {kSync, kV120Indicator, kOtherIndicator, false, true},  // SYNC, V.120
        {kAsync, kOtherIndicator, kOtherIndicator, true, false}, // ASYN, PPP
        {kAsync, kOtherIndicator, kV120Indicator, true, true},
        {kAsync, kV120Indicator, kOtherIndicator, true, false},  // the other mode's V.120
        {kSync, kOtherIndicator, kV120Indicator, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(asyncLineEnabled(r.mode), r.async) << r.mode << r.syn << r.asyn;
        EXPECT_EQ(v120Enabled(r.mode, r.syn, r.asyn), r.v120) << r.mode << r.syn << r.asyn;
    }
}

// --- quick dial -------------------------------------------------------------------------

TEST(QuickDialRules, ReplyParsing) {
    const std::pair<std::string, std::string> cases[] = {
        {"at&z0?\r\r\n5\r\n5\r\n5\r\n1\r\nOK\r\n", "5551"},     // echo, digits among line ends
        {"at&z3?\r\n0123456789\r\n\r\nOK\r\n", "0123456789"},   // the echo's slot digit is cut
        {"\r\n5551234\r\nOK\r\n", "34"},                        // no echo: seven characters lost
        {"at&z1?\r\r\nOK\r\n", ""},                             // an empty slot
        {"at&z1?\r\r\nERROR\r\n", ""},
        {"at&z1?", ""},                                         // shorter than the echo
        {"", ""},                                               // no reply
    };
    for (const auto& [reply, number] : cases) EXPECT_EQ(parseQuickDialReply(reply), number) << reply;
}

TEST(QuickDialRules, OnlyDigitsReachAStoreCommand) {
    EXPECT_EQ(quickDialDigits("55a-12\r3"), "55123");
    EXPECT_EQ(quickDialDigits("\r\n;ATH"), "");
    EXPECT_TRUE(allDigits(""));
    EXPECT_TRUE(allDigits("0123456789"));
    EXPECT_FALSE(allDigits("12*"));
    EXPECT_FALSE(allDigits("\xe4" "1"));
}

// --- telephone port advanced -------------------------------------------------------------

TEST(TelAdvRules, ReachOfBothLengths) {
    const TelAdvReach full = telAdvReach(kLongProfileLength);
    EXPECT_EQ(full.nationalChars, 5);
    EXPECT_TRUE(full.international && full.bearer1 && full.bearer2 && full.codingLaw);
    const TelAdvReach cut = telAdvReach(kShortProfileLength);
    EXPECT_EQ(cut.nationalChars, 3);
    EXPECT_FALSE(cut.international || cut.bearer1 || cut.bearer2 || cut.codingLaw);
}

TEST(TelAdvRules, FillOfALongRecord) {
    ProfileRecord r = baseRecord();
    r.setByte(f::Tel1Bearer, 1);
    r.setByte(f::Tel2Bearer, 0);
    r.setByte(f::CodingLaw, 1);
    r.setByte(f::RingKeypadBits, 3);
    TelAdvMembers m;
    fillTelAdv(r, m);
    EXPECT_EQ(m, (TelAdvMembers{1, 1, 0, teladv::kCalledNumberMode, "0", "00"}));
    r.setByte(f::RingKeypadBits, 1);
    r.setByte(f::Tel1Bearer, 7);
    for (int i = 0; i < 6; ++i) r.setByte(f::NationalPrefix + i, '9'); // no terminator
    fillTelAdv(r, m);
    EXPECT_EQ(m.m_nKeypad, teladv::kKeypadMode);
    EXPECT_EQ(m.m_nBearer1, -1);
    EXPECT_EQ(m.m_strNational, "99999");
}

TEST(TelAdvRules, PackOfALongRecord) {
    ProfileRecord r = baseRecord();
    r.setByte(f::RingKeypadBits, 3);
    r.setByte(f::NationalPrefix + 5, 0x33); // byte 315 is always 0 after a write
    TelAdvMembers m;
    fillTelAdv(r, m);
    ProfileRecord out = r;
    m.m_nCodingLaw = teladv::kMuLaw;
    m.m_nKeypad = teladv::kKeypadMode;
    m.m_strNational = "0";
    m.m_strInternational = "00";
    packTelAdv(m, out);
    expectWrites(r, out, Writes().set(f::CodingLaw, 1).set(f::RingKeypadBits, 1)
                              .text(f::NationalPrefix, 6, "0").text(f::InternationalPrefix, 6, "00"));
    m.m_nBearer1 = 1;
    m.m_nBearer2 = -1; // no selection: byte 323 kept
    m.m_strInternational = "12345";
    ProfileRecord again = out;
    packTelAdv(m, again);
    expectWrites(out, again, Writes().set(f::Tel1Bearer, 1).text(f::InternationalPrefix, 6, "12345"));
}

TEST(TelAdvRules, ShortRecordEndsAtByte313) {
    ProfileRecord r = baseRecord(kShortProfileLength);
    r.setByte(f::RingKeypadBits, 2);
    for (int i = 0; i < 4; ++i) r.setByte(f::NationalPrefix + i, static_cast<std::uint8_t>('0' + i));
    TelAdvMembers m;
    fillTelAdv(r, m);
    EXPECT_EQ(m, (TelAdvMembers{-1, -1, -1, teladv::kCalledNumberMode, "012", ""}));
    EXPECT_EQ(r.checksumByte(), kSlotSentinel);

    // Every field edited: only bit 1 of byte 98 and bytes 310..313 may change.
    m = TelAdvMembers{1, 1, 1, teladv::kKeypadMode, "99999", "12345"};
    ProfileRecord out = r;
    packTelAdv(m, out);
    expectWrites(r, out, Writes().set(f::RingKeypadBits, 0).text(f::NationalPrefix, 4, "999"));
    EXPECT_EQ(out.raw().size(), std::size_t(kShortProfileLength + 1));
    EXPECT_EQ(out.raw()[kShortProfileLength], kSlotSentinel) << "the checksum slot is not the record";
    m.m_strNational = "7";
    packTelAdv(m, out);
    EXPECT_EQ(out.text(f::NationalPrefix, 6), "7");
    EXPECT_EQ(out.byte(313), 0);
    EXPECT_EQ(out.checksumByte(), kSlotSentinel);
}

TEST(TelAdvRules, PrefixCheck) {
    EXPECT_TRUE(prefixAcceptable(""));
    EXPECT_TRUE(prefixAcceptable("00"));
    EXPECT_FALSE(prefixAcceptable("0a"));
    EXPECT_FALSE(prefixAcceptable("+86"));
    EXPECT_FALSE(prefixAcceptable("\xb0" "1"));
}
