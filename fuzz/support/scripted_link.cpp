#include "scripted_link.h"

#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "core/platform/process.h"
#include "core/platform/serial_device.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

namespace fuzz {

using namespace omniset;

std::vector<std::string> ScriptedLink::writes;
int ScriptedLink::boxesShown = 0;
std::optional<int> ScriptedLink::exitCode;

namespace {

// Time moves only when the program waits, and every wait ends at once.
class InstantClock final : public platform::Clock {
  public:
    std::uint64_t tickCount() override { return now_; }
    void sleepMs(std::uint64_t ms) override { now_ += std::max<std::uint64_t>(ms, 1); }
    void waitForEvents(std::uint64_t deadline) override { now_ = std::max(now_ + 1, deadline); }
    void dispatchPendingEvents() override { now_ += 1; }
    void pass(std::uint64_t ms) { now_ += ms; }

  private:
    std::uint64_t now_ = 1000;
};

InstantClock g_clock;

struct Script {
    std::deque<std::string> replies; // one per coming write
    std::string pending;             // what the port holds for the program
    bool active = false;             // replies are queued only after start()
    platform::BoxAnswer boxAnswer = platform::BoxAnswer::Ok;
};

Script g_script;

class ScriptedDevice final : public platform::SerialDevice {
  public:
    platform::ConfigureResult configure(const platform::LineSettings&) override {
        return platform::ConfigureResult::Ok;
    }
    bool setDtr(bool) override { return true; }
    bool write(const char* data, int count) override {
        if (!g_script.active) return true; // the wake-up on opening
        ScriptedLink::writes.emplace_back(data, static_cast<std::size_t>(count));
        if (!g_script.replies.empty()) {
            g_script.pending += g_script.replies.front();
            g_script.replies.pop_front();
        }
        return true;
    }
    int read(char* buffer, int limit) override {
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(std::max(limit, 0)),
                                             g_script.pending.size());
        std::memcpy(buffer, g_script.pending.data(), n);
        g_script.pending.erase(0, n);
        // A read that did not fill its limit ends on the port's time-out.
        g_clock.pass(n < static_cast<std::size_t>(limit) ? platform::kReadIntervalMs : 1);
        return static_cast<int>(n);
    }
    void purge() override { g_script.pending.clear(); }
    bool close() override { return true; }
};

} // namespace

void initProgram(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Settings in a scratch home, never the user's own; on tmpfs when there is one, since
    // the settings writer syncs to disk. Removed when the fuzzer exits.
    std::string home = QDir(QStringLiteral("/dev/shm")).exists() ? "/dev/shm" : "/tmp";
    home += "/omniset-fuzz-XXXXXX";
    if (!mkdtemp(home.data())) std::abort();
    static const QString root = QString::fromStdString(home);
    std::atexit([] { QDir(root).removeRecursively(); });
    QDir().mkpath(root + "/config/omniset/dosdevices");
    QDir().mkpath(root + "/data");
    setenv("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").toLocal8Bit().constData(), 1);
    // The offscreen platform's notes ("does not support raise()") would drown the log.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            std::abort();
        }
    });
    static QApplication* app = new QApplication(*argc, *argv); // lives as long as the process
    (void)app;
    platform::setClock(&g_clock);
    platform::setMessageBoxHandler([](const platform::BoxRequest&) {
        ++ScriptedLink::boxesShown;
        return g_script.boxAnswer;
    });
    platform::setSerialOpener(
        [](int port, platform::OpenFailure*) -> std::unique_ptr<platform::SerialDevice> {
            if (port < 1 || port > 4) return nullptr;
            return std::make_unique<ScriptedDevice>();
        });
}

void ScriptedLink::start(const std::vector<std::string_view>& replies,
                         platform::BoxAnswer boxAnswer) {
    writes.clear();
    boxesShown = 0;
    exitCode.reset();
    platform::setExitHook([](int code) { ScriptedLink::exitCode = code; });
    g_script = Script{};
    g_script.boxAnswer = boxAnswer;
    if (!SerialOpen(1)) std::abort();
    for (auto r : replies) g_script.replies.emplace_back(r);
    g_script.active = true;
}

void ScriptedLink::finish() {
    SerialClose();
    g_script = Script{};
}

} // namespace fuzz

// fontconfig keeps its first-use allocations without a reference LeakSanitizer can see;
// they are the system library's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
