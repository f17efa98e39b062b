// The 1K-XModem sender against a scripted receiver on a fake port and the virtual clock:
// frame sequences, block numbering, resends, CAN, the resend limit, start signals and the
// end of the transfer. Replies come back at once, as from a receiver that ACKs without
// delay, so an answer thrown away by a purge shows as a stalled transfer.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/download/xmodem_sender.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"
#include "crc16.h"
#include "test_env.h"
#include "testkit.h"
#include "transfer_data.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace omniset;
using omniset::test::randomBytes;
namespace k = kx220;

namespace {

const std::string kAck(1, char(k::kACK));
const std::string kNak(1, char(k::kNAK));
const std::string kCan(1, char(k::kCAN));
const std::string kC(1, char(k::kCRCStart));
const std::string kEot(1, char(k::kEOT));

constexpr int kBlock = 1024;
constexpr int kFrame = 1029;

std::string frameOf(int block, const std::string& area) {
    const auto number = static_cast<unsigned char>(block & 0xFF);
    const auto crc = kx220sim::crc16Xmodem(
        std::span(reinterpret_cast<const std::uint8_t*>(area.data()), area.size()));
    std::string f;
    f += char(k::kSTX);
    f += char(number);
    f += char(0xFF - number);
    f += area;
    f += char(crc >> 8);
    f += char(crc & 0xFF);
    return f;
}

// What the receiver should see for a file: a data area that starts as '0' characters and
// is overwritten block by block, one frame per read of the file including the read that
// finds its end.
std::vector<std::string> expectedFrames(const std::string& data) {
    std::vector<std::string> frames;
    std::string area(kBlock, '0');
    std::size_t pos = 0;
    for (int block = 1;; ++block) {
        const std::size_t n = std::min<std::size_t>(kBlock, data.size() - pos);
        area.replace(0, n, data, pos, n);
        pos += n;
        frames.push_back(frameOf(block, area));
        if (n == 0) return frames;
    }
}

// The progress window as the loop sees it; it also stops a loop that would run forever.
struct RecordingView : TransferView {
    int cycles = 0;
    int steps = 0;
    int cycleLimit = 2000;
    bool stoppedByLimit = false;
    std::vector<std::pair<int, int>> counts;
    std::function<void(int cycle)> onCycle;
    void showCounts(int packet, int resends) override {
        counts.emplace_back(packet, resends);
        if (onCycle) onCycle(cycles);
        if (++cycles > cycleLimit) {
            stoppedByLimit = true;
            DownloadActive = 0;
        }
    }
    std::vector<qint64> acknowledgedBytes;
    void acknowledged(qint64 bytes) override { acknowledgedBytes.push_back(bytes); }
    std::function<void()> onStep;
    void step() override {
        ++steps;
        if (onStep) onStep();
    }
};

class SenderTest : public ::testing::Test {
  protected:
    test::VirtualClock clock;
    test::FakePorts ports;
    test::ScriptedBoxes boxes;
    test::FakeAdapter& port = ports.on(1);
    RecordingView view;
    CXModemSender sender{nullptr};
    bool completed = false;

    // The receiver's script: the reply to the n-th frame written (0-based) and to the
    // n-th EOT. Both default to ACK.
    std::function<std::string(int n)> onFrame = [](int) { return kAck; };
    std::function<std::string(int n)> onEot = [](int) { return kAck; };
    std::vector<std::string> frames;
    std::vector<std::uint64_t> frameTimes;
    std::vector<std::string> sequence; // "F" for a frame, "E" for an EOT, "?" otherwise
    int eots = 0;

    void SetUp() override {
        LanguageMode = 1;
        ASSERT_TRUE(SerialOpen(1));
        port.writes.clear();
        port.writeTimes.clear();
        port.respond = [this](std::string_view w, const platform::LineSettings&) -> std::string {
            if (w.size() == std::size_t(kFrame)) {
                frames.emplace_back(w);
                frameTimes.push_back(clock.tickCount());
                sequence.push_back("F");
                return onFrame(int(frames.size()) - 1);
            }
            if (w == kEot) {
                sequence.push_back("E");
                return onEot(eots++);
            }
            sequence.push_back("?");
            return {};
        };
        sender.setView(&view);
        sender.setCompletion([this] { completed = true; });
        DownloadActive = 1;
    }
    void TearDown() override {
        SerialClose();
        DownloadActive = 0;
        LanguageMode = 1;
    }

