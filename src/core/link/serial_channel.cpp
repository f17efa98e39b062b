#include "core/link/serial_channel.h"

#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/platform/clock.h"
#include "core/record/adapter_commands.h"

#include <memory>

namespace omniset {

std::uint32_t ScanRate = 115200;
std::uint32_t RememberedRate = 115200;

namespace {

std::unique_ptr<platform::SerialDevice> g_channel;
int g_port = 0;      // the port the channel holds (0: a device opened by its path)
QString g_path;      // that device's path
bool g_lost = false; // it went away under an exchange
LineSettings g_settings; // the line settings last applied (after detection: those found)
platform::OpenFailure g_openFailure;
bool g_openRefused = false; // the last open's default settings were refused

constexpr int kOpenSettleMs = 300;

// The port went away (unplugged, far end closed): say so once and let go of it, so that
// what follows fails quietly instead of raising a box per read.
bool dropIfLost() {
    if (!g_channel || !g_channel->lost()) return false;
    g_channel.reset();
    g_lost = true;
    const QString port = g_port ? QStringLiteral("COM%1").arg(g_port) : g_path;
    ownedBoxText(nullptr, LanguageMode == 1
                              ? QStringLiteral("%1 has been disconnected, please check the "
                                               "connection to KX220!").arg(port)
                              : QString::fromUtf8("串口%1已断开，请检查与KX220的连接！")
                                    .arg(g_port ? QString::number(g_port) : g_path));
    return true;
}

// Takes a freshly opened device as the channel: the default settings, DTR up, "at\r" and
// the settling wait. False only when there was no device. Default settings the driver
// refuses close the port again, yet the open counts as done: the next configuration
// fails, and its caller reports the port as one that cannot be set.
bool takeChannel(std::unique_ptr<platform::SerialDevice> device) {
    g_openRefused = false;
    g_channel = std::move(device);
    if (!g_channel) return false;
    if (!SerialConfigure(kOpenLineSettings)) g_openRefused = !g_channel && !g_lost;
    if (g_channel) {
        g_channel->setDtr(true);
        SerialWrite(kx220::kWakeUp);
    }
    BusyWait(kOpenSettleMs);
    return true;
}

} // namespace

bool SerialOpen(int port) {
    if (port < 1 || port > 4) port = 4;
    if (g_channel) SerialClose();
    g_lost = false;
    g_port = port;
    return takeChannel(platform::openSerialDevice(port, &g_openFailure));
}

bool SerialOpenPath(const QString& path) {
    if (g_channel) SerialClose();
    g_lost = false;
    g_port = 0; // no COMn: a loss is not reopened
    g_path = path;
    return takeChannel(platform::openSerialDevicePath(path, &g_openFailure));
}

bool SerialReopen() {
    if (!g_lost) return g_channel != nullptr;
    if (g_port == 0) return false; // a device opened by its path has no COMn to reopen
    g_channel = platform::openSerialDevice(g_port, &g_openFailure);
    if (!g_channel) return false;
    // Straight to the settings the adapter answered at: no other setting on the line.
    if (g_channel->configure(g_settings) != platform::ConfigureResult::Ok) {
        g_channel->close(); // still lost: nothing more to tell
        g_channel.reset();
        return false;
    }
    g_lost = false;
    g_channel->setDtr(true);
    SerialWrite(kx220::kWakeUp);
    BusyWait(kOpenSettleMs);
    return g_channel != nullptr;
}

bool SerialCheckLost() {
    if (g_channel && g_channel->checkLost()) dropIfLost();
    return g_lost;
}

const platform::OpenFailure& SerialOpenFailure() { return g_openFailure; }

bool SerialOpenSettingsRefused() { return g_openRefused; }

int SerialPort() { return g_port; }

const LineSettings& SerialLineSettings() { return g_settings; }

bool SerialConfigure(const LineSettings& settings) {
    if (!g_channel) return false;
    switch (g_channel->configure(settings)) {
    case platform::ConfigureResult::Ok: g_settings = settings; return true;
    case platform::ConfigureResult::StateUnreadable: dropIfLost(); return false;
    case platform::ConfigureResult::StateRefused:
        // The port is closed and the channel forgets it: nothing can use a dead handle.
        g_channel->close();
        g_channel.reset();
        return false;
    }
    return false;
}

bool SerialClose() {
    if (!g_channel) return false;
    g_channel->setDtr(false);
    g_channel->purge();
    bool closed = g_channel->close();
    g_channel.reset();
    return closed;
}

void SerialPurge() {
    if (g_channel) g_channel->purge();
}

bool SerialWrite(const char* data, int count) {
    if (!g_channel || count <= 0) return false;
    if (g_channel->write(data, count)) return true;
    dropIfLost();
    return false;
}

bool SerialWrite(std::string_view data) {
    return SerialWrite(data.data(), static_cast<int>(data.size()));
}

namespace {

// The bytes a read gave, after telling a loss or a failure.
int settleRead(int n) {
    if (dropIfLost()) return n > 0 ? n : 0; // what came before it went away counts
    if (n < 0) {
        appBox("串口接收错误!", "Receive Error!");
        return 0;
    }
    return n;
}

} // namespace

bool EndReadsWhenWhole = false;

int SerialRead(char* buffer, int limit) {
    if (g_lost) return 0; // told already
    return settleRead(g_channel ? g_channel->read(buffer, limit) : -1);
}

std::string SerialReadReply(int limit, int leadMs, const platform::ReplyCheck& check) {
    if (!EndReadsWhenWhole || g_lost || !g_channel) {
        if (leadMs > 0) PumpedWait(leadMs);
        return SerialReadText(limit);
    }
    std::string text(static_cast<std::size_t>(limit > 0 ? limit : 0), '\0');
    text.resize(static_cast<std::size_t>(
        settleRead(g_channel->readReply(text.data(), limit, leadMs, check))));
    return text;
}

std::string SerialReadText(int limit) {
    std::string text(static_cast<std::size_t>(limit > 0 ? limit : 0), '\0');
    text.resize(static_cast<std::size_t>(SerialRead(text.data(), limit)));
    return text;
}

bool SerialIsOpen() { return g_channel != nullptr; }

bool SerialLost() { return g_lost; }

void PumpedWait(int ms) {
    const std::uint64_t end = platform::tickCount() + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
    // Stop once the tick count is greater than start + ms.
    while (platform::tickCount() <= end) platform::waitForEvents(end + 1);
}

void BusyWait(int ms) {
    const std::uint64_t end = platform::tickCount() + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
    while (platform::tickCount() <= end) platform::sleepMs(end + 1 - platform::tickCount());
}

int LineDelay(int n) {
    std::uint64_t rate = ScanRate ? ScanRate : 1;
    auto d = static_cast<int>(static_cast<std::uint64_t>(n > 0 ? n : 0) * 15000 / rate + 5);
    if (RememberedRate == 2400) d += 1000;
    if (RememberedRate == 600) d += 6000;
    return d;
}

} // namespace omniset
