#include "core/platform/process.h"

#include "core/platform/serial_device.h"

#include <cstdio>
#include <cstdlib>

namespace omniset::platform {

namespace {
std::function<void(int)>& hook() {
    static std::function<void(int)> fn;
    return fn;
}
bool g_ended = false;
} // namespace

void endProcess(int code) {
    g_ended = true;
    if (hook()) return hook()(code);
    // End at once, as the program's fatal paths require: no window is closed and no
    // destructor of a live window runs. Ports are released so their locks go with us.
    releaseAllSerialDevices();
    std::fflush(nullptr);
    std::_Exit(code);
}

void setExitHook(std::function<void(int)> fn) {
    hook() = std::move(fn);
    g_ended = false;
}

bool processEnded() { return g_ended; }

} // namespace omniset::platform