    void useFile(const std::string& data) {
        static int n = 0;
        const QString path = test::scratchRoot() + QStringLiteral("/fw-%1.dl").arg(++n);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), qint64(data.size()));
        f.close();
        ASSERT_TRUE(sender.openFile(path));
    }
    // The start signal arrives a little after the loop begins.
    bool run(const std::string& start = kC, std::uint64_t after = 300) {
        port.send(start, clock.tickCount() + after);
        return sender.Run();
    }
    std::string frameData(int n) const { return frames.at(std::size_t(n)).substr(3, kBlock); }
};

} // namespace

TEST(XModemCrc, CheckValueAndAgreementWithAnIndependentImplementation) {
    const std::string check = "123456789";
    EXPECT_EQ(xmodemCrc(reinterpret_cast<const unsigned char*>(check.data()), check.size()), 0x31C3);
    EXPECT_EQ(xmodemCrc(nullptr, 0), 0);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string data = randomBytes(kBlock, seed);
        const auto* p = reinterpret_cast<const unsigned char*>(data.data());
        EXPECT_EQ(xmodemCrc(p, data.size()),
                  kx220sim::crc16Xmodem(std::span(reinterpret_cast<const std::uint8_t*>(p), data.size())))
            << seed;
    }
}

// ceil(N / 1024) + 1 frames, the last repeating the data area of the one before under the
// next number, block numbers 1..255, 0, 1, ..., then two EOTs.
class FrameSequence : public SenderTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(FrameSequence, FramesThenTwoEots) {
    const std::size_t size = GetParam();
    const std::string data = randomBytes(size, unsigned(size));
    useFile(data);

    EXPECT_TRUE(run());

    const auto expected = expectedFrames(data);
    const std::size_t dataBlocks = (size + kBlock - 1) / kBlock;
    ASSERT_EQ(frames.size(), dataBlocks + 1);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i], expected[i]) << "frame " << i + 1;
        EXPECT_EQ(std::uint8_t(frames[i][1]), std::uint8_t((i + 1) & 0xFF));
        EXPECT_EQ(std::uint8_t(frames[i][1]) + std::uint8_t(frames[i][2]), 255);
    }
    EXPECT_EQ(frameData(int(frames.size()) - 1), frameData(int(frames.size()) - 2 + (size == 0)));
    std::vector<std::string> tail(sequence.end() - 2, sequence.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"E", "E"}));
    EXPECT_EQ(eots, 2);
    EXPECT_EQ(sequence.size(), frames.size() + 2) << "nothing but frames and EOTs";
    EXPECT_TRUE(completed);
    EXPECT_EQ(view.steps, int(dataBlocks));
    // The file bytes acknowledged so far, reported with every step.
    ASSERT_EQ(view.acknowledgedBytes.size(), dataBlocks);
    for (std::size_t i = 0; i < dataBlocks; ++i)
        EXPECT_EQ(view.acknowledgedBytes[i], qint64(std::min((i + 1) * kBlock, size))) << i;
    EXPECT_EQ(sender.bytesAcknowledged(), qint64(size));
    EXPECT_EQ(sender.packet(), int(dataBlocks) + 1);
    EXPECT_EQ(sender.resendCount(), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(view.stoppedByLimit);
    // The first EOT follows the final frame's ACK one read later (the read times out).
    const auto lastFrame = frameTimes.back();
    EXPECT_GE(port.writeTimes[port.writes.size() - 2] - lastFrame, 1000u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameSequence,
                         ::testing::Values(std::size_t(0), std::size_t(1), std::size_t(1024),
                                           std::size_t(1500), std::size_t(2048),
                                           std::size_t(300 * 1024 + 7)));

TEST_F(SenderTest, A1500ByteFileKeepsTheTailOfTheFirstBlockInTheSecond) {
    const std::string data = randomBytes(1500, 7);
    useFile(data);
    EXPECT_TRUE(run());
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frameData(0), data.substr(0, 1024));
    EXPECT_EQ(frameData(1), data.substr(1024) + data.substr(476, 548));
    EXPECT_EQ(frameData(2), frameData(1));
    EXPECT_EQ(int(frames[2][1]), 3);
}

