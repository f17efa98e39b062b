// The adapter engine in-process: replies, lock, record transfer, store, clock, bad input,
// the boot loader dialogue and the fault switches.
#include "adapter_engine.h"
#include "core/record/adapter_commands.h"
#include "factory_record.h"
#include "replies.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace kx220sim;
namespace k = kx220;
using simtest::fromHex;
using simtest::hexText;

namespace {

constexpr std::time_t kFixedWallClock = 983793600; // 2001-03-05 12:00:00 UTC

class EngineTest : public testing::Test {
  protected:
    EngineSettings settings(const std::string& firmware = "2.0") {
        EngineSettings s;
        s.firmware = firmware;
        s.storePath = dir_ + "/profiles.store";
        s.imagePath = dir_ + "/image.dl";
        s.wallClock = [] { return kFixedWallClock; };
        return s;
    }
    // Sends bytes at the current time and lets time run by `after` milliseconds.
    std::string ask(AdapterEngine& e, std::string_view bytes, Millis after = 10) {
        std::string out = e.receive(bytes, now_);
        now_ += after;
        return out + e.tick(now_);
    }
    std::string runFor(AdapterEngine& e, Millis span) {
        std::string out;
        for (Millis end = now_ + span; now_ < end; now_ += 50) out += e.tick(now_);
        return out;
    }
    void unlock(AdapterEngine& e) { ask(e, k::kUnlock); }
    // The record in a profile-read reply, checked for shape and checksum.
    std::vector<std::uint8_t> readRecord(AdapterEngine& e, int profile) {
        std::string cmd = k::readCommand(profile);
        std::string reply = ask(e, cmd);
        std::size_t L = std::size_t(e.profileLength());
        EXPECT_EQ(reply.size(), 2 * L + 14);
        EXPECT_EQ(reply.substr(0, 6), cmd);
        std::string hex = reply.substr(6, 2 * (L + 1));
        EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        auto bytes = fromHex(hex);
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < L; ++i) sum ^= bytes[i];
        EXPECT_EQ(sum, bytes[L]) << "checksum";
        bytes.resize(L);
        return bytes;
    }
    std::string write(AdapterEngine& e, int profile, const std::string& text) {
        std::string out = ask(e, k::writeCommand(profile), 300);
        out += e.receive(text, now_);
        return out + runFor(e, 300);
    }

    std::string dir_ = simtest::scratchDir("engine");
    Millis now_ = 1000;
};

} // namespace

TEST_F(EngineTest, IdentificationRepliesFillTheProgramsReads) {
    AdapterEngine e(settings());
    std::string id = ask(e, k::kIdentify);
    EXPECT_EQ(id.size(), std::size_t(k::kIdentifyReplyLimit));
    EXPECT_EQ(id.substr(0, k::kIdentify.size()), k::kIdentify);
    EXPECT_NE(id.find(k::kFamilyName), std::string::npos);

    std::string type = ask(e, k::kPortTypeQuery);
    ASSERT_EQ(type.size(), std::size_t(k::kIdentReplyLimit));
    EXPECT_EQ(type.substr(k::kPortTypeOffset, k::kPortTypeWidth), kPortType);

    std::string model = ask(e, k::kModelQuery);
    EXPECT_EQ(model.size(), std::size_t(k::kIdentReplyLimit));
    auto at = model.find(k::kModelWord);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(model.substr(at, model.find('\r', at) - at), kModelText);
}

