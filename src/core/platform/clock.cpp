#include "core/platform/clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace omniset::platform {

namespace {

class RealClock final : public Clock {
  public:
    std::uint64_t tickCount() override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

    void sleepMs(std::uint64_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    void waitForEvents(std::uint64_t deadline) override {
        auto now = tickCount();
        if (now >= deadline) return dispatchPendingEvents();
        if (!QCoreApplication::instance()) return sleepMs(deadline - now);
        // A precise single-shot timer wakes the event loop at the deadline, so the
        // blocking dispatch below never sleeps past it and never spins.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(deadline - now));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

    void dispatchPendingEvents() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
};

RealClock g_realClock;
Clock* g_clock = &g_realClock;

} // namespace

std::function<QDateTime()>& localSource() {
    static std::function<QDateTime()> fn;
    return fn;
}

Clock& clock() { return *g_clock; }

QDateTime localNow() { return localSource() ? localSource()() : QDateTime::currentDateTime(); }

void setLocalTimeSource(std::function<QDateTime()> source) { localSource() = std::move(source); }

void setClock(Clock* c) { g_clock = c ? c : &g_realClock; }

} // namespace omniset::platform
