// The 1K-XModem receiver fed frames directly.
#include "crc16.h"
#include "sim_test_support.h"
#include "xmodem_receiver.h"

#include <gtest/gtest.h>

using namespace kx220sim;
using simtest::xmodemFrame;

namespace {

const std::string kAck = "\x06", kNak = "\x15", kCan2 = "\x18\x18";

std::vector<std::uint8_t> block(int seed, std::size_t size = 1024) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = std::uint8_t(seed * 7 + i * 3);
    return data;
}

std::string feed(XModemReceiver& r, const std::string& bytes, Millis now = 0) {
    std::string out;
    for (char c : bytes) out += r.receive(std::uint8_t(c), now);
    return out;
}

std::vector<std::uint8_t> joined(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(Crc16, MatchesTheCheckValueAndAnIndependentTable) {
    std::string check = "123456789";
    EXPECT_EQ(crc16Xmodem({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}),
              0x31C3);
    auto data = block(5, 1024);
    EXPECT_EQ(crc16Xmodem(data), simtest::testCrc(data));
}

TEST(XModemReceiver, AsksWithCAndRepeatsWhileTheSenderIsSilent) {
    XModemReceiver r({}, 0);
    EXPECT_EQ(r.tick(XModemReceiver::kFirstStartDelay - 1), "");
    EXPECT_EQ(r.tick(XModemReceiver::kFirstStartDelay), "C");
    EXPECT_EQ(r.tick(XModemReceiver::kFirstStartDelay + XModemReceiver::kIdleRepeat), "C");
}

TEST(XModemReceiver, GoodFramesThenEot) {
    XModemReceiver r({}, 0);
    EXPECT_EQ(feed(r, xmodemFrame(1, block(1))), kAck);
    EXPECT_EQ(feed(r, xmodemFrame(2, block(2, 128))), kAck); // a short SOH block
    EXPECT_EQ(feed(r, "\x04"), kAck);
    EXPECT_EQ(r.state(), XModemReceiver::State::Finished);
    EXPECT_EQ(r.image(), joined({block(1), block(2, 128)}));
}

TEST(XModemReceiver, DamagedFramesAreNakedAndNotStored) {
    XModemReceiver r({}, 0);
    std::string badCrc = xmodemFrame(1, block(1));
    badCrc[500] ^= 0x01;
    EXPECT_EQ(feed(r, badCrc), kNak);
    std::string badComplement = xmodemFrame(1, block(1));
    badComplement[2] = 0x00;
    EXPECT_EQ(feed(r, badComplement), kNak);
    EXPECT_TRUE(r.image().empty());
    EXPECT_EQ(feed(r, xmodemFrame(1, block(1))), kAck);
    EXPECT_EQ(r.image(), block(1));
}

TEST(XModemReceiver, DuplicateBlockIsAcknowledgedAndDropped) {
    XModemReceiver r({}, 0);
    feed(r, xmodemFrame(1, block(1)));
    EXPECT_EQ(feed(r, xmodemFrame(1, block(1))), kAck);
    EXPECT_EQ(feed(r, xmodemFrame(2, block(2))), kAck);
    EXPECT_EQ(r.image(), joined({block(1), block(2)}));
}

TEST(XModemReceiver, BlockOutOfSequenceCancels) {
    XModemReceiver r({}, 0);
    feed(r, xmodemFrame(1, block(1)));
    EXPECT_EQ(feed(r, xmodemFrame(3, block(3))), kCan2);
    EXPECT_EQ(r.state(), XModemReceiver::State::Failed);
}

TEST(XModemReceiver, BlockNumbersWrapAfter255) {
    XModemReceiver r({}, 0);
    for (int n = 1; n <= 258; ++n)
        ASSERT_EQ(feed(r, xmodemFrame(std::uint8_t(n), block(n))), kAck) << n;
    EXPECT_EQ(r.image().size(), 258u * 1024u);
}

TEST(XModemReceiver, BrokenOffFrameIsNakedAfterSilence) {
    XModemReceiver r({}, 0);
    feed(r, xmodemFrame(1, block(1)).substr(0, 600), 100);
    EXPECT_EQ(r.tick(100 + XModemReceiver::kByteTimeout - 1), "");
    EXPECT_EQ(r.tick(100 + XModemReceiver::kByteTimeout), kNak);
    EXPECT_EQ(feed(r, xmodemFrame(1, block(1)), 2000), kAck);
}

TEST(XModemReceiver, SenderCancelAndTooManyErrors) {
    XModemReceiver cancelled({}, 0);
    feed(cancelled, "\x18");
    EXPECT_EQ(cancelled.state(), XModemReceiver::State::Failed);

    XModemReceiver r({}, 0);
    std::string bad = xmodemFrame(1, block(1));
    bad[10] ^= 1;
    for (int i = 0; i < XModemReceiver::kMaxErrors; ++i) ASSERT_EQ(feed(r, bad), kNak);
    EXPECT_EQ(feed(r, bad), kCan2);
}

TEST(XModemReceiver, FaultSwitches) {
    Faults nak;
    nak.nakAtBlock = 2;
    XModemReceiver a(nak, 0);
    EXPECT_EQ(feed(a, xmodemFrame(1, block(1))), kAck);
    EXPECT_EQ(feed(a, xmodemFrame(2, block(2))), kNak);
    EXPECT_EQ(feed(a, xmodemFrame(2, block(2))), kAck);
    EXPECT_EQ(a.image(), joined({block(1), block(2)}));

    Faults can;
    can.canAtBlock = 2;
    XModemReceiver b(can, 0);
    feed(b, xmodemFrame(1, block(1)));
    EXPECT_EQ(feed(b, xmodemFrame(2, block(2))), kCan2);
    EXPECT_EQ(b.state(), XModemReceiver::State::Failed);

    Faults drop;
    drop.dropAckAtBlock = 1;
    XModemReceiver c(drop, 0);
    EXPECT_EQ(feed(c, xmodemFrame(1, block(1)), 10), "");
    EXPECT_EQ(c.tick(10 + XModemReceiver::kIdleRepeat), kAck); // said again after silence
    EXPECT_EQ(feed(c, xmodemFrame(2, block(2))), kAck);
}
