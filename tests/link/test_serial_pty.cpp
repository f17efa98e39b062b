// The serial channel over a real kernel pseudo-terminal.
#include "link/serial_channel.h"
#include "platform/serial_device.h"
#include "pty_pair.h"
#include "test_env.h"
#include "testkit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <termios.h>
#include <thread>

using namespace omniset;
using namespace std::chrono;

namespace {

class SerialPty : public ::testing::Test {
  protected:
    void SetUp() override { test::pointPortAt(1, pty.slavePath()); }
    void TearDown() override {
        SerialClose();
        test::makePortDangling(1);
    }
    // Open COM1 and take away what the open sent ("at\r").
    void openCom1() {
        ASSERT_TRUE(SerialOpen(1));
        EXPECT_EQ(pty.readMaster(100), "at\r");
    }
    static long long msSince(steady_clock::time_point t) {
        return duration_cast<milliseconds>(steady_clock::now() - t).count();
    }
    test::PtyPair pty;
};

} // namespace

TEST_F(SerialPty, ReadReturnsAtOnceWhenTheLimitIsReached) {
    openCom1();
    pty.writeMaster("0123456789ABC");
    char buf[16];
    auto t = steady_clock::now();
    EXPECT_EQ(SerialRead(buf, 10), 10);
    EXPECT_LT(msSince(t), 300);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
}

TEST_F(SerialPty, ReadEndsOneSecondAfterTheLastByte) {
    openCom1();
    char buf[2000];
    std::thread far([this] {
        pty.writeMaster("abc");
        std::this_thread::sleep_for(milliseconds(600));
        pty.writeMaster("def");
    });
    auto t = steady_clock::now();
    int n = SerialRead(buf, 2000);
    auto took = msSince(t);
    far.join();
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(n)), "abcdef");
    // 600 ms to the second burst, then 1000 ms of silence; the total limit (3000 ms) is
    // not reached, and the first burst's interval did not end the read.
    EXPECT_GE(took, 1550);
    EXPECT_LT(took, 2300);
}

TEST_F(SerialPty, ReadOfASilentLineTakesOneSecondPlusTheLimit) {
    openCom1();
    char buf[500];
    auto t = steady_clock::now();
    EXPECT_EQ(SerialRead(buf, 500), 0);
    auto took = msSince(t);
    EXPECT_GE(took, 1450);
    EXPECT_LT(took, 2000);
}

TEST_F(SerialPty, SomeBytesThenSilenceEndOneSecondAfterThem) {
    openCom1();
    pty.writeMaster("xy");
    char buf[2000];
    auto t = steady_clock::now();
    EXPECT_EQ(SerialRead(buf, 2000), 2);
    auto took = msSince(t);
    EXPECT_GE(took, 950);
    EXPECT_LT(took, 1500);
}

TEST_F(SerialPty, PurgeDiscardsWhatWaits) {
    openCom1();
    pty.writeMaster("stale reply");
    std::this_thread::sleep_for(milliseconds(100));
    SerialPurge();
    pty.writeMaster("fresh");
    char buf[5];
    EXPECT_EQ(SerialRead(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), "fresh");
}

TEST_F(SerialPty, WritesArriveWholeAndEmptyWritesFail) {
    openCom1();
    std::string big(3000, 'h');
    EXPECT_TRUE(SerialWrite(big));
    EXPECT_EQ(pty.readMaster(300), big);
    EXPECT_FALSE(SerialWrite("", 0));
    EXPECT_EQ(pty.readMaster(200), "");
}

TEST_F(SerialPty, PortsOpenExclusivelyAndLinksDecide) {
    openCom1();
    EXPECT_EQ(platform::openSerialDevice(1), nullptr) << "second open of an open port";
    EXPECT_FALSE(SerialOpen(2)) << "COM2's link dangles";
    // Port numbers outside 1..4 mean COM4.
    test::PtyPair four;
    test::pointPortAt(4, four.slavePath());
    EXPECT_TRUE(SerialOpen(7));
    EXPECT_EQ(four.readMaster(100), "at\r");
    EXPECT_TRUE(SerialClose());
    EXPECT_FALSE(SerialClose()) << "nothing left to close";
    test::makePortDangling(4);
}

TEST_F(SerialPty, LineSettingsReachTheLineExactly) {
    openCom1();
    auto seen = [&] {
        termios t{};
        tcgetattr(pty.masterFd(), &t);
        return t;
    };
    // A pty keeps 8 data bits and no parity enable, which is not a failure there; it
    // shows the speed, the stop bits and the odd/mark/space flags.
    ASSERT_TRUE(SerialConfigure({9600, 7, platform::ParityMark, platform::TwoStopBits}));
    auto t = seen();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_TRUE(t.c_cflag & CMSPAR);
    // No parity leaves no odd or mark flag behind.
    ASSERT_TRUE(SerialConfigure({115200, 8, platform::ParityNone, platform::OneStopBit}));
    t = seen();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARODD);
    EXPECT_FALSE(t.c_cflag & CMSPAR);
    ASSERT_TRUE(SerialConfigure({2400, 8, platform::ParityEven, platform::OneStopBit}));
    t = seen();
    EXPECT_FALSE(t.c_cflag & (PARODD | CMSPAR));
}

TEST(SerialChannel, ARefusedSettingClosesTheChannel) {
    test::FakePorts ports;
    ports.on(3).refuseSettings = false;
    ASSERT_TRUE(SerialOpen(3));
    ports.on(3).refuseSettings = true;
    EXPECT_FALSE(SerialConfigure({9600, 8, 0, 0}));
    EXPECT_FALSE(SerialIsOpen());
    EXPECT_FALSE(ports.on(3).open);
    EXPECT_FALSE(SerialWrite("at\r")) << "nothing can use the closed port";
}

TEST(SerialChannel, AFailedReadIsReportedAndReadsAsNothing) {
    test::VirtualClock clock;
    test::FakePorts ports;
    test::ScriptedBoxes boxes;
    ports.on(2);
    ASSERT_TRUE(SerialOpen(2));
    ports.adapters[2]->failReads = true;
    char buf[8];
    EXPECT_EQ(SerialRead(buf, 8), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Receive Error!");
    // A silent line is no failure: no box.
    ports.adapters[2]->failReads = false;
    EXPECT_EQ(SerialRead(buf, 8), 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    SerialClose();
}
