// bench_download - the firmware transfer's data rate, rerunnable by anyone:
//   kx220-sim paced at 115200 8N1 on a pty (its --verbose transcript stamps every block it
//   accepts), a 256 KiB random image sent to its boot loader first by our sender, then by
//   lrzsz's `sx -k`, in the same run. Printed: the steady rate of each (bytes per second
//   while blocks flow, from the first accepted block to the last), against the line's
//   limit of 11 520 bytes/s and against each other, and our fixed tail (from the ACK of
//   the final frame to the ACK of the EOT that ends the transfer).
//
//   bench_download [rounds]      (default 1 round of both senders)
#include "core/app/app_state.h"
#include "core/download/xmodem_sender.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace omniset;
using namespace std::chrono;

namespace {

constexpr double kLineLimit = 11520.0; // 115200 bit/s, 10 bits a character
constexpr std::size_t kImageSize = 256 * 1024;
constexpr int kPromptMs = 3000;

std::string g_root;

std::string linkPath() { return g_root + "/config/omniset/dosdevices/com1"; }

// ---- kx220-sim with its transcript in a file ----

pid_t startSim(const std::string& log) {
    std::vector<std::string> args{KX220_SIM_PATH, "--com", "1", "--verbose", "--image",
                                  g_root + "/image.dl", "--store", g_root + "/store"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    struct stat st {};
    for (int i = 0; i < 500 && pid > 0 && ::stat(linkPath().c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(milliseconds(10));
    return pid;
}

// Milliseconds of day of each "block N accepted" line of the transcript since `from`.
struct Blocks {
    std::vector<double> times;
};

Blocks acceptedBlocks(const std::string& log, std::size_t& from) {
    std::ifstream in(log);
    std::string line;
    Blocks b;
    std::size_t n = 0;
    while (std::getline(in, line)) {
        if (n++ < from) continue;
        if (line.find("xmodem: block ") == std::string::npos ||
            line.find(" accepted") == std::string::npos)
            continue;
        int h = 0, m = 0, s = 0, ms = 0;
        if (std::sscanf(line.c_str(), "%d:%d:%d.%d", &h, &m, &s, &ms) == 4)
            b.times.push_back(((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms);
    }
    from = n;
    return b;
}

double steadyRate(const Blocks& b) {
    if (b.times.size() < 2) return 0;
    return double(b.times.size() - 1) * kx220::kXModemBlockSize /
           ((b.times.back() - b.times.front()) / 1000.0);
}

// ---- a raw terminal on the sim's pty, for sx ----

int openRaw() {
    int fd = ::open(linkPath().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

bool rawPrompt(int fd, std::string_view send, std::string_view prompt) {
    if (::write(fd, send.data(), send.size()) != ssize_t(send.size())) return false;
    std::string got;
    auto end = steady_clock::now() + milliseconds(kPromptMs);
    while (got.find(prompt) == std::string::npos && steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[256];
        auto n = ::read(fd, buf, sizeof buf);
        if (n > 0) got.append(buf, std::size_t(n));
    }
    return got.find(prompt) != std::string::npos;
}

// ---- the two senders ----

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool channelPrompt(std::string_view send, std::string_view prompt) {
    SerialPurge();
    SerialWrite(send);
    return SerialReadText(kx220::kPromptReplyLimit).find(prompt) != std::string::npos;
}

struct TailClock : TransferView {
    CXModemSender* sender = nullptr;
    steady_clock::time_point lastPack{};
    bool inLastPack = false;
    void showCounts(int, int) override {
        if (!inLastPack && sender->state() == CXModemSender::SEND_LASTPACK_STATE) {
            inLastPack = true;
            lastPack = steady_clock::now();
        }
    }
    void step() override {}
};

// Our sender through the boot loader dialogue; the fixed tail in ms, negative on failure.
double runOurs(const std::string& file) {
    if (!SerialOpen(1)) return -1;
    if (!channelPrompt(kx220::kDownloadStart, kx220::kDownloadPrompt) ||
        !channelPrompt(kx220::kDownloadYes, kx220::kSpeedPrompt) ||
        !channelPrompt(kx220::kDownloadYes, kx220::kWaitingPrompt)) {
        SerialClose();
        return -1;
    }
    CXModemSender sender(nullptr);
    sender.openFile(QString::fromStdString(file));
    TailClock tail;
    tail.sender = &sender;
    sender.setView(&tail);
    steady_clock::time_point done{};
    sender.setCompletion([&] { done = steady_clock::now(); });
    DownloadActive = 1;
    const bool ok = sender.Run();
    DownloadActive = 0;
    sender.setView(nullptr);
    SerialClose();
    if (!ok) return -1;
    return duration<double, std::milli>(done - tail.lastPack).count();
}

bool runSx(const std::string& file) {
    int fd = openRaw();
    if (fd < 0) return false;
    std::this_thread::sleep_for(milliseconds(300)); // the sim notices the host's settings
    bool ok = rawPrompt(fd, kx220::kDownloadStart, kx220::kDownloadPrompt) &&
              rawPrompt(fd, kx220::kDownloadYes, kx220::kSpeedPrompt) &&
              rawPrompt(fd, kx220::kDownloadYes, kx220::kWaitingPrompt);
    if (ok) {
        std::vector<std::string> args{"sx", "-k", file};
        std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fd, 0);
        posix_spawn_file_actions_adddup2(&fa, fd, 1);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        ok = posix_spawnp(&pid, "sx", &fa, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&fa);
        int status = -1;
        if (ok) ::waitpid(pid, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    // A scratch home: the simulator's port link and files go there, nowhere else.
    std::string tmpl = (QDir::tempPath() + "/bench-download-XXXXXX").toStdString();
    if (!::mkdtemp(tmpl.data())) return 1;
    g_root = tmpl;
    QDir().mkpath(QString::fromStdString(g_root + "/config/omniset/dosdevices"));
    ::setenv("XDG_CONFIG_HOME", (g_root + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_root + "/data").c_str(), 1);
    QCoreApplication app(argc, argv);

    const std::string file = g_root + "/image-source.dl";
    {
        std::mt19937 random(2024);
        std::string data(kImageSize, '\0');
        for (auto& c : data) c = char(random() & 0xFF);
        std::ofstream(file, std::ios::binary).write(data.data(), std::streamsize(data.size()));
    }
    const std::string log = g_root + "/sim.log";
    const pid_t sim = startSim(log);
    if (sim <= 0) {
        std::fprintf(stderr, "kx220-sim did not start\n");
        return 1;
    }
    std::printf("kx220-sim paced at 115200 8N1, image %zu bytes, line limit %.0f bytes/s\n",
                kImageSize, kLineLimit);
    std::size_t seen = 0;
    int failures = 0;
    for (int round = 1; round <= rounds; ++round) {
        acceptedBlocks(log, seen);
        const double cpu0 = cpuSeconds();
        const auto wall0 = steady_clock::now();
        const double tail = runOurs(file);
        const double cpu = cpuSeconds() - cpu0;
        const double wall = duration<double>(steady_clock::now() - wall0).count();
        const Blocks ours = acceptedBlocks(log, seen);
        std::this_thread::sleep_for(milliseconds(500));
        const bool sxOk = runSx(file);
        const Blocks sx = acceptedBlocks(log, seen);
        const double r1 = steadyRate(ours), r2 = steadyRate(sx);
        std::printf("round %d\n", round);
        std::printf("  ours    %3zu blocks  steady %8.1f bytes/s  %5.1f %% of the line%s\n",
                    ours.times.size(), r1, 100.0 * r1 / kLineLimit, tail < 0 ? "  FAILED" : "");
        std::printf("  sx -k   %3zu blocks  steady %8.1f bytes/s  %5.1f %% of the line%s\n",
                    sx.times.size(), r2, 100.0 * r2 / kLineLimit, sxOk ? "" : "  FAILED");
        std::printf("  ours / sx -k  %.3f\n", r2 > 0 ? r1 / r2 : 0.0);
        std::printf("  our fixed tail (final frame's ACK to the EOT's ACK) %.0f ms\n", tail);
        std::printf("  our process during its transfer: wall %.1f s, cpu %.2f s (%.1f %%)\n", wall,
                    cpu, 100.0 * cpu / wall);
        failures += (tail < 0) + !sxOk;
    }
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    QDir(QString::fromStdString(g_root)).removeRecursively();
    return failures ? 1 : 0;
}
