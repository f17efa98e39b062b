// The line-delay formula and the two waits.
#include "core/link/serial_channel.h"
#include "testkit.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>

using namespace omniset;

namespace {
struct Rates {
    Rates(std::uint32_t scan, std::uint32_t remembered) {
        ScanRate = scan;
        RememberedRate = remembered;
    }
    ~Rates() { ScanRate = RememberedRate = 115200; }
};
} // namespace

TEST(LineDelay, FollowsTheFormulaAndTheSlowRateSurcharges) {
    {
        Rates r(115200, 115200);
        EXPECT_EQ(LineDelay(10), 6);
        EXPECT_EQ(LineDelay(630), 87);
        EXPECT_EQ(LineDelay(0), 5);
    }
    {
        Rates r(115200, 2400);
        EXPECT_EQ(LineDelay(10), 1006);
    }
    {
        Rates r(115200, 600);
        EXPECT_EQ(LineDelay(10), 6006);
    }
    {
        Rates r(9600, 115200);
        EXPECT_EQ(LineDelay(630), 989);
    }
}

TEST(Waits, PumpedWaitDispatchesAndBusyWaitDoesNot) {
    test::VirtualClock clock;
    int ran = 0;
    QTimer::singleShot(0, qApp, [&] { ++ran; });
    auto start = clock.tickCount();
    BusyWait(300);
    EXPECT_EQ(ran, 0);
    EXPECT_GT(clock.tickCount(), start + 300);
    start = clock.tickCount();
    PumpedWait(100);
    EXPECT_EQ(ran, 1);
    EXPECT_GT(clock.tickCount(), start + 100);
    EXPECT_LE(clock.tickCount(), start + 101);
}

TEST(Waits, RealWaitsSleepInsteadOfSpinning) {
    // A click that comes in the middle of a pumped wait is handled then, and neither
    // wait burns the processor meanwhile.
    bool clicked = false;
    QTimer::singleShot(200, qApp, [&] { clicked = true; });
    auto cpu0 = std::clock();
    auto t0 = platform::tickCount();
    PumpedWait(400);
    auto pumped = platform::tickCount() - t0;
    EXPECT_TRUE(clicked);
    t0 = platform::tickCount();
    BusyWait(300);
    auto busy = platform::tickCount() - t0;
    double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
    EXPECT_GT(pumped, 400u);
    EXPECT_LT(pumped, 700u);
    EXPECT_GT(busy, 300u);
    EXPECT_LT(busy, 600u);
    EXPECT_LT(cpuMs, 70.0);
}
