// The serial channel over a real kernel pseudo-terminal.
#include "core/link/reply_checks.h"
#include "core/link/serial_channel.h"
#include "core/platform/serial_device.h"
#include "pty_pair.h"
#include "test_env.h"
#include "testkit.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <thread>
#include <vector>

using namespace omniset;
using namespace std::chrono;

namespace {

// Every change of a terminal's settings the program asks for, while recording: the line
// format it asked for (speed and the format bits of c_cflag) and the flow-control bits.
struct TermiosChange {
    speed_t speed;
    tcflag_t format;
    tcflag_t flow; // CRTSCTS of c_cflag, IXON and IXOFF of c_iflag
};
bool g_recording = false;
std::vector<TermiosChange> g_changes;
constexpr tcflag_t kFormatBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;

tcflag_t flowBits(const termios& t) { return (t.c_cflag & CRTSCTS) | (t.c_iflag & (IXON | IXOFF)); }

} // namespace

// Stands in for the C library's tcsetattr in this test program (the program's code is
// linked into it), to see each change of the line; the real call follows.
extern "C" int tcsetattr(int fd, int action, const termios* t) noexcept {
    using Fn = int (*)(int, int, const termios*);
    static auto real = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, "tcsetattr"));
    if (g_recording) g_changes.push_back({cfgetospeed(t), t->c_cflag & kFormatBits, flowBits(*t)});
    return real(fd, action, t);
}

// How often the program asked to discard the output queue alone (the unsent rest of a
// write): a pty hands its bytes to the far end at once, so the discard itself cannot be
// seen there.
int g_outputDiscards = 0;

extern "C" int tcflush(int fd, int queue) noexcept {
    using Fn = int (*)(int, int);
    static auto real = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, "tcflush"));
    if (queue == TCOFLUSH) ++g_outputDiscards;
    return real(fd, queue);
}

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

// Reads that end with their replies (omniset-cli): at once when the reply is whole, after
// its quiet time when its end shows only as silence, and otherwise exactly as the wait and
// the read they stand for; the window program's reads keep their waits.
TEST_F(SerialPty, ReadsEndWithTheirRepliesAndNeverLaterThanTheWaitAndTheRead) {
    struct Case {
        const char* name;
        bool early;              // EndReadsWhenWhole
        int leadMs;              // the wait the read stands for
        platform::ReplyCheck whole;
        std::vector<std::string> bursts; // written 150 ms apart
        std::string expected;
        int atLeastMs, belowMs;
    };
    const std::string reply = "ati3\r\r\nVersion 2.0\r\n\r\nOK\r\n";
    const Case cases[] = {
        {"whole at the result line", true, 0, resultLineCheck(), {reply}, reply, 0, 300},
        {"the wait folded in", true, 2000, resultLineCheck(), {reply}, reply, 0, 300},
        {"quiet lets the rest in", true, 0, promptCheck("(mm-dd-yyyy):", 400),
         {"date (mm-dd-yyyy):", " "}, "date (mm-dd-yyyy): ", 500, 900},
        {"never whole", true, 0, resultLineCheck(), {"Version 2.0", "\r\n"},
         "Version 2.0\r\n", 1100, 1700},
        {"never before the wait's end plus a second", true, 600, resultLineCheck(), {"abc"},
         "abc", 1550, 2200},
        {"the window program's read", false, 300, resultLineCheck(), {reply}, reply, 1250, 1900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openCom1();
        EndReadsWhenWhole = c.early;
        std::thread far([&] {
            for (const std::string& burst : c.bursts) {
                pty.writeMaster(burst);
                std::this_thread::sleep_for(milliseconds(150));
            }
        });
        auto t = steady_clock::now();
        const std::string got = SerialReadReply(200, c.leadMs, c.whole);
        auto took = msSince(t);
        far.join();
        EndReadsWhenWhole = false;
        EXPECT_EQ(got, c.expected);
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.belowMs);
        SerialClose();
    }
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

// The open itself succeeded: refused default settings close the port again, yet the open
// reports true after its settling wait, and the next configuration fails.
TEST(SerialChannel, RefusedOpeningSettingsStillCountAsOpened) {
    test::VirtualClock clock;
    test::FakePorts ports;
    ports.on(3).refuseSettings = true;
    const auto start = clock.tickCount();
    EXPECT_TRUE(SerialOpen(3));
    EXPECT_TRUE(SerialOpenSettingsRefused());
    EXPECT_GE(clock.tickCount() - start, 300u);
    EXPECT_FALSE(SerialIsOpen());
    EXPECT_FALSE(ports.on(3).open);
    EXPECT_TRUE(ports.on(3).writes.empty()) << "no \"at\\r\" on a closed port";
    ports.on(3).refuseSettings = false;
    EXPECT_FALSE(SerialConfigure({9600, 8, 0, 0}));
    EXPECT_TRUE(SerialOpen(3));
    EXPECT_FALSE(SerialOpenSettingsRefused());
    EXPECT_TRUE(SerialIsOpen());
    SerialClose();
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

// Opening keeps the driver's flow control and line format until the one configuration
// of the open; each SerialConfigure is one change of the line, all four settings at once;
// closing puts the driver's own settings back.
TEST_F(SerialPty, TheLineChangesOncePerConfigurationAndFlowControlStays) {
    termios found{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &found), 0);
    cfsetispeed(&found, B9600);
    cfsetospeed(&found, B9600);
    found.c_cflag = (found.c_cflag & ~kFormatBits) | CS8 | CSTOPB | PARENB | PARODD;
    found.c_cflag |= CRTSCTS;
    found.c_iflag |= IXON | IXOFF;
    ASSERT_EQ(tcsetattr(pty.masterFd(), TCSANOW, &found), 0);
    ASSERT_EQ(tcgetattr(pty.masterFd(), &found), 0); // as the pty took it
    const tcflag_t flow = flowBits(found);
    const tcflag_t foundFormat = found.c_cflag & kFormatBits;

    g_changes.clear();
    g_recording = true;
    ASSERT_TRUE(SerialOpen(1));
    g_recording = false;
    // The open's own change (raw bytes) keeps the found format; then 115200 8N1.
    ASSERT_EQ(g_changes.size(), 2u);
    EXPECT_EQ(g_changes[0].speed, static_cast<speed_t>(B9600));
    EXPECT_EQ(g_changes[0].format, foundFormat);
    EXPECT_EQ(g_changes[1].speed, static_cast<speed_t>(B115200));
    EXPECT_EQ(g_changes[1].format, static_cast<tcflag_t>(CS8));
    for (const auto& c : g_changes) EXPECT_EQ(c.flow, flow);

    g_changes.clear();
    g_recording = true;
    ASSERT_TRUE(SerialConfigure({2400, 7, platform::ParitySpace, platform::TwoStopBits}));
    g_recording = false;
    ASSERT_EQ(g_changes.size(), 1u);
    EXPECT_EQ(g_changes[0].speed, static_cast<speed_t>(B2400));
    EXPECT_EQ(g_changes[0].format, static_cast<tcflag_t>(CS7 | CSTOPB | PARENB | CMSPAR));
    EXPECT_EQ(g_changes[0].flow, flow);
    termios now{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &now), 0);
    EXPECT_EQ(flowBits(now), flow);

    EXPECT_TRUE(SerialClose());
    ASSERT_EQ(tcgetattr(pty.masterFd(), &now), 0);
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B9600));
    EXPECT_EQ(flowBits(now), flow);
}

