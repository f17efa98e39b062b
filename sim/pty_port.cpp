#include "pty_port.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kx220sim {

namespace {

std::string failure(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string readLink(const std::string& path) {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace

PtyPort::~PtyPort() {
    unpublish();
    if (master_ >= 0) ::close(master_);
}

bool PtyPort::open(std::string* error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) return *error = failure("posix_openpt"), false;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return *error = failure("grantpt/unlockpt"), false;
    const char* name = ::ptsname(master_);
    if (!name) return *error = failure("ptsname"), false;
    slave_ = name;
    // Open and close the slave once: from then on the master reports a hang-up whenever
    // no host holds the slave, and the first host's open is visible.
    int slave = ::open(slave_.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) return *error = failure("open " + slave_), false;
    ::close(slave);
    return true;
}

bool PtyPort::publish(const std::string& link, std::string* error) {
    if (!makeParentDirectories(link, error)) return false;
    std::string temp = link + ".kx220-sim." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(slave_.c_str(), temp.c_str()) != 0) return *error = failure("symlink " + temp), false;
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        *error = failure("rename to " + link);
        ::unlink(temp.c_str());
        return false;
    }
    link_ = link;
    return true;
}

void PtyPort::unpublish() {
    if (link_.empty()) return;
    if (readLink(link_) == slave_) ::unlink(link_.c_str());
    link_.clear();
}

std::optional<termios> PtyPort::hostSettings() const {
    termios t{};
    if (::tcgetattr(master_, &t) != 0) return std::nullopt;
    return t;
}

bool lineMatches(const LineSpec& wanted, const termios& host) {
    if (::cfgetospeed(&host) != wanted.speed) return false;
    if (((host.c_cflag & CSTOPB) != 0) != (wanted.stopBits == 2)) return false;
    bool odd = host.c_cflag & PARODD, stick = host.c_cflag & CMSPAR;
    switch (wanted.parity) {
    case 'O': return odd && !stick;
    case 'M': return odd && stick;
    case 'S': return !odd && stick;
    default: return !odd && !stick; // N and E look alike on a pty
    }
}

std::string describe(const termios& host) {
    static const struct {
        speed_t speed;
        const char* text;
    } kSpeeds[] = {{B600, "600"},     {B1200, "1200"},   {B2400, "2400"},     {B4800, "4800"},
                   {B9600, "9600"},   {B19200, "19200"}, {B38400, "38400"},   {B57600, "57600"},
                   {B115200, "115200"}, {B230400, "230400"}};
    std::string out = "other speed";
    for (const auto& s : kSpeeds)
        if (::cfgetospeed(&host) == s.speed) out = s.text;
    bool odd = host.c_cflag & PARODD, stick = host.c_cflag & CMSPAR;
    out += stick ? (odd ? ",M" : ",S") : (odd ? ",O" : ",N/E");
    out += host.c_cflag & CSTOPB ? ",2" : ",1";
    return out;
}

std::string portLinkPath(int com) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string base = config && *config ? config : std::string(home ? home : ".") + "/.config";
    return base + "/omniset/dosdevices/com" + std::to_string(com);
}

bool makeParentDirectories(const std::string& path, std::string* error) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string dir = path.substr(0, slash);
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
            return *error = failure("mkdir " + dir), false;
    }
    return true;
}

} // namespace kx220sim