TEST_F(SenderTest, AnEmptyFileGoesOutAsOneFrameOfZeroCharacters) {
    useFile("");
    EXPECT_TRUE(run());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frameData(0), std::string(kBlock, '0'));
    EXPECT_EQ(int(frames[0][1]), 1);
    EXPECT_EQ(eots, 2);
}

TEST_F(SenderTest, BlockNumbersWrapFrom255To0) {
    useFile(randomBytes(260 * kBlock, 3));
    EXPECT_TRUE(run());
    ASSERT_EQ(frames.size(), 261u);
    EXPECT_EQ(std::uint8_t(frames[254][1]), 255);
    EXPECT_EQ(std::uint8_t(frames[254][2]), 0);
    EXPECT_EQ(std::uint8_t(frames[255][1]), 0);
    EXPECT_EQ(std::uint8_t(frames[255][2]), 255);
    EXPECT_EQ(std::uint8_t(frames[256][1]), 1);
}

// Each row: the reply to each transmission of block 5 in turn (then ACK), and what the
// sender must have done.
struct ResendCase {
    const char* name;
    std::vector<std::string> repliesToBlock5; // "" is silence
    int transmissionsOfBlock5;
    int resends;
};

class Resend : public SenderTest, public ::testing::WithParamInterface<ResendCase> {};