// With --short-replies every reply is the echo, what the program looks for and the final
// result: shorter than the program's read, without the blanks that fill it.
TEST_F(EngineTest, ShortRepliesCarryOnlyWhatTheProgramReliesOn) {
    EngineSettings s = settings();
    s.shortReplies = true;
    AdapterEngine e(s);
    ask(e, k::quickDialStore(2, "5551"));
    struct Case {
        std::string sent;
        std::string_view relied; // text the program looks for in the reply
        int limit;               // the program's read limit
        std::string_view end;    // how the reply ends
    };
    const Case cases[] = {
        {std::string(k::kIdentify), k::kFamilyName, k::kIdentifyReplyLimit, "OK\r\n"},
        {std::string(k::kVersionQuery), "Version 2.0\r", k::kIdentReplyLimit, "OK\r\n"},
        {std::string(k::kPortTypeQuery), kPortType, k::kIdentReplyLimit, "OK\r\n"},
        {std::string(k::kModelQuery), kModelText, k::kIdentReplyLimit, "OK\r\n"},
        {k::quickDialQuery(2), "5551", k::kQuickDialReplyLimit, "OK\r\n"},
        {std::string(k::kFactoryReset), k::kOk, k::kIdentReplyLimit, "OK\r\n"},
        {std::string(k::kDateQuery), k::kDatePrompt, k::kClockReplyLimit, " "},
        {k::dateText(3, 5, 2001), k::kOk, k::kClockReplyLimit, "OK\r\n"},
        {std::string(k::kTimeQuery), k::kTimePrompt, k::kClockReplyLimit, " "},
        {k::timeText(9, 7, 3), k::kOk, k::kClockReplyLimit, "OK\r\n"},
    };
    for (const Case& c : cases) {
        const std::string reply = ask(e, c.sent);
        EXPECT_LT(reply.size(), std::size_t(c.limit)) << c.sent;
        EXPECT_EQ(reply.find("  "), std::string::npos) << reply;
        EXPECT_NE(reply.find(c.relied), std::string::npos) << reply;
        EXPECT_TRUE(reply.ends_with(c.end)) << reply;
    }
    // The port type still stands where the program takes it from.
    const std::string type = ask(e, k::kPortTypeQuery);
    EXPECT_EQ(type.substr(k::kPortTypeOffset, k::kPortTypeWidth), kPortType);
}

class VersionReplyTest : public EngineTest, public testing::WithParamInterface<const char*> {};

// The program judges the firmware current when "2.0" appears anywhere, takes the record
// length from "1.6"/"2.0", and shows the text from "Version" to the next CR.
TEST_P(VersionReplyTest, CarriesOnlyItsOwnVersion) {
    std::string version = GetParam();
    AdapterEngine e(settings(version));
    std::string reply = ask(e, k::kVersionQuery);
    EXPECT_EQ(reply.size(), std::size_t(k::kIdentReplyLimit));
    auto at = reply.find(k::kVersionWord);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(reply.substr(at, reply.find('\r', at) - at), "Version " + version);
    bool current = version == "2.0";
    EXPECT_EQ(reply.find(k::kCurrentVersion) != std::string::npos, current);
    EXPECT_EQ(e.profileLength(), current ? 326 : 314);
}

INSTANTIATE_TEST_SUITE_P(Firmware, VersionReplyTest,
                         testing::Values("1.2", "1.3", "1.5", "1.6", "1.62", "2.0"));

TEST_F(EngineTest, ProfileCommandsAnswerErrorUntilTheRightCode) {
    AdapterEngine e(settings());
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(ask(e, k::readCommand(n)), k::readCommand(n) + "\r\nERROR\r\n");
    ask(e, "AT&P\rkzrqf\r");
    EXPECT_FALSE(e.unlocked());
    EXPECT_NE(ask(e, k::readCommand(5)).find("ERROR"), std::string::npos);
    // A write while locked swallows its hex text and changes nothing.
    auto changed = factoryRecord(326);
    changed[0] ^= 0xFF;
    EXPECT_NE(write(e, 1, hexText(changed)).find("ERROR"), std::string::npos);
    unlock(e);
    EXPECT_TRUE(e.unlocked());
    EXPECT_EQ(readRecord(e, 1), factoryRecord(326));
    e.hostClosed();
    EXPECT_FALSE(e.unlocked());
}

TEST_F(EngineTest, RecordWriteAndReadBackBothLengths) {
    for (const char* firmware : {"1.62", "2.0"}) {
        AdapterEngine e(settings(firmware));
        unlock(e);
        auto record = readRecord(e, 3);
        ASSERT_EQ(record.size(), std::size_t(e.profileLength()));
        for (std::size_t i = 0; i < record.size(); i += 7) record[i] = std::uint8_t(i * 13);
        std::string text = hexText(record);
        std::string reply = write(e, 3, text); // no line end: the length ends the text
        EXPECT_EQ(reply, k::writeCommand(3) + text + "\r\nOK\r\n");
        EXPECT_EQ(reply.size(), std::size_t(2 * e.profileLength() + 14));
        EXPECT_EQ(readRecord(e, 3), record) << firmware;
        EXPECT_EQ(readRecord(e, 2), factoryRecord(e.profileLength()));
    }
}