// A stalled line holds a write no longer than the write time-out, 1000 ms + 1 ms per
// byte: output stopped before the bytes enter the driver (flow control held), and a
// driver whose output queue never empties (a USB adapter that stopped taking data).
TEST_F(SerialPty, AStalledLineHoldsAWriteNoLongerThanItsTimeOut) {
    openCom1();
    const int fd = test::fdOpenOn(pty.slavePath());
    ASSERT_GE(fd, 0);
    const std::string text(500, 'x');

    ASSERT_EQ(tcflow(fd, TCOOFF), 0);
    g_outputDiscards = 0;
    auto t = steady_clock::now();
    EXPECT_FALSE(SerialWrite(text));
    auto took = msSince(t);
    EXPECT_GE(took, 1450);
    EXPECT_LT(took, 1900);
    EXPECT_EQ(g_outputDiscards, 1) << "what was unsent at the time-out is discarded";
    ASSERT_EQ(tcflow(fd, TCOON), 0);

    platform::setOutputQueueProbe([](int) { return 100; });
    t = steady_clock::now();
    EXPECT_FALSE(SerialWrite(text));
    took = msSince(t);
    platform::setOutputQueueProbe({});
    EXPECT_GE(took, 1450);
    EXPECT_LT(took, 1900);
    EXPECT_EQ(g_outputDiscards, 2);
    pty.readMaster(200);

    // The line moves again: a write is whole and quick, whatever failed before it.
    t = steady_clock::now();
    EXPECT_TRUE(SerialWrite("at\r"));
    EXPECT_LT(msSince(t), 300);
    EXPECT_EQ(pty.readMaster(200), "at\r");
}

// A write is given 1000 ms and the line time of its bytes at the current settings, 1.5
// character times a byte and at least 1 ms: a driver that drains at the line's rate
// completes a whole XModem frame at 4800 baud and a profile's hex text at 2400 baud; one
// that stops draining fails at that deadline, and what is unsent is discarded. At 19200
// baud a byte keeps its 1 ms even with 12 bits a character.
struct DrainCase {
    const char* name;
    platform::LineSettings line;
    int bytes;
    bool drains;  // the queue empties at the line's rate, or never
    int expectMs; // the line time (drains) or the deadline (stalls)
};

