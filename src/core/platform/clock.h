// clock.h - the tick count and the two ways of waiting.
//
//   tickCount()              milliseconds on a monotonic clock
//   sleepMs(ms)              sleep without dispatching anything
//   waitForEvents(deadline)  dispatch the window events that wait (one batch); when none
//                            wait, sleep until one arrives or the tick count reaches deadline
//   dispatchPendingEvents()  dispatch the events that wait, without sleeping
//   Clock / setClock(c)      the clock behind all of these (tests install a virtual one;
//                            nullptr restores the real clock)
//   localNow()               the PC's local date and time
//   setLocalTimeSource(fn)   replace it (tests); an empty function restores the real one
#pragma once

#include <QDateTime>

#include <cstdint>
#include <functional>

namespace omniset::platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t tickCount() = 0;
    virtual void sleepMs(std::uint64_t ms) = 0;
    virtual void waitForEvents(std::uint64_t deadline) = 0;
    virtual void dispatchPendingEvents() = 0;
};

Clock& clock();
void setClock(Clock* clock);

inline std::uint64_t tickCount() { return clock().tickCount(); }
inline void sleepMs(std::uint64_t ms) { clock().sleepMs(ms); }
inline void waitForEvents(std::uint64_t deadline) { clock().waitForEvents(deadline); }
inline void dispatchPendingEvents() { clock().dispatchPendingEvents(); }

QDateTime localNow();
void setLocalTimeSource(std::function<QDateTime()> source);

} // namespace omniset::platform
