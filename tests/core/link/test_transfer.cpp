// Profile transfer against an in-process scripted adapter on a virtual clock.
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"
#include "testkit.h"

#include <gtest/gtest.h>

#include <random>

using namespace omniset;

namespace {

ProfileRecord randomRecord(int length, unsigned seed) {
    ProfileRecord r(length);
    std::mt19937 gen(seed);
    for (int i = 0; i < length; ++i) r.setByte(i, static_cast<std::uint8_t>(gen()));
    r.setChecksumByte(r.computeChecksum()); // as a record that came off the line
    return r;
}

class Transfer : public ::testing::Test {
  protected:
    void SetUp() override {
        adapter = &ports.on(1);
        adapter->respond = [this](std::string_view w, const LineSettings&) { return reply(w); };
        ASSERT_TRUE(SerialOpen(1));
        adapter->writes.clear();
        adapter->writeTimes.clear();
        AllocateProfile(kLongProfileLength);
    }
    void TearDown() override {
        SerialClose();
        setSynchronousModeQuery({});
    }

    // A well-behaved adapter: echo, then the answer; tests override pieces of it.
    std::string reply(std::string_view w) {
        std::string echo(w);
        if (w == kx220::kVersionQuery) return echo + versionReply;
        if (w.starts_with("AT&Y")) return readReply ? readReply(echo) : echo + goodHex() + "\r\nOK\r\n";
        if (w.starts_with("AT&X")) return echo;
        if (w.size() > 100 && hexReply) return hexReply();
        return echo;
    }
    std::string goodHex() const { return encodeProfileHex(stored); }

    test::VirtualClock clock;
    test::FakePorts ports;
    test::ScriptedBoxes boxes;
    test::FakeAdapter* adapter = nullptr;
    std::string versionReply = "\r\nVersion 2.0\r\n\r\nOK\r\n                          ";
    ProfileRecord stored = randomRecord(kLongProfileLength, 7);
    std::function<std::string(const std::string&)> readReply;
    std::function<std::string()> hexReply;
};

} // namespace

TEST_F(Transfer, VersionReplyFixesTheRecordLength) {
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, 326);
    EXPECT_EQ(ProfileImage().length(), 326);
    EXPECT_EQ(adapter->writes.back(), "ati3\r");

    versionReply = "\r\nVersion 1.62\r\n";
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, 314);

    adapter->respond = nullptr; // silent
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, 314);
}

TEST_F(Transfer, UnlockSendsTheAccessCodeAndWaits) {
    auto t0 = clock.tickCount();
    UnlockProfiles();
    EXPECT_EQ(adapter->writes, std::vector<std::string>{"AT&P\rkzrqe\r"});
    // 2 * (LineDelay(30) + 200) + 2 * (LineDelay(20) + 200) at 115200: 416 + 414 ms,
    // each wait ending one tick past its end.
    EXPECT_EQ(clock.tickCount() - t0, 416u + 1 + 414 + 1);
}

TEST_F(Transfer, ReadReplacesTheRecordWhenItsChecksumHolds) {
    auto t0 = clock.tickCount();
    ASSERT_TRUE(ReadProfile("AT&Y5\r"));
    EXPECT_EQ(ProfileImage(), stored);
    EXPECT_EQ(adapter->writes.back(), "AT&Y5\r");
    EXPECT_GT(adapter->purges, 0);
    // The wait 2 * (LineDelay(654) + 200) = 580 ms, then a read that fills at once.
    EXPECT_EQ(clock.tickCount() - t0, 581u);
}

// A failed read leaves the record as it was and says why: how far the hex text came.
TEST_F(Transfer, ABadReplyLeavesTheRecordUntouched) {
    ProfileImage() = randomRecord(kLongProfileLength, 99);
    const ProfileRecord before = ProfileImage();
    struct Case {
        const char* what;
        std::function<std::string(const std::string&)> reply;
        ReadFailure failure;
        int hexDigits;
    } cases[] = {
        {"wrong checksum",
         [this](const std::string& e) {
             auto h = goodHex();
             h[h.size() - 1] = h.back() == '0' ? '1' : '0';
             return e + h + "\r\nOK\r\n";
         },
         ReadFailure::BadChecksum, 654},
        {"short", [this](const std::string& e) { return e + goodHex().substr(0, 600); },
         ReadFailure::ShortReply, 600},
        {"noise in the hex",
         [this](const std::string& e) {
             auto h = goodHex();
             h[10] = 'G';
             return e + h + "\r\nOK\r\n";
         },
         ReadFailure::Garbled, 10},
        {"no echo", [this](const std::string&) { return goodHex() + "\r\nOK\r\n"; },
         ReadFailure::Garbled, 648},
        {"echo only", [](const std::string& e) { return e; }, ReadFailure::Silence, 0},
        {"silence", [](const std::string&) { return std::string(); }, ReadFailure::Silence, 0},
    };
    for (const auto& c : cases) {
        readReply = c.reply;
        EXPECT_FALSE(ReadProfile("AT&Y1\r")) << c.what;
        EXPECT_EQ(ProfileImage(), before) << c.what;
        EXPECT_EQ(LastReadOutcome().failure, c.failure) << c.what;
        EXPECT_EQ(LastReadOutcome().hexDigits, c.hexDigits) << c.what;
        EXPECT_EQ(LastReadOutcome().hexWanted, 654) << c.what;
    }
    readReply = nullptr;
    ASSERT_TRUE(ReadProfile("AT&Y1\r"));
    EXPECT_EQ(LastReadOutcome().failure, ReadFailure::None);
}