class WriteTime : public ::testing::TestWithParam<DrainCase> {
  protected:
    void SetUp() override { test::pointPortAt(1, pty.slavePath()); }
    void TearDown() override {
        platform::setOutputQueueProbe({});
        SerialClose();
        test::makePortDangling(1);
    }
    test::PtyPair pty;
};

TEST_P(WriteTime, AWriteHasTheLineTimeOfItsBytes) {
    const DrainCase& c = GetParam();
    ASSERT_TRUE(SerialOpen(1));
    ASSERT_TRUE(SerialConfigure(c.line));
    pty.readMaster(100); // the open's "at\r"
    const int bits = 1 + c.line.dataBits + (c.line.parity ? 1 : 0) +
                     (c.line.stopBits == platform::TwoStopBits ? 2 : 1);
    const auto start = steady_clock::now();
    platform::setOutputQueueProbe([&c, bits, start](int) {
        if (!c.drains) return c.bytes;
        const auto ms = duration_cast<milliseconds>(steady_clock::now() - start).count();
        return std::max<int>(0, c.bytes - int(ms * c.line.baudRate / (bits * 1000)));
    });
    const std::string text(std::size_t(c.bytes), 'x');
    g_outputDiscards = 0;
    EXPECT_EQ(SerialWrite(text), c.drains);
    const auto took = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(took, c.expectMs - 30);
    EXPECT_LT(took, c.expectMs + 400);
    EXPECT_EQ(g_outputDiscards, c.drains ? 0 : 1) << "the unsent rest of a failed write is discarded";
}

INSTANTIATE_TEST_SUITE_P(
    SerialPty, WriteTime,
    ::testing::Values(
        DrainCase{"FrameAt4800", {4800, 8, 0, 0}, 1029, true, 2144},
        DrainCase{"ProfileTextAt2400", {2400, 8, 0, 0}, 654, true, 2725},
        DrainCase{"StalledAt2400", {2400, 8, 0, 0}, 100, false, 1000 + 625},
        DrainCase{"StalledAt9600Even2", {9600, 8, platform::ParityEven, platform::TwoStopBits},
                  100, false, 1000 + 188},
        DrainCase{"StalledAt19200Even2", {19200, 8, platform::ParityEven, platform::TwoStopBits},
                  200, false, 1000 + 200}),
    [](const auto& info) { return std::string(info.param.name); });

// The kernel's console is never opened, whether the console list names it by its device
// numbers or only by its name; another console does not stand in the way.
TEST_F(SerialPty, TheSystemConsoleIsNeverOpened) {
    struct stat st {};
    ASSERT_EQ(::stat(qPrintable(pty.slavePath()), &st), 0);
    const std::string numbers = std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    const std::string name = pty.slavePath().mid(5).toStdString(); // without "/dev/"
    const QString consoles = test::scratchRoot() + "/consoles";
    struct Case {
        std::string line;
        bool opens;
    };
    for (const Case& c : {Case{name + "                -W- (EC  p a)    " + numbers, false},
                          Case{name, false},
                          Case{"ttyS0                -W- (EC  p a)    4:64", true}}) {
        SCOPED_TRACE(c.line);
        QFile f(consoles);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray::fromStdString(c.line + "\n"));
        f.close();
        platform::setConsolesFile(consoles.toStdString());
        EXPECT_EQ(SerialOpen(1), c.opens);
        platform::setConsolesFile({});
        if (c.opens) {
            EXPECT_EQ(pty.readMaster(100), "at\r");
            SerialClose();
        } else {
            EXPECT_EQ(SerialOpenFailure().kind, platform::OpenError::Console);
            EXPECT_EQ(pty.readMaster(100), "") << "nothing was sent to the console";
            EXPECT_EQ(test::fdOpenOn(pty.slavePath()), -1) << "never opened";
        }
    }
}

// Why a port did not open.
TEST_F(SerialPty, AFailedOpenSaysWhy) {
    const QString plain = test::scratchRoot() + "/plain-file";
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    test::pointPortAt(3, plain);
    openCom1();
    struct Case {
        int port;
        platform::OpenError kind;
    };
    for (const Case& c : {Case{2, platform::OpenError::DanglingLink},
                          Case{3, platform::OpenError::NoDevice},
                          Case{1, platform::OpenError::InUse}}) {
        SCOPED_TRACE(c.port);
        platform::OpenFailure why;
        EXPECT_EQ(platform::openSerialDevice(c.port, &why), nullptr);
        EXPECT_EQ(why.kind, c.kind);
    }
    test::makePortDangling(3);
}
