#include "sim_loop.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace kx220sim {

namespace {

constexpr Micros kMicrosPerSecond = 1000000;

Micros monotonicMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

Millis toMillis(Micros t) { return t / 1000; }

} // namespace

Micros characterTime(const LineSpec& wanted) {
    int bits = 1 + wanted.dataBits + (wanted.parity == 'N' ? 0 : 1) + wanted.stopBits;
    return bits * kMicrosPerSecond / wanted.baud;
}

void transcript(std::string_view text) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    std::fprintf(stderr, "%02d:%02d:%02d.%03ld %.*s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 now.tv_nsec / 1000000, int(text.size()), text.data());
}

SimLoop::SimLoop(PtyPort& port, AdapterEngine& engine, LoopConfig config)
    : port_(port), engine_(engine), config_(config),
      charTime_(config.pace ? characterTime(config.line) : 0) {}

bool SimLoop::hostMatches() {
    auto host = port_.hostSettings();
    bool match = host && lineMatches(config_.line, *host);
    if (config_.verbose && int(match) != lastMatch_)
        transcript("line: host at " + (host ? describe(*host) : std::string("?")) +
                   (match ? ", answering" : ", not " + config_.line.text() + ": silent"));
    lastMatch_ = int(match);
    return match;
}

// Characters reach the engine one character time apart, as they would off a wire.
void SimLoop::releaseInput(Micros now) {
    std::string batch;
    while (!rx_.empty() && rx_.front().at <= now) {
        batch += rx_.front().byte;
        rx_.pop_front();
    }
    if (batch.empty()) return;
    if (!hostMatches()) return engine_.lineNoise();
    queueOutput(engine_.receive(batch, toMillis(now)), now);
}

void SimLoop::queueOutput(const std::string& bytes, Micros now) {
    for (char c : bytes) {
        txClock_ = std::max(txClock_, now) + charTime_;
        tx_.push_back({c, txClock_});
    }
}

void SimLoop::writeDue(Micros now) {
    std::string due;
    for (auto it = tx_.begin(); it != tx_.end() && it->at <= now; ++it) due += it->byte;
    if (due.empty()) return;
    if (!hostMatches()) { // the host would see garbage: nothing it can use
        tx_.erase(tx_.begin(), tx_.begin() + long(due.size()));
        return;
    }
    ssize_t n = ::write(port_.fd(), due.data(), due.size());
    if (n > 0) tx_.erase(tx_.begin(), tx_.begin() + n);
    writeBlocked_ = n < ssize_t(due.size()); // the host is not reading: wait for room
}

bool SimLoop::readInput(Micros now) {
    char buffer[kReadChunk];
    ssize_t n = ::read(port_.fd(), buffer, sizeof buffer);
    if (n <= 0) return !(n < 0 && errno == EIO);
    for (ssize_t i = 0; i < n; ++i) {
        rxClock_ = std::max(rxClock_, now) + charTime_;
        rx_.push_back({buffer[i], rxClock_});
    }
    return true;
}

void SimLoop::onHangup() {
    if (hostPresent_ && config_.verbose) transcript("port: host closed the port");
    hostPresent_ = false;
    rx_.clear();
    tx_.clear();
    writeBlocked_ = false;
    engine_.hostClosed();
    lastMatch_ = -1;
}

Micros SimLoop::wakeTime() const {
    Micros wake = INT64_MAX;
    if (!rx_.empty()) wake = rx_.front().at;
    if (!tx_.empty() && !writeBlocked_) wake = std::min(wake, tx_.front().at);
    Millis deadline = engine_.deadline();
    if (deadline != kNever) wake = std::min(wake, deadline * 1000 + 1000);
    return wake;
}

int SimLoop::run(volatile std::sig_atomic_t* stop) {
    sigset_t unblocked;
    sigemptyset(&unblocked);
    while (!*stop) {
        Micros now = monotonicMicros();
        releaseInput(now);
        queueOutput(engine_.tick(toMillis(now)), now);
        writeDue(now);
        if (engine_.vanished() && tx_.empty()) { // gone once its last bytes are out
            if (config_.verbose) transcript("port: the adapter vanishes");
            return 0;
        }

        Micros wake = wakeTime();
        pollfd pfd{port_.fd(), POLLIN, 0};
        if (writeBlocked_) pfd.events |= POLLOUT;
        Micros wait = wake == INT64_MAX ? kMicrosPerSecond : std::max<Micros>(0, wake - now);
        timespec timeout{time_t(wait / kMicrosPerSecond), long(wait % kMicrosPerSecond) * 1000};
        int ready = ::ppoll(&pfd, 1, &timeout, &unblocked);
        if (ready < 0) continue; // a signal: look at *stop
        bool hangup = (pfd.revents & POLLHUP) != 0;
        if (!hangup && ready > 0 && (pfd.revents & POLLIN)) hangup = !readInput(monotonicMicros());
        if (hangup) {
            if (hostPresent_ || rx_.size() || tx_.size()) onHangup();
            if (config_.once && hostSeen_) return 0;
            timespec pause{0, long(kHangupPoll) * 1000};
            ::ppoll(nullptr, 0, &pause, &unblocked);
            continue;
        }
        if (!hostPresent_) {
            hostPresent_ = hostSeen_ = true;
            if (config_.verbose) transcript("port: host opened the port");
        }
    }
    return 0;
}

} // namespace kx220sim
