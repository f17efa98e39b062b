// The program's serial channel and profile transfer against kx220-sim over a real pty.
#include "core/link/identification.h"
#include "core/link/profile_transfer.h"
#include "core/link/quick_dial.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"
#include "sim_process.h"
#include "test_env.h"
#include "testkit.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace omniset;

namespace {

std::string storePath(const char* name) {
    QDir().mkpath(test::scratchRoot() + "/sim");
    return (test::scratchRoot() + "/sim/" + name).toStdString();
}

bool answersIdentification() {
    SerialPurge();
    SerialWrite(kx220::kIdentify);
    PumpedWait(LineDelay(10));
    return SerialReadText(kx220::kIdentifyReplyLimit).find(kx220::kFamilyName) !=
           std::string::npos;
}

class LinkSim : public ::testing::Test {
  protected:
    void TearDown() override {
        SerialClose();
        test::makePortDangling(1);
    }
};

} // namespace

TEST_F(LinkSim, AnswersOnlyAtItsLineSettings) {
    test::SimProcess sim({"--com", "1", "--line", "19200,8,O,1", "--store",
                          storePath("line.store")});
    ASSERT_TRUE(SerialOpen(1));
    EXPECT_FALSE(answersIdentification()) << "115200 8N1 after the open";
    ASSERT_TRUE(SerialConfigure({19200, 8, platform::ParityMark, platform::OneStopBit}));
    EXPECT_FALSE(answersIdentification()) << "right speed, mark parity";
    ASSERT_TRUE(SerialConfigure({19200, 8, platform::ParityOdd, platform::TwoStopBits}));
    EXPECT_FALSE(answersIdentification()) << "right speed, two stop bits";
    ASSERT_TRUE(SerialConfigure({19200, 8, platform::ParityOdd, platform::OneStopBit}));
    EXPECT_TRUE(answersIdentification());
}

TEST_F(LinkSim, UnlockThenReadEveryProfile) {
    test::SimProcess sim({"--com", "1", "--no-pace", "--store", storePath("read.store")});
    ASSERT_TRUE(SerialOpen(1));
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, kLongProfileLength);
    EXPECT_FALSE(ReadProfile(profileReadCommand(5))) << "locked before the access code";
    UnlockProfiles();
    for (int profile = 0; profile <= 5; ++profile)
        EXPECT_TRUE(ReadProfile(profileReadCommand(profile))) << profile;
}

TEST_F(LinkSim, AnOldFirmwareGivesShortRecords) {
    test::SimProcess sim({"--com", "1", "--no-pace", "--firmware", "1.62", "--store",
                          storePath("old.store")});
    ASSERT_TRUE(SerialOpen(1));
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, kShortProfileLength);
    UnlockProfiles();
    EXPECT_TRUE(ReadProfile(profileReadCommand(5)));
}

TEST_F(LinkSim, AWrittenProfileSurvivesARestartAndFactoryResetRestoresTheCurrentOne) {
    const auto store = storePath("write.store");
    ProfileRecord written;
    {
        test::SimProcess sim({"--com", "1", "--store", store});
        ASSERT_TRUE(SerialOpen(1));
        DetermineProfileLength();
        UnlockProfiles();
        ASSERT_TRUE(ReadProfile(profileReadCommand(0)));
        ProfileImage().setText(field::Tel1Msn, 16, "5551234");
        ProfileImage().setByte(field::FareUnit, 18);
        ProfileImage().setByte(300, static_cast<std::uint8_t>(ProfileImage().byte(300) ^ 0x5A));
        EncodeProfile();
        written = ProfileImage();
        ASSERT_TRUE(WriteProfile(profileWriteCommand(0)));
        SerialClose();
    }
    test::SimProcess sim({"--com", "1", "--store", store});
    ASSERT_TRUE(SerialOpen(1));
    DetermineProfileLength();
    UnlockProfiles();
    ProfileImage() = ProfileRecord(ProfileLength);
    ASSERT_TRUE(ReadProfile(profileReadCommand(0)));
    EXPECT_EQ(ProfileImage(), written);

    // The current configuration becomes the factory record again.
    ASSERT_TRUE(ReadProfile(profileReadCommand(5)));
    ProfileRecord factory = ProfileImage();
    ProfileImage().setByte(field::FareUnit, 99);
    EncodeProfile();
    ASSERT_TRUE(WriteProfile(profileWriteCommand(5)));
    SerialPurge();
    SerialWrite(kx220::kFactoryReset);
    EXPECT_NE(SerialReadText(kx220::kIdentReplyLimit).find(kx220::kOk), std::string::npos);
    ASSERT_TRUE(ReadProfile(profileReadCommand(5)));
    EXPECT_EQ(ProfileImage(), factory);
}

// An adapter whose replies do not fill the program's reads: every exchange still takes
// what it relies on (each read then ends on its quiet time instead of its byte count).
TEST_F(LinkSim, ShortRepliesGiveTheSameResults) {
    test::SimProcess sim({"--com", "1", "--no-pace", "--short-replies", "--store",
                          storePath("short.store")});
    ASSERT_TRUE(SerialOpen(1));
    EXPECT_TRUE(answersIdentification());
    DetermineProfileLength();
    EXPECT_EQ(ProfileLength, kLongProfileLength);
    const AdapterIdentity who = identifyAdapter();
    EXPECT_TRUE(who.current);
    EXPECT_EQ(who.version, "Version 2.0");
    EXPECT_EQ(who.portType, "Euro-ISDN S0");
    EXPECT_TRUE(who.model.startsWith("Velmar KX220"));
    UnlockProfiles();
    EXPECT_TRUE(ReadProfile(profileReadCommand(5)));
    storeQuickDialNumbers({"5551", "", "26", ""});
    PumpedWait(300); // the stores' answers, which nobody reads, are in before the queries
    EXPECT_EQ(readQuickDialNumbers(), (QuickDialNumbers{"5551", "", "26", ""}));
}
