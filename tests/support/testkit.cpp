#include "testkit.h"

#include "core/platform/process.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace omniset::test {

// ---- VirtualClock ----

VirtualClock::VirtualClock() { platform::setClock(this); }
// Each double restores the real service only while it is the one installed, so that a
// new double may be made before the old one goes.
VirtualClock::~VirtualClock() {
    if (&platform::clock() == this) platform::setClock(nullptr);
}

void VirtualClock::advanceTo(std::uint64_t when) {
    while (!scheduled_.empty() && scheduled_.begin()->first <= when) {
        auto it = scheduled_.begin();
        now_ = std::max(now_, it->first);
        auto action = std::move(it->second);
        scheduled_.erase(it);
        action();
    }
    now_ = std::max(now_, when);
}

void VirtualClock::sleepMs(std::uint64_t ms) { advanceTo(now_ + ms); }

void VirtualClock::waitForEvents(std::uint64_t deadline) {
    dispatchPendingEvents();
    auto until = deadline;
    if (!scheduled_.empty()) until = std::min(until, scheduled_.begin()->first);
    advanceTo(std::max(until, now_));
}

void VirtualClock::dispatchPendingEvents() {
    ++dispatches;
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void VirtualClock::at(std::uint64_t when, std::function<void()> action) {
    scheduled_.emplace(when, std::move(action));
}

// ---- ScriptedBoxes ----

namespace {
const void* g_boxes = nullptr;
const void* g_exits = nullptr;
const void* g_ports = nullptr;
} // namespace

ScriptedBoxes::ScriptedBoxes() {
    g_boxes = this;
    platform::setMessageBoxHandler([this](const platform::BoxRequest& r) {
        shown.push_back(r);
        if (onShow) onShow(r);
        if (answers_.empty()) return platform::BoxAnswer::Ok;
        auto a = answers_.front();
        answers_.pop_front();
        return a;
    });
}

ScriptedBoxes::~ScriptedBoxes() {
    if (g_boxes == this) platform::setMessageBoxHandler({});
}

QStringList ScriptedBoxes::texts() const {
    QStringList out;
    for (const auto& r : shown) out << r.text;
    return out;
}

// ---- ExitRecorder ----

ExitRecorder::ExitRecorder() {
    g_exits = this;
    platform::setExitHook([this](int c) {
        if (!code) code = c;
        if (onExit) onExit(c);
    });
}

ExitRecorder::~ExitRecorder() {
    if (g_exits == this) platform::setExitHook({});
}

// ---- FakeAdapter and its device ----

void FakeAdapter::send(std::string_view bytes, std::uint64_t firstArrival) {
    auto t = firstArrival;
    if (!incoming.empty()) t = std::max(t, incoming.back().first + byteTimeMs);
    for (char c : bytes) {
        incoming.emplace_back(t, c);
        t += byteTimeMs;
    }
}

std::string FakeAdapter::allWritten() const {
    std::string all;
    for (const auto& w : writes) all += w;
    return all;
}

namespace {

class FakeDevice final : public platform::SerialDevice {
  public:
    explicit FakeDevice(std::shared_ptr<FakeAdapter> a) : a_(std::move(a)) {
        a_->open = true;
        ++a_->opens;
    }
    ~FakeDevice() override { close(); }

    platform::ConfigureResult configure(const platform::LineSettings& s) override {
        a_->configurations.push_back(s);
        if (a_->refuseSettings || (a_->refuseIf && a_->refuseIf(s))) return platform::ConfigureResult::StateRefused;
        a_->settings = s;
        return platform::ConfigureResult::Ok;
    }
    bool setDtr(bool on) override {
        a_->dtr = on;
        return true;
    }
    bool write(const char* data, int count) override {
        if (a_->failWrites || a_->gone || count <= 0) return false;
        std::string_view chunk(data, static_cast<std::size_t>(count));
        a_->writes.emplace_back(chunk);
        a_->writeTimes.push_back(platform::tickCount());
        if (a_->respond) {
            auto reply = a_->respond(chunk, a_->settings);
            a_->send(reply, platform::tickCount() + a_->replyDelayMs);
        }
        return true;
    }
    int read(char* buffer, int limit) override;
    void purge() override {
        ++a_->purges;
        auto now = platform::tickCount();
        while (!a_->incoming.empty() && a_->incoming.front().first <= now)
            a_->incoming.pop_front();
    }
    bool lost() const override { return a_->gone; }
    bool close() override {
        bool was = a_->open;
        a_->open = false;
        return was;
    }

  private:
    std::shared_ptr<FakeAdapter> a_;
};

// The time-outs of a real port, on the program's clock.
int FakeDevice::read(char* buffer, int limit) {
    if (a_->failReads || a_->gone) return -1;
    const auto start = platform::tickCount();
    const auto totalDeadline = start + platform::kReadTotalConstantMs + limit;
    auto deadline = totalDeadline;
    int got = 0;
    // Sleeps only forward: an action run by the clock may itself have moved time on.
    auto sleepUntil = [](std::uint64_t t) {
        if (t > platform::tickCount()) platform::sleepMs(t - platform::tickCount());
    };
    while (got < limit) {
        if (a_->incoming.empty() || a_->incoming.front().first > deadline) {
            sleepUntil(deadline);
            // Bytes that arrived while the clock ran its actions are still in time.
            if (!a_->incoming.empty() && a_->incoming.front().first <= deadline) continue;
            break;
        }
        auto [when, c] = a_->incoming.front();
        sleepUntil(when);
        a_->incoming.pop_front();
        buffer[got++] = c;
        deadline = std::min(totalDeadline, platform::tickCount() + platform::kReadIntervalMs);
    }
    return got;
}

} // namespace

FakePorts::FakePorts() {
    g_ports = this;
    platform::setSerialOpener([this](int port, platform::OpenFailure* why)
                                  -> std::unique_ptr<platform::SerialDevice> {
        openAttempts.push_back(port);
        auto it = adapters.find(port);
        if (it == adapters.end() || it->second->open || it->second->gone) {
            auto e = openErrors.find(port);
            const bool inUse = it != adapters.end() && it->second->open;
            why->kind = e != openErrors.end() ? e->second
                        : inUse               ? platform::OpenError::InUse
                                              : platform::OpenError::NoDevice;
            why->device = "/dev/fake" + std::to_string(port);
            return nullptr;
        }
        return std::make_unique<FakeDevice>(it->second);
    });
}

FakePorts::~FakePorts() {
    if (g_ports == this) platform::setSerialOpener({});
}

FakeAdapter& FakePorts::on(int port) {
    auto& a = adapters[port];
    if (!a) a = std::make_shared<FakeAdapter>();
    return *a;
}

} // namespace omniset::test
