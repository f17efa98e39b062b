// testkit.h - test doubles for the platform layer.
//
//   VirtualClock        a tick count that moves only when the program waits or sleeps;
//                       actions can be scheduled at virtual times (a click, a reply)
//   ScriptedBoxes       answers message boxes from a script and records every box shown
//   ExitRecorder        records the exit code instead of ending the process
//   FakeAdapter         the far end of an in-process fake serial port: records what the
//                       program writes and queues replies with virtual arrival times
//   FakePorts           puts FakeAdapters on COM1..COM4 (other ports fail to open)
// Each installs itself on construction and restores the real service on destruction.
#pragma once

#include "core/platform/clock.h"
#include "core/platform/message_box.h"
#include "core/platform/serial_device.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace omniset::test {

class VirtualClock final : public platform::Clock {
  public:
    VirtualClock();
    ~VirtualClock() override;

    std::uint64_t tickCount() override { return now_; }
    void sleepMs(std::uint64_t ms) override;
    void waitForEvents(std::uint64_t deadline) override;
    void dispatchPendingEvents() override;

    void at(std::uint64_t when, std::function<void()> action);
    void after(std::uint64_t ms, std::function<void()> action) { at(now_ + ms, std::move(action)); }
    void advanceTo(std::uint64_t when);

    int dispatches = 0; // how often the program dispatched events

  private:
    std::uint64_t now_ = 1000;
    std::multimap<std::uint64_t, std::function<void()>> scheduled_;
};

class ScriptedBoxes {
  public:
    ScriptedBoxes();
    ~ScriptedBoxes();
    void answer(platform::BoxAnswer a) { answers_.push_back(a); } // next boxes; then OK
    std::function<void(const platform::BoxRequest&)> onShow;
    std::vector<platform::BoxRequest> shown;
    QStringList texts() const;

  private:
    std::deque<platform::BoxAnswer> answers_;
};

class ExitRecorder {
  public:
    ExitRecorder();
    ~ExitRecorder();
    std::optional<int> code;
    std::function<void(int)> onExit;
    // Lives as long as the recorder: work it queued checks it before acting.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};

struct FakeAdapter {
    // Called with each write and the port's line settings; returns the bytes to send back.
    std::function<std::string(std::string_view written, const platform::LineSettings&)> respond;
    std::uint64_t replyDelayMs = 0; // from the write to the first reply byte
    std::uint64_t byteTimeMs = 0;   // between reply bytes

    // What happened on the port.
    std::vector<std::string> writes;
    std::vector<std::uint64_t> writeTimes; // tick count of each write
    std::vector<platform::LineSettings> configurations;
    platform::LineSettings settings;
    bool dtr = false;
    bool open = false;
    int opens = 0;
    int purges = 0;

    // Faults.
    bool refuseSettings = false; // configure() reports the state as refused
    std::function<bool(const platform::LineSettings&)> refuseIf; // ... for these settings
    bool failWrites = false;
    bool failReads = false;
    bool gone = false; // the port went away (unplugged): lost, every call fails; a new
                       // open works again once this is cleared

    // Bytes on their way to the program, with their arrival times.
    std::deque<std::pair<std::uint64_t, char>> incoming;
    void send(std::string_view bytes, std::uint64_t firstArrival);
    std::string allWritten() const;
};

class FakePorts {
  public:
    FakePorts();
    ~FakePorts();
    FakeAdapter& on(int port); // creates the adapter of COMn
    std::map<int, std::shared_ptr<FakeAdapter>> adapters;
    std::vector<int> openAttempts;
    // Why COMn does not open when it has no adapter (or its adapter is open or gone).
    std::map<int, platform::OpenError> openErrors;
};

} // namespace omniset::test
