// bench_link - figures of the device link, rerunnable by anyone:
//   * CPU time of PumpedWait(2000) and BusyWait(300) as a share of their wall time
//   * wall time of ReadProfile of a 326-byte record at 115200 baud over a pty, against a
//     responder that answers at once, next to the wait the exchange is given
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace omniset;
using namespace std::chrono;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <class F> void cpuShare(const char* what, F wait) {
    auto c0 = cpuSeconds();
    auto t0 = steady_clock::now();
    wait();
    double wall = duration<double>(steady_clock::now() - t0).count();
    double cpu = cpuSeconds() - c0;
    std::printf("%-16s wall %7.1f ms  cpu %6.2f ms  share %5.2f %%\n", what, wall * 1e3, cpu * 1e3,
                100.0 * cpu / wall);
}

// The far end: echo each profile read command followed by the record, at once.
void respond(int master, const std::string& reply, std::atomic<bool>& stop) {
    std::string seen;
    while (!stop) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char buf[256];
        auto n = ::read(master, buf, sizeof buf);
        if (n <= 0) continue;
        seen.append(buf, static_cast<std::size_t>(n));
        if (auto at = seen.find("AT&Y5\r"); at != std::string::npos) {
            seen.erase(0, at + 6);
            std::string out = "AT&Y5\r" + reply;
            if (::write(master, out.data(), out.size()) < 0) return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // A private config dir so that COM1 can be pointed at our own pty.
    QString home = QDir::tempPath() + "/omniset-bench-" + QString::number(::getpid());
    qputenv("XDG_CONFIG_HOME", home.toUtf8());
    QDir().mkpath(platform::configDir() + "/dosdevices");

    cpuShare("PumpedWait(2000)", [] { PumpedWait(2000); });
    cpuShare("BusyWait(300)", [] { BusyWait(300); });

    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) || ::unlockpt(master)) return 1;
    QFile::link(QString::fromLocal8Bit(::ptsname(master)), platform::portLinkPath(1));

    ProfileRecord record(kLongProfileLength);
    for (int i = 0; i < record.length(); ++i) record.setByte(i, static_cast<std::uint8_t>(i * 7));
    std::atomic<bool> stop{false};
    std::thread far(respond, master, encodeProfileHex(record) + "\r\n\r\nOK\r\n", std::ref(stop));

    if (!SerialOpen(1)) return 1;
    AllocateProfile(kLongProfileLength);
    const int given = 2 * (LineDelay(2 * kLongProfileLength + 2) + 200);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    double best = 1e9, sum = 0;
    for (int i = 0; i < runs; ++i) {
        auto t0 = steady_clock::now();
        bool ok = ReadProfile("AT&Y5\r");
        double ms = duration<double, std::milli>(steady_clock::now() - t0).count();
        if (!ok) std::printf("read %d failed\n", i);
        best = std::min(best, ms);
        sum += ms;
    }
    std::printf("ReadProfile(326 bytes, 115200): given wait %d ms, mean %.1f ms, best %.1f ms, "
                "over the wait %.1f ms (mean)\n",
                given, sum / runs, best, sum / runs - given);
    stop = true;
    far.join();
    SerialClose();
    QDir(home).removeRecursively();
    return 0;
}