TEST_F(Transfer, AShortRecordTravelsWithItsOwnLength) {
    AllocateProfile(kShortProfileLength);
    stored = randomRecord(kShortProfileLength, 3);
    ASSERT_TRUE(ReadProfile("AT&Y0\r"));
    EXPECT_EQ(ProfileImage().length(), kShortProfileLength);
    EXPECT_EQ(ProfileImage(), stored);
}

TEST_F(Transfer, EncodeThenWriteSendsCommandThenHexText) {
    ProfileImage() = stored;
    EncodeProfile();
    EXPECT_EQ(ProfileHexText(), goodHex());
    EXPECT_EQ(ProfileImage().checksumByte(), stored.computeChecksum());
    hexReply = [] { return std::string("\r\nOK\r\n"); };
    ASSERT_TRUE(WriteProfile("AT&X5\r"));
    ASSERT_EQ(adapter->writes.size(), 2u);
    EXPECT_EQ(adapter->writes[0], "AT&X5\r");
    EXPECT_EQ(adapter->writes[1], goodHex());
    EXPECT_EQ(adapter->writeTimes[1] - adapter->writeTimes[0], 301u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Transfer, ErrorBeforeOkIsNotAnAcknowledgement) {
    ProfileImage() = stored;
    EncodeProfile();
    hexReply = [this] {
        adapter->send("\r\nOK\r\n", clock.tickCount() + 5000); // the OK comes later
        return std::string("\r\nERROR\r\n");
    };
    ASSERT_TRUE(WriteProfile("AT&X0\r"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Transfer, AWriteNeverAnsweredFailsAfterSixtySeconds) {
    ProfileImage() = stored;
    EncodeProfile();
    LanguageMode = 1;
    auto t0 = clock.tickCount();
    EXPECT_FALSE(WriteProfile("AT&X5\r"));
    auto took = clock.tickCount() - t0;
    EXPECT_GE(took, 60000u);
    EXPECT_LT(took, 60000u + 3000);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("Writing Profile Error！"));
    EXPECT_EQ(boxes.shown[0].caption, "Omniset");
    LanguageMode = 0;
    EXPECT_FALSE(WriteProfile("AT&X5\r"));
    EXPECT_EQ(boxes.shown.back().text, QString::fromUtf8("配置文件写入有误！"));
    LanguageMode = 1;
}

TEST_F(Transfer, SynchronousModeNoticeComesFirstAndTheWriteGoesOn) {
    ProfileImage() = stored;
    EncodeProfile();
    setSynchronousModeQuery([] { return true; });
    hexReply = [] { return std::string("OK"); };
    boxes.onShow = [this](const platform::BoxRequest&) {
        EXPECT_TRUE(adapter->writes.empty()) << "the notice comes before anything is sent";
    };
    ASSERT_TRUE(WriteProfile("AT&X1\r"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("NOTICE:\n\nYou have set Serial Mode"));
    EXPECT_TRUE(boxes.shown[0].text.contains("current profile;  you must set DIP1"));
    EXPECT_EQ(adapter->writes.size(), 2u);
}

TEST(ProfileNames, CommandsAndNamesByProfileNumber) {
    EXPECT_EQ(profileReadCommand(0), "AT&Y0\r");
    EXPECT_EQ(profileWriteCommand(5), "AT&X5\r");
    LanguageMode = 1;
    EXPECT_EQ(profileName(5), "Current Profile");
    EXPECT_EQ(profileName(3), "Profile 3");
    LanguageMode = 0;
    EXPECT_EQ(profileName(5), QString::fromUtf8("当前配置"));
    EXPECT_EQ(profileName(1), QString::fromUtf8("配置 1"));
    LanguageMode = 1;
}
