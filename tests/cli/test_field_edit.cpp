// omniset-cli set's field changes in-process: the pages' rules and checks, and every byte
// not named kept.
#include "cli/field_edit.h"
#include "core/app/language.h"
#include "factory_record.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace omniset;
using omniset::cli::applyAssignments;
using omniset::cli::FieldAssignment;
using omniset::cli::parseAssignment;

namespace {

ProfileRecord factory(int length) {
    const auto bytes = kx220sim::factoryRecord(length);
    ProfileRecord r(length);
    for (int i = 0; i < length; ++i)
        r.setByte(i, bytes[static_cast<std::size_t>(i)]);
    return r;
}

std::vector<FieldAssignment> assignments(const std::string& line) {
    std::vector<FieldAssignment> out;
    std::istringstream words(line);
    for (std::string w; words >> w;)
        out.push_back(*parseAssignment(w));
    return out;
}

cli::EditOutcome apply(const ProfileRecord& r, const std::string& line) {
    LanguageMode = 1;
    return applyAssignments(r, assignments(line));
}

// Offsets of the record (326 bytes, factory values) and the bytes they must then hold.
using Bytes = std::map<int, int>;
struct Text {
    int offset = 0;
    int width = 0; // 0: no text changes
    std::string value;
};

} // namespace

TEST(FieldEdit, EachPageAndDialogChangesItsBytesAndNothingElse) {
    const ProfileRecord base = factory(kLongProfileLength);
    ASSERT_EQ(base.byte(field::SerialMode), 0) << "the cases assume an asynchronous V.120 record";
    ASSERT_EQ(base.byte(field::Protocol), 2);
    const struct {
        const char* set;
        Bytes bytes;
        Text text = {};
    } cases[] = {
        // Data port page.
        {"data.bod.upper_threshold=64", {{54, 128}}},
        {"data.bod.upper_threshold=disabled", {{54, 255}}},
        {"data.bod.release_time=disabled", {{42, 0}}},
        {"data.bod.fare_unit=120", {{43, 12}}},
        {"data.answer_mode=manual", {{4, 0}}},
        {"data.serial_mode=sync data.protocol=transparent",
         {{110, 1}, {112, 0}, {104, 9}, {111, 0}}},
        {"data.dial_mode=auto data.dial_number=5550101", {{113, 3}, {107, 1}},
         {field::AutoDialNumber, 32, "5550101"}},
        // Data port advanced dialog.
        {"data.async.parity=even", {{102, 1}}},
        {"data.v120.window_k=64", {{94, 64}}},
        {"data.v24.dsr=false", {{109, 1}}},
        {"data.msn=", {}, {field::DataMsn, 16, ""}},
        // Telephone port page.
        {"tel1.msn=123", {}, {field::Tel1Msn, 16, "123"}},
        {"tel2.clir=true", {{252, 1}}},
        // Telephone port advanced dialog.
        {"tel.coding_law=mu_law", {{324, 1}}},
        {"tel.national_prefix=01", {}, {field::NationalPrefix, 6, "01"}},
    };
    for (const auto& c : cases) {
        const auto result = apply(base, c.set);
        ASSERT_TRUE(result.record) << c.set << ": " << result.refusal.toStdString();
        if (c.text.width) {
            EXPECT_EQ(result.record->text(c.text.offset, c.text.width), c.text.value) << c.set;
        }
        for (int i = 0; i < base.length(); ++i) {
            if (i >= c.text.offset && i < c.text.offset + c.text.width) continue;
            const auto it = c.bytes.find(i);
            const int expected = it != c.bytes.end() ? it->second : base.byte(i);
            EXPECT_EQ(result.record->byte(i), expected) << c.set << " at offset " << i;
        }
    }
}

TEST(FieldEdit, AByteOutsideItsCodesIsKeptUnlessNamed) {
    ProfileRecord odd = factory(kLongProfileLength);
    odd.setByte(field::AnswerMode, 7);
    odd.setByte(field::V120Window, 0);
    const auto other = apply(odd, "data.async.parity=odd");
    ASSERT_TRUE(other.record);
    EXPECT_EQ(other.record->byte(field::AnswerMode), 7);
    EXPECT_EQ(other.record->byte(field::V120Window), 0);
    // Named, the value is written even when the page showed it already (manual, K 7).
    const auto named = apply(odd, "data.answer_mode=manual data.v120.window_k=7");
    ASSERT_TRUE(named.record) << named.refusal.toStdString();
    EXPECT_EQ(named.record->byte(field::AnswerMode), 0);
    EXPECT_EQ(named.record->byte(field::V120Window), 7);
    // Bytes the page ties to a change are written only when the change ties them.
    odd.setByte(field::CheckDtr, 2);
    odd.setByte(field::SerialMode, 1);
    odd.setByte(field::Protocol, 0);
    odd.setByte(field::SyncBaud, 3);
    const auto tied = apply(odd, "data.dial_mode=manual data.protocol=char_transparent");
    ASSERT_TRUE(tied.record) << tied.refusal.toStdString();
    EXPECT_EQ(tied.record->byte(field::DialMode), 0);
    EXPECT_EQ(tied.record->byte(field::CheckDtr), 2);
    EXPECT_EQ(tied.record->byte(field::Protocol), 1);
    EXPECT_EQ(tied.record->byte(field::SyncBaud), 3);
}