TEST_F(EngineTest, HexTextEndsAtOnceOnACarriageReturn) {
    AdapterEngine e(settings());
    unlock(e);
    ask(e, k::writeCommand(0), 300);
    std::string out = e.receive(hexText(factoryRecord(326)) + "\r", now_);
    EXPECT_NE(out.find("\r\nOK\r\n"), std::string::npos);
    EXPECT_EQ(ask(e, "at\r"), "at\r\r\nOK\r\n");
}

TEST_F(EngineTest, BadHexTextsAreRefusedAndKeepTheRecord) {
    AdapterEngine e(settings());
    unlock(e);
    auto record = factoryRecord(326);
    record[10] ^= 0x55;
    std::string good = hexText(record);
    std::string badSum = good;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    std::string lower = good;
    for (auto& c : lower) c = char(std::tolower(c));
    std::string notHex = good;
    notHex[100] = 'G';
    for (const auto& text : {badSum, lower, notHex, good.substr(2) + "\r", good + "00\r",
                             good + "0"}) {
        std::string reply = write(e, 4, text);
        EXPECT_NE(reply.find("ERROR"), std::string::npos) << text.size();
        EXPECT_EQ(reply.find("OK"), std::string::npos);
        EXPECT_EQ(readRecord(e, 4), factoryRecord(326));
    }
    // Broken off without a line end: refused after the idle time-out, then commands work.
    ask(e, k::writeCommand(4), 300);
    e.receive(good.substr(0, 100), now_);
    EXPECT_NE(runFor(e, AdapterEngine::kHexIdleTimeout + 200).find("ERROR"), std::string::npos);
    EXPECT_EQ(ask(e, "at\r"), "at\r\r\nOK\r\n");
}

