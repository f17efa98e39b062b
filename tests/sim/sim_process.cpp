#include "sim_process.h"

#include "test_env.h"

#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace simtest {

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 5000;

std::string readLink(const std::string& path) {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, std::size_t(n));
}

} // namespace

SimProcess::~SimProcess() { stop(); }

std::string SimProcess::linkPath() const {
    return omniset::test::configDir().toStdString() + "/dosdevices/com" + std::to_string(com_);
}

std::string SimProcess::slavePath() const { return readLink(linkPath()); }

bool SimProcess::start(int com, const std::vector<std::string>& args) {
    com_ = com;
    omniset::test::makePortDangling(com);
    std::vector<std::string> all{KX220_SIM_PATH, "--com", std::to_string(com)};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    for (int waited = 0; waited < kStartTimeoutMs; waited += 10) {
        if (slavePath().rfind("/dev/pts/", 0) == 0) return true;
        if (!running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool SimProcess::running() {
    if (pid_ < 0) return false;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    pid_ = -1;
    return false;
}

int SimProcess::waitExit(int ms) {
    for (int waited = 0; pid_ >= 0 && waited <= ms; waited += 10) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

int SimProcess::stop() {
    if (pid_ < 0) return -1;
    ::kill(pid_, SIGTERM);
    int code = waitExit(kStopTimeoutMs);
    if (code == -1 && pid_ >= 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    return code;
}

HostPort::~HostPort() { close(); }

bool HostPort::open(const std::string& path, speed_t speed, char parity, bool twoStop) {
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return false;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    if (parity != 'N') t.c_cflag |= PARENB;
    if (parity == 'O' || parity == 'M') t.c_cflag |= PARODD;
    if (parity == 'M' || parity == 'S') t.c_cflag |= CMSPAR;
    if (twoStop) t.c_cflag |= CSTOPB;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
}

void HostPort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool HostPort::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

std::string HostPort::receive(std::size_t count, int ms) {
    using Clock = std::chrono::steady_clock;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    std::string out;
    while (out.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(left.count())) <= 0) break;
        char buffer[4096];
        ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
        if (n <= 0) break;
        out.append(buffer, std::size_t(n));
    }
    return out;
}

} // namespace simtest