TEST(FieldEdit, EveryKindOfInvalidValueIsRefused) {
    const ProfileRecord base = factory(kLongProfileLength);
    const ProfileRecord shortRecord = factory(kShortProfileLength);
    const struct {
        const ProfileRecord* record;
        const char* set;
        const char* says;
    } cases[] = {
        // Ranges, including one the page would silently leave as it was.
        {&base, "data.bod.upper_threshold=200", "between 1 and 127"},
        {&base, "data.v120.window_k=0", "between 1 and 127"},
        {&base, "data.bod.fare_unit=3000", "between 10 and 2550"},
        {&base, "data.bod.fare_unit=0", "between 10 and 2550"},
        {&base, "data.bod.release_time=125", "steps of 10"},
        {&base, "data.bod.lower_threshold=x", "Please enter an integer."},
        // Digits only, with the pages' messages.
        {&base, "tel1.msn=12a", "MSN should be numerical"},
        {&base, "tel.national_prefix=0x", "prefix should be digital"},
        {&base, "data.dial_mode=auto data.dial_number=55a", "自动拨号号码部分应为数字"},
        // Lengths.
        {&base, "data.msn=1234567890123456", "no more than 15 characters"},
        {&base, "tel1.subaddress=12345678901234567", "no more than 16 characters"},
        {&shortRecord, "tel.national_prefix=0086", "no more than 3 characters"},
        // Words.
        {&base, "data.async.parity=purple", "one of: odd, even, none"},
        {&base, "data.check_dtr=maybe", "true or false"},
        {&base, "data.nonsense=1", "no such field"},
        // Combinations the pages allow.
        {&base, "data.sync.baud=9600", "synchronous mode only"},
        {&base, "data.serial_mode=sync data.protocol=ppp", "not offered in synchronous mode"},
        {&base, "data.serial_mode=sync data.protocol=transparent data.sync.baud=9600",
         "64000 only"},
        {&base, "data.serial_mode=sync data.flow_control=xon_xoff", "not offered"},
        {&base, "data.dial_mode=auto", "needs a number"},
        {&base, "data.dial_number=123", "automatic dialling only"},
        {&base, "data.serial_mode=sync data.async.baud=9600", "asynchronous mode only"},
        {&base, "data.protocol=ppp data.v120.window_k=9", "V.120 protocol only"},
        {&base, "data.bod.release_time=disabled data.bod.lower_threshold=32",
         "release_time is enabled"},
        // Past a 314-byte record's end.
        {&shortRecord, "tel.coding_law=a_law", "past the end of the 314-byte record"},
        {&shortRecord, "tel.international_prefix=00", "past the end of the 314-byte record"},
    };
    for (const auto& c : cases) {
        const auto result = apply(*c.record, c.set);
        EXPECT_FALSE(result.record) << c.set;
        EXPECT_TRUE(result.refusal.contains(QString::fromUtf8(c.says)))
            << c.set << ": " << result.refusal.toStdString();
    }
}

TEST(FieldEdit, EveryRefusedValueIsListedAndCombinationsOnlyWhenAllAreTaken) {
    LanguageMode = 1;
    const auto three = applyAssignments(
        factory(kLongProfileLength), {{"data.bod.upper_threshold", "200"}, {"tel1.msn", "4x"}, {"no.such", "1"}});
    EXPECT_FALSE(three.record);
    ASSERT_EQ(three.refusals.size(), 3u);
    EXPECT_EQ(three.refusal, three.refusals.front());
    const auto combination = applyAssignments(factory(kLongProfileLength), {{"data.sync.baud", "9600"}});
    ASSERT_EQ(combination.refusals.size(), 1u);
    EXPECT_TRUE(combination.refusals[0].contains(QStringLiteral("synchronous mode only")));
}

TEST(FieldEdit, AssignmentsSplitAtTheFirstEquals) {
    EXPECT_EQ(parseAssignment("data.uus=a=b")->value, "a=b");
    EXPECT_EQ(parseAssignment("data.msn=")->value, "");
    EXPECT_FALSE(parseAssignment("data.msn"));
    EXPECT_FALSE(parseAssignment("=5"));
}