TEST_P(Resend, TheIdenticalFrameGoesAgain) {
    const auto& c = GetParam();
    const std::string data = randomBytes(8 * kBlock, 5);
    useFile(data);
    int block5 = 0;
    onFrame = [&](int n) {
        if (frames[std::size_t(n)] != expectedFrames(data)[4]) return kAck;
        const std::size_t i = std::size_t(block5++);
        return i < c.repliesToBlock5.size() ? c.repliesToBlock5[i] : kAck;
    };

    EXPECT_TRUE(run());

    EXPECT_EQ(block5, c.transmissionsOfBlock5);
    EXPECT_EQ(sender.resendCount(), c.resends);
    // The copies are consecutive and byte for byte the same; then block 6 follows.
    for (int i = 0; i < c.transmissionsOfBlock5; ++i) EXPECT_EQ(frames[std::size_t(4 + i)], frames[4]);
    EXPECT_EQ(frames[std::size_t(4 + c.transmissionsOfBlock5)], expectedFrames(data)[5]);
    EXPECT_EQ(frames.size(), 9u + std::size_t(c.transmissionsOfBlock5 - 1));
    // A resend after silence waits out the read: about a second after the copy before.
    for (std::size_t i = 0; i < c.repliesToBlock5.size(); ++i) {
        if (c.repliesToBlock5[i].empty()) {
            EXPECT_GE(frameTimes[4 + i + 1] - frameTimes[4 + i], 1000u) << "copy " << i + 1;
        }
    }
    EXPECT_TRUE(completed);
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Resend,
    ::testing::Values(ResendCase{"Nak", {kNak}, 2, 1},
                      ResendCase{"CAfterTheFirstBlock", {kC}, 2, 1},
                      ResendCase{"NakThenSilence", {kNak, ""}, 3, 2},
                      ResendCase{"NakThenCan", {kNak, kCan}, 3, 2},
                      ResendCase{"NakThenGarbage", {kNak, "x"}, 3, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SenderTest, BeforeAnyNakSilenceOnlyRepeatsTheWait) {
    useFile(randomBytes(4 * kBlock, 6));
    onFrame = [&](int n) {
        if (n != 1) return kAck;
        port.send(kAck, clock.tickCount() + 3500); // late, after three reads ran out
        return std::string();
    };
    EXPECT_TRUE(run());
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_GE(frameTimes[2] - frameTimes[1], 3500u);
    EXPECT_EQ(sender.resendCount(), 0);
    EXPECT_NE(frames[2], frames[1]);
}

TEST_F(SenderTest, CanWhileNoResendIsPendingEndsTheTransfer) {
    useFile(randomBytes(4 * kBlock, 8));
    onFrame = [](int n) { return n == 2 ? kCan : kAck; };
    EXPECT_FALSE(run());
    EXPECT_EQ(frames.size(), 3u);
    EXPECT_EQ(eots, 0);
    EXPECT_FALSE(completed);
    EXPECT_EQ(boxes.texts(), QStringList{"Transfer file fail, please retry!"});
    EXPECT_EQ(DownloadActive, 1) << "nothing but the loop ends";
}

// The resend limit counts over the whole transfer: ten are tolerated, the eleventh shows
// the box, still goes out, and ends the transfer.
struct LimitCase {
    const char* name;
    int nakedBlocks; // the first transmission of blocks 1..n is NAKed once
    int nakedCopiesOfBlock2; // every copy of block 2 up to this many is NAKed
    bool succeeds;
    int framesSent;
};

class ResendLimit : public SenderTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ResendLimit, TheEleventhResendEndsTheTransfer) {
    const auto& c = GetParam();
    const std::string data = randomBytes(12 * kBlock + 5, 9);
    const auto expected = expectedFrames(data);
    useFile(data);
    std::vector<int> seen(expected.size(), 0);
    onFrame = [&](int n) {
        std::size_t block = 0;
        while (block + 1 < expected.size() && frames[std::size_t(n)] != expected[block]) ++block;
        const int copy = seen[block]++;
        if (int(block) < c.nakedBlocks && copy == 0) return kNak;
        if (block == 1 && copy < c.nakedCopiesOfBlock2) return kNak;
        return kAck;
    };

    EXPECT_EQ(run(), c.succeeds);

    EXPECT_EQ(int(frames.size()), c.framesSent);
    EXPECT_EQ(completed, c.succeeds);
    if (c.succeeds) {
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(sender.resendCount(), 10);
    } else {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Transfer file fail, please retry!"));
        EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Omniset"));
        EXPECT_TRUE(boxes.shown[0].owner == nullptr);
        EXPECT_TRUE(boxes.shown[0].buttons == platform::BoxButtons::Ok);
        EXPECT_TRUE(boxes.shown[0].icon == platform::BoxIcon::None);
        EXPECT_EQ(sender.resendCount(), 11);
        EXPECT_EQ(DownloadActive, 0);
        EXPECT_EQ(eots, 0);
        EXPECT_EQ(frames.back(), frames[frames.size() - 2]) << "the eleventh copy went out";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResendLimit,
    ::testing::Values(LimitCase{"TenOverTenBlocks", 10, 0, true, 14 + 10},
                      LimitCase{"ElevenOverElevenBlocks", 11, 0, false, 11 + 11},
                      LimitCase{"ElevenOnOneBlock", 0, 100, false, 1 + 12},
                      LimitCase{"TenOnOneBlock", 0, 10, true, 14 + 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SenderTest, TheResendLimitBoxFollowsTheLanguage) {
    LanguageMode = 0;
    useFile(randomBytes(2 * kBlock, 10));
    onFrame = [](int) { return kNak; };
    EXPECT_FALSE(run());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("发送文件失败，请重试！"));
}

// 'C' and NAK start the transfer; whatever comes before them is ignored; CAN refuses.
struct StartCase {
    const char* name;
    std::string before; // bytes that come first
    std::string start;
    bool starts;
};

class StartSignal : public SenderTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartSignal, OnlyCOrNakStarts) {
    const auto& c = GetParam();
    useFile(randomBytes(1500, 11));
    std::uint64_t startAt = 0;
    if (!c.before.empty()) port.send(c.before, clock.tickCount() + 200);
    // The real start comes after three silent reads.
    clock.after(3200, [&] {
        startAt = clock.tickCount();
        port.send(c.start, clock.tickCount());
    });
    view.cycleLimit = 12;
    const bool ok = sender.Run();
    EXPECT_EQ(ok, c.starts);
    if (c.starts) {
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_GE(frameTimes[0], startAt);
        EXPECT_EQ(int(frames[0][1]), 1);
    } else {
        EXPECT_TRUE(frames.empty());
        EXPECT_TRUE(port.writes.empty());
        EXPECT_EQ(boxes.texts(), QStringList{"Transfer file fail, please retry!"});
        EXPECT_FALSE(view.stoppedByLimit) << "CAN ends the wait, the limit did not";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSignal,
    ::testing::Values(StartCase{"C", "", kC, true}, StartCase{"Nak", "", kNak, true},
                      StartCase{"AckThenC", kAck, kC, true},
                      StartCase{"GarbageThenNak", "x0", kNak, true},
                      StartCase{"EotThenC", kEot, kC, true}, StartCase{"Can", "", kCan, false},
                      StartCase{"GarbageThenCan", "x", kCan, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SenderTest, EotsGoOnUntilOneIsAcknowledged) {
    useFile(randomBytes(2 * kBlock, 12));
    onEot = [](int n) { return n < 3 ? std::string() : kAck; };
    EXPECT_TRUE(run());
    EXPECT_EQ(eots, 5) << "four unanswered or answered in the next read, one more after the ACK";
    EXPECT_TRUE(completed);
}

TEST_F(SenderTest, WithoutAnEotAckTheLoopRunsUntilCancelled) {
    useFile(randomBytes(kBlock, 13));
    onEot = [](int) { return std::string(); };
    view.onCycle = [&](int) {
        if (eots == 6) DownloadActive = 0; // Cancel
    };
    EXPECT_FALSE(run());
    EXPECT_EQ(eots, 6);
    EXPECT_FALSE(completed);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SenderTest, AClearedFlagStopsBeforeTheNextRead) {
    useFile(randomBytes(4 * kBlock, 14));
    onFrame = [&](int n) {
        if (n == 1) DownloadActive = 0; // cleared while block 2 is on the line
        return kAck;
    };
    EXPECT_FALSE(run());
    EXPECT_EQ(frames.size(), 2u) << "block 2's ACK is not acted upon";
    EXPECT_FALSE(completed);
}

TEST_F(SenderTest, CountsAreShownBeforeEveryRead) {
    useFile(randomBytes(3 * kBlock, 15));
    onFrame = [](int n) { return n == 1 ? kNak : kAck; };
    EXPECT_TRUE(run());
    // Idle reads with 1/0, then one read per frame and per EOT with the counts of then.
    ASSERT_GE(view.counts.size(), 8u);
    EXPECT_EQ(view.counts.front(), (std::pair{1, 0}));
    const std::vector<std::pair<int, int>> tail(view.counts.end() - 7, view.counts.end());
    EXPECT_EQ(tail, (std::vector<std::pair<int, int>>{
                        {1, 0}, {2, 0}, {2, 1}, {3, 1}, {4, 1}, {4, 1}, {4, 1}}));
    EXPECT_EQ(view.steps, 3);
}

TEST_F(SenderTest, AFailedWriteShowsItsBoxAndTheLoopGoesOn) {
    useFile(randomBytes(2 * kBlock, 16));
    port.failWrites = true;
    view.cycleLimit = 4;
    EXPECT_FALSE(run());
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Sending error!"));
    EXPECT_TRUE(view.stoppedByLimit) << "the loop went on waiting for an answer";
    EXPECT_EQ(sender.state(), CXModemSender::SENDING_STATE);
}

// The port goes away between an ACK and the next frame: the frame's write fails, and the
// disconnection box is the one message (no "Sending error!"); the transfer ends.
TEST_F(SenderTest, AWriteFailedByALostPortShowsOnlyTheLoss) {
    useFile(randomBytes(3 * kBlock, 17));
    view.onStep = [this] { port.gone = true; };
    EXPECT_FALSE(run());
    EXPECT_EQ(frames.size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("COM1 has been disconnected, please check the connection to KX220!"));
    EXPECT_FALSE(view.stoppedByLimit);
}