TEST_F(EngineTest, StoreSurvivesANewEngine) {
    auto record = factoryRecord(326);
    record[200] = 'X';
    {
        AdapterEngine e(settings());
        unlock(e);
        write(e, 0, hexText(record));
        ask(e, k::quickDialStore(2, "5551234"));
    }
    AdapterEngine again(settings());
    ASSERT_TRUE(again.storeLoaded());
    unlock(again);
    EXPECT_EQ(readRecord(again, 0), record);
    EXPECT_EQ(again.store().quickDial(2), "5551234");
    // Atomic writes leave no temporary files beside the store.
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(EngineTest, UnreadableStoreIsReportedNotOverwritten) {
    std::ofstream(dir_ + "/profiles.store") << "kx220-sim store 1\nlength 326\nprofile 0 ZZ\n";
    AdapterEngine e(settings());
    EXPECT_FALSE(e.storeLoaded());
    EXPECT_FALSE(e.storeError().empty());
}

TEST_F(EngineTest, FactoryResetRestoresOnlyTheCurrentConfiguration) {
    AdapterEngine e(settings());
    unlock(e);
    auto changed = factoryRecord(326);
    changed[4] = 0;
    write(e, 5, hexText(changed));
    write(e, 1, hexText(changed));
    std::string reply = ask(e, k::kFactoryReset);
    EXPECT_EQ(reply.size(), std::size_t(k::kIdentReplyLimit));
    EXPECT_NE(reply.find(k::kOk), std::string::npos);
    EXPECT_EQ(readRecord(e, 5), factoryRecord(326));
    EXPECT_EQ(readRecord(e, 1), changed);
}

TEST_F(EngineTest, ClockAcceptsOnlyRealDatesAndTimes) {
    AdapterEngine e(settings());
    struct Case {
        const char* text;
        bool ok;
    };
    for (auto [text, ok] : {Case{"2-29-2024", true}, Case{"2-29-2023", false},
                            Case{"2-29-2000", true}, Case{"2-29-1900", false},
                            Case{"12-31-2001", true}, Case{"13-1-2001", false},
                            Case{"4-31-2001", false}, Case{"0-5-2001", false},
                            Case{"3-5-01", false}, Case{"3/5/2001", false}, Case{"", false}}) {
        std::string prompt = ask(e, k::kDateQuery);
        ASSERT_NE(prompt.find(k::kDatePrompt), std::string::npos);
        EXPECT_EQ(prompt.size(), std::size_t(k::kClockReplyLimit));
        std::string answer = ask(e, std::string(text) + "\r");
        EXPECT_EQ(answer.find(k::kDateRejected) == std::string::npos, ok) << text;
        EXPECT_EQ(answer.size(), std::size_t(k::kClockReplyLimit)) << text;
    }
    for (auto [text, ok] : {Case{"9:7:3", true}, Case{"23:59:59", true}, Case{"0:0:0", true},
                            Case{"24:0:0", false}, Case{"12:60:0", false}, Case{"12:0:60", false},
                            Case{"12:30", false}, Case{"a:b:c", false}}) {
        ASSERT_NE(ask(e, k::kTimeQuery).find(k::kTimePrompt), std::string::npos);
        std::string answer = ask(e, std::string(text) + "\r");
        EXPECT_EQ(answer.find(k::kTimeRejected) == std::string::npos, ok) << text;
    }
    // The accepted values stick: the prompts show the adapter's clock as set.
    ask(e, k::kDateQuery);
    ask(e, k::dateText(3, 5, 2001));
    ask(e, k::kTimeQuery);
    ask(e, k::timeText(9, 7, 3));
    EXPECT_NE(ask(e, k::kDateQuery).find("03-05-2001"), std::string::npos);
    ask(e, "\r");
    EXPECT_NE(ask(e, k::kTimeQuery).find("09:07:03"), std::string::npos);
}

TEST_F(EngineTest, QuickDialStoreAndQueryAsTheProgramParsesThem) {
    AdapterEngine e(settings());
    auto parse = [](const std::string& reply) {
        std::string digits;
        for (char c : reply.substr(7))
            if (c >= '0' && c <= '9') digits += c;
        return digits;
    };
    std::string longest(26, '7');
    for (const std::string& number : {std::string("5551"), longest, std::string()}) {
        EXPECT_NE(ask(e, k::quickDialStore(1, number)).find(k::kOk), std::string::npos);
        std::string reply = ask(e, k::quickDialQuery(1));
        EXPECT_EQ(reply.size(), std::size_t(k::kQuickDialReplyLimit));
        EXPECT_EQ(reply.substr(0, 7), k::quickDialQuery(1));
        EXPECT_EQ(parse(reply), number);
    }
    ask(e, k::quickDialStore(0, "123"));
    EXPECT_NE(ask(e, k::quickDialStore(0, longest + "1")).find("ERROR"), std::string::npos);
    EXPECT_NE(ask(e, k::quickDialStore(0, "12a")).find("ERROR"), std::string::npos);
    EXPECT_EQ(e.store().quickDial(0), "123");
}

TEST_F(EngineTest, GarbageAndOverlongLinesGetErrorAndLeaveItWorking) {
    AdapterEngine e(settings());
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += char(random() & 0xFF);
    ask(e, garbage);
    EXPECT_NE(ask(e, "\r").find("ERROR"), std::string::npos);
    std::string reply = ask(e, std::string(500, 'A') + "\r");
    EXPECT_NE(reply.find("ERROR"), std::string::npos);
    EXPECT_NE(ask(e, "ATX9\r").find("ERROR"), std::string::npos);
    EXPECT_EQ(ask(e, "at\r"), "at\r\r\nOK\r\n");
    // Bytes under wrong line settings lose the line so far.
    e.receive("ati", now_);
    e.lineNoise();
    EXPECT_EQ(ask(e, "at\r"), "at\r\r\nOK\r\n");
}

TEST_F(EngineTest, BootLoaderDialogue) {
    AdapterEngine e(settings());
    EXPECT_NE(ask(e, k::kDownloadStart).find(k::kDownloadPrompt), std::string::npos);
    EXPECT_NE(ask(e, "n").find("cancelled"), std::string::npos);
    EXPECT_EQ(ask(e, "at\r"), "at\r\r\nOK\r\n");
    ask(e, k::kDownloadStart);
    EXPECT_NE(ask(e, k::kDownloadYes).find(k::kSpeedPrompt), std::string::npos);
    EXPECT_NE(ask(e, k::kDownloadYes).find(k::kWaitingPrompt), std::string::npos);
    std::string start = runFor(e, XModemReceiver::kFirstStartDelay + 100);
    EXPECT_EQ(start, "C");
}

TEST_F(EngineTest, DownloadWritesTheImageAndUpgradesTo20) {
    AdapterEngine e(settings("1.62"));
    unlock(e);
    auto changed = factoryRecord(314);
    changed[7] = 0x42;
    write(e, 0, hexText(changed));
    ask(e, k::kDownloadStart);
    ask(e, "y");
    ask(e, "y");
    std::vector<std::uint8_t> image;
    for (int block = 1; block <= 3; ++block) {
        std::vector<std::uint8_t> data(1024, std::uint8_t(block * 31));
        image.insert(image.end(), data.begin(), data.end());
        EXPECT_EQ(ask(e, simtest::xmodemFrame(std::uint8_t(block), data)), "\x06");
    }
    EXPECT_EQ(ask(e, "\x04"), "\x06");
    EXPECT_EQ(ask(e, "\x04"), "\x06"); // a repeated EOT is acknowledged again
    std::ifstream file(dir_ + "/image.dl", std::ios::binary);
    std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(written, image);
    EXPECT_NE(ask(e, k::kVersionQuery).find("Version 2.0\r"), std::string::npos);
    ASSERT_EQ(e.profileLength(), 326);
    unlock(e);
    auto upgraded = readRecord(e, 0);
    EXPECT_TRUE(std::equal(changed.begin(), changed.end(), upgraded.begin()));
    EXPECT_EQ(upgraded[322], factoryRecord(326)[322]);
}

TEST_F(EngineTest, ReadFaults) {
    auto s = settings();
    s.faults.badReadChecksum = true;
    AdapterEngine bad(s);
    unlock(bad);
    std::string reply = ask(bad, k::readCommand(5));
    auto bytes = fromHex(reply.substr(6, 654));
    std::uint8_t sum = 0;
    for (int i = 0; i < 326; ++i) sum ^= bytes[i];
    EXPECT_NE(sum, bytes[326]);

    s = settings();
    s.faults.shortReadReply = true;
    AdapterEngine shortReply(s);
    unlock(shortReply);
    EXPECT_LT(ask(shortReply, k::readCommand(5)).size(), std::size_t(6 + 654));

    s = settings();
    s.faults.silentRead = true;
    AdapterEngine unanswered(s);
    unlock(unanswered);
    EXPECT_EQ(ask(unanswered, k::readCommand(5)), k::readCommand(5)) << "the echo, nothing more";
    EXPECT_NE(ask(unanswered, k::kVersionQuery).find("Version"), std::string::npos);

    s = settings();
    s.faults.silentAfterDetection = true;
    AdapterEngine silent(s);
    EXPECT_NE(ask(silent, k::kIdentify).find(k::kFamilyName), std::string::npos);
    EXPECT_EQ(ask(silent, k::kIdentify), "");
    EXPECT_EQ(ask(silent, k::kVersionQuery), "");
}

TEST_F(EngineTest, WriteFaults) {
    auto record = factoryRecord(326);
    record[1] ^= 1;
    auto s = settings();
    s.faults.errorBeforeOk = true;
    AdapterEngine late(s);
    unlock(late);
    std::string first = write(late, 2, hexText(record));
    EXPECT_NE(first.find("ERROR"), std::string::npos);
    EXPECT_EQ(first.find("OK"), std::string::npos);
    EXPECT_EQ(runFor(late, AdapterEngine::kLateOkDelay), "\r\nOK\r\n");

    s = settings();
    s.faults.noWriteAck = true;
    AdapterEngine mute(s);
    unlock(mute);
    std::string text = hexText(record);
    EXPECT_EQ(write(mute, 2, text), k::writeCommand(2) + text);
    EXPECT_EQ(readRecord(mute, 2), record); // stored all the same
}
