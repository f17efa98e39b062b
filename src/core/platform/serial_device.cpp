// The real serial ports: terminal devices driven with the system's own calls (open, termios,
// poll), blocking as the link expects and never longer than its time-outs.
#include "core/platform/serial_device.h"

#include "core/platform/clock.h"
#include "core/platform/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace omniset::platform {

namespace {

constexpr char kProcConsoles[] = "/proc/consoles";
// Device numbers the kernel gives terminals.
constexpr unsigned kVirtualConsoleMajor = 4; // tty0..tty63 (and ttyS*, minors 64 up)
constexpr unsigned kLastVirtualConsoleMinor = 63;
constexpr unsigned kTtyAuxMajor = 5;         // /dev/console is 5:1
constexpr unsigned kConsoleMinor = 1;
constexpr unsigned kFirstPtyMajor = 136;     // Unix98 pty slaves: 136..143
constexpr unsigned kLastPtyMajor = 143;
// How often a write looks whether the driver's output queue has emptied.
constexpr int kDrainPollMs = 2;

class PosixSerialDevice;
// Never destroyed: a port still held by a static (the link's channel) is closed by its
// destructor when the process exits, possibly after this set's own destructor would have
// run.
std::set<PosixSerialDevice*>& openDevices() {
    static auto* devices = new std::set<PosixSerialDevice*>;
    return *devices;
}

SerialOpener& opener() {
    static SerialOpener fn;
    return fn;
}

std::string& consolesFile() {
    static std::string path = kProcConsoles;
    return path;
}

std::function<int(int)>& queueProbe() {
    static std::function<int(int)> fn;
    return fn;
}

// Milliseconds on the real monotonic clock (the real ports run in real time even when a
// test replaces the program's clock).
std::int64_t realNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int pollFor(int fd, short events, std::int64_t ms) {
    pollfd pfd{fd, events, 0};
    int r = ::poll(&pfd, 1, static_cast<int>(std::max<std::int64_t>(ms, 0)));
    return r > 0 ? pfd.revents : 0;
}

// The device numbers of the kernel's consoles. Each line of the list ends with the
// device's major:minor; a line without them is looked up under /dev by its name. tty0
// stands for whichever virtual console is in front: all of them count.
std::set<dev_t> consoleDevices() {
    std::set<dev_t> devices{makedev(kTtyAuxMajor, kConsoleMinor)};
    std::ifstream in(consolesFile());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name, word, last;
        words >> name;
        while (words >> word) last = word;
        unsigned major = 0, minor = 0;
        char colon = 0;
        std::istringstream numbers(last);
        dev_t dev = 0;
        if (numbers >> major >> colon >> minor && colon == ':') {
            dev = makedev(major, minor);
        } else {
            struct stat st {};
            if (name.empty() || ::stat(("/dev/" + name).c_str(), &st) != 0) continue;
            dev = st.st_rdev;
        }
        devices.insert(dev);
        if (::major(dev) == kVirtualConsoleMajor && ::minor(dev) == 0)
            for (unsigned m = 1; m <= kLastVirtualConsoleMinor; ++m)
                devices.insert(makedev(kVirtualConsoleMajor, m));
    }
    return devices;
}

OpenError errorKind(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return OpenError::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK: return OpenError::InUse;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTTY: return OpenError::NoDevice;
    default: return OpenError::Other;
    }
}

speed_t speedCode(std::uint32_t rate) {
    switch (rate) {
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return 0;
    }
}

std::uint32_t rateOf(speed_t code) {
    for (std::uint32_t rate : {600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u,
                               115200u, 230400u})
        if (speedCode(rate) == code) return rate;
    return 0;
}

// What a write is given per byte, in microseconds: 1 ms, or half as much again as one
// character takes on the line (start bit, data bits, parity bit, stop bits) when that is
// longer, so that a write at 9600 baud and below is not cut off while the line still
// carries it.
std::int64_t writeMicrosPerByte(const termios& tio) {
    constexpr std::int64_t kMinMicros = 1000;
    const std::uint32_t rate = rateOf(::cfgetospeed(&tio));
    if (rate == 0) return kMinMicros;
    int bits = 1 + 1; // start and stop bit
    switch (tio.c_cflag & CSIZE) {
    case CS5: bits += 5; break;
    case CS6: bits += 6; break;
    case CS7: bits += 7; break;
    default: bits += 8; break;
    }
    if (tio.c_cflag & PARENB) bits += 1;
    if (tio.c_cflag & CSTOPB) bits += 1;
    const std::int64_t micros = (std::int64_t{3} * bits * 1000000 + rate) / (2 * std::int64_t{rate});
    return std::max(kMinMicros, micros);
}

int driverOutputQueue(int fd) {
    if (queueProbe()) return queueProbe()(fd);
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

class PosixSerialDevice final : public SerialDevice {
  public:
    static std::unique_ptr<SerialDevice> open(const std::string& path, OpenFailure* why);
    ~PosixSerialDevice() override { close(); }

    ConfigureResult configure(const LineSettings& settings) override;
    bool setDtr(bool on) override;
    bool write(const char* data, int count) override;
    int read(char* buffer, int limit) override { return readReply(buffer, limit, 0, {}); }
    int readReply(char* buffer, int limit, int leadMs, const ReplyCheck& check) override;
    void purge() override;
    bool close() override;
    bool lost() const override { return lost_; }
    bool checkLost() override;

  private:
    PosixSerialDevice() = default;
    void markLost();
    void watchIdle();

    int fd_ = -1;
    bool pty_ = false; // a pseudo-terminal carries bytes, not bits: no parity, no modem lines
    bool lost_ = false;
    std::int64_t writeMicros_ = 1000; // a write's time per byte at the current settings
    termios found_{};  // the driver's settings before the open: put back by close()
    bool owned_ = false; // found_ is known and the port is ours to put back
    std::unique_ptr<QSocketNotifier> idleWatch_;
};

// A port whose device went away (the far end of a pty closed, a USB adapter pulled)
// reports a hang-up and stays readable for ever: it is released at once, so that neither
// the event loop nor a read spins on it.
bool PosixSerialDevice::checkLost() {
    if (lost_) return true;
    if (fd_ < 0) return false;
    if (!(pollFor(fd_, POLLIN, 0) & (POLLHUP | POLLNVAL))) return false;
    markLost();
    return true;
}

void PosixSerialDevice::markLost() {
    lost_ = true;
    openDevices().erase(this);
    if (idleWatch_) idleWatch_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
}

// While nothing is read, the hang-up of an idle port shows only to the event loop: a
// notifier looks at the port when it becomes readable. Bytes that wait for the next
// exchange switch it off until that exchange has read or purged them.
void PosixSerialDevice::watchIdle() {
    if (fd_ < 0) return;
    if (!idleWatch_) {
        if (!QCoreApplication::instance()) return;
        idleWatch_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(idleWatch_.get(), &QSocketNotifier::activated, idleWatch_.get(),
                         [this] {
                             if (!checkLost() && idleWatch_) idleWatch_->setEnabled(false);
                         });
    }
    idleWatch_->setEnabled(true);
}

std::unique_ptr<SerialDevice> PosixSerialDevice::open(const std::string& path, OpenFailure* why) {
    auto fail = [&](OpenError kind, int error) -> std::unique_ptr<SerialDevice> {
        if (why) *why = {kind, path, error ? std::strerror(error) : std::string(), error, {}};
        return nullptr;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        // A link whose target is missing (a by-id name of an unplugged adapter): name where
        // it leads.
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (error == ENOENT && n > 0) {
            if (why) *why = {OpenError::DanglingLink, std::string(target, static_cast<std::size_t>(n)), {}, error, {}};
            return nullptr;
        }
        return fail(errorKind(error), error);
    }
    if (!S_ISCHR(st.st_mode)) return fail(OpenError::NoDevice, ENOTTY);
    // Never talk to the system console: what is typed there is not the adapter's.
    if (consoleDevices().count(st.st_rdev)) return fail(OpenError::Console, 0);

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        fail(errorKind(error), error);
        // The group to join, when membership would let the user in.
        const bool groupMayOpen = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
        if (why && why->kind == OpenError::PermissionDenied && groupMayOpen)
            if (const group* g = ::getgrgid(st.st_gid)) why->group = g->gr_name;
        return nullptr;
    }
    std::unique_ptr<PosixSerialDevice> dev(new PosixSerialDevice);
    dev->fd_ = fd;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        int error = errno;
        return fail(errorKind(error == EINVAL ? ENOTTY : error), error);
    }
    // The driver's exclusive mode keeps other users out; it does not stop root, which an
    // advisory lock on the device does (a second instance of the program).
    ::ioctl(fd, TIOCEXCL);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(OpenError::InUse, EWOULDBLOCK);
    dev->found_ = tio;
    dev->owned_ = true;
    dev->pty_ = major(st.st_rdev) >= kFirstPtyMajor && major(st.st_rdev) <= kLastPtyMajor;

    // Bytes as they are, in both directions: no line editing, echo, signals or character
    // translation. The line format (rate, bits, parity, stop bits) and the flow control
    // (CRTSCTS, IXON, IXOFF) stay as the driver has them.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail(errorKind(errno), errno);
    dev->writeMicros_ = writeMicrosPerByte(tio);
    dev->watchIdle();
    openDevices().insert(dev.get());
    return dev;
}

ConfigureResult PosixSerialDevice::configure(const LineSettings& s) {
    if (fd_ < 0) return ConfigureResult::StateUnreadable;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        checkLost();
        return ConfigureResult::StateUnreadable;
    }
    const speed_t speed = speedCode(s.baudRate);
    if (speed == 0) return ConfigureResult::StateRefused;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
    if (s.stopBits == TwoStopBits) tio.c_cflag |= CSTOPB;
    switch (s.parity) {
    case ParityOdd: tio.c_cflag |= PARENB | PARODD; break;
    case ParityEven: tio.c_cflag |= PARENB; break;
    case ParityMark: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case ParitySpace: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    // One change of the line: rate, bits, parity and stop bits together.
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return checkLost() ? ConfigureResult::StateUnreadable : ConfigureResult::StateRefused;
    // The call succeeds when any part was applied: look at what the driver took. A pty
    // keeps 8 data bits and no parity enable, which is not a failure there.
    termios now{};
    if (::tcgetattr(fd_, &now) != 0) return ConfigureResult::StateRefused;
    tcflag_t format = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;
    if (pty_) format = CSTOPB | PARODD | CMSPAR;
    if ((now.c_cflag & format) != (tio.c_cflag & format) || ::cfgetospeed(&now) != speed)
        return ConfigureResult::StateRefused;
    writeMicros_ = writeMicrosPerByte(tio);
    return ConfigureResult::Ok;
}

bool PosixSerialDevice::setDtr(bool on) {
    if (fd_ < 0) return false;
    int line = TIOCM_DTR;
    bool ok = ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
    return ok || pty_; // a pty has no modem lines
}

// The bytes go into the driver as it takes them, then the write waits until the driver
// has put them on the line; both within the one time-out, 1000 ms and the line time of the
// bytes (at least 1 ms each), so that an adapter that stalls the line (flow control held,
// a USB adapter that stopped taking data) holds the program no longer than that. What is
// still unsent at the deadline is discarded: the write failed, and nothing of it arrives
// later in the middle of another exchange.
bool PosixSerialDevice::write(const char* data, int count) {
    if (fd_ < 0 || count <= 0) return false;
    const std::int64_t deadline =
        realNow() + kWriteTotalConstantMs + (count * writeMicros_ + 999) / 1000;
    auto timedOut = [this] {
        ::tcflush(fd_, TCOFLUSH);
        return false;
    };
    int done = 0;
    while (done < count) {
        auto n = ::write(fd_, data + done, static_cast<std::size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            checkLost();
            return false;
        }
        const auto left = deadline - realNow();
        if (left <= 0) return timedOut();
        if (pollFor(fd_, POLLOUT, left) & (POLLHUP | POLLERR | POLLNVAL)) {
            if (checkLost()) return false;
        }
    }
    while (driverOutputQueue(fd_) > 0) {
        const auto left = deadline - realNow();
        if (left <= 0) return timedOut();
        pollFor(-1, 0, std::min<std::int64_t>(left, kDrainPollMs)); // a plain sleep
        if (checkLost()) return false;
    }
    return true;
}

// The lead is a wait the caller would make before reading: the read that follows it would
// start at leadEnd, so the interval limit never ends the read before leadEnd + 1000 ms, and
// without a check (or with one that never finds the reply whole) this returns what the wait
// and read() would have. A whole reply ends it at once, or after its quiet time.
int PosixSerialDevice::readReply(char* buffer, int limit, int leadMs, const ReplyCheck& check) {
    if (fd_ < 0) return -1;
    if (limit <= 0) return 0;
    const std::int64_t leadEnd = realNow() + std::max(leadMs, 0);
    const std::int64_t totalDeadline = leadEnd + kReadTotalConstantMs + limit;
    std::int64_t intervalDeadline = totalDeadline; // no interval limit before the first byte
    int got = 0;
    auto gone = [&] { return got > 0 ? got : -1; };
    while (got < limit) {
        auto n = ::read(fd_, buffer + got, static_cast<std::size_t>(limit - got));
        if (n > 0) {
            got += static_cast<int>(n);
            const std::int64_t now = realNow();
            intervalDeadline = std::max(now, leadEnd) + kReadIntervalMs;
            if (check) {
                const int quiet = check(std::string_view(buffer, static_cast<std::size_t>(got)));
                if (quiet == 0) break;
                if (quiet > 0) intervalDeadline = std::min(intervalDeadline, now + quiet);
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            checkLost();
            return gone();
        }
        // Nothing waits (or the end of a hung-up line).
        if (checkLost()) return gone();
        const auto left = std::min(totalDeadline, intervalDeadline) - realNow();
        if (left <= 0) break;
        const int events = pollFor(fd_, POLLIN, left);
        if (events & (POLLHUP | POLLERR | POLLNVAL) && (checkLost() || !(events & POLLHUP)))
            return gone();
    }
    watchIdle();
    return got;
}

void PosixSerialDevice::purge() {
    if (fd_ < 0 || checkLost()) return;
    ::tcflush(fd_, TCIOFLUSH);
    watchIdle();
}

bool PosixSerialDevice::close() {
    openDevices().erase(this);
    idleWatch_.reset();
    if (fd_ < 0) return false;
    // Leave the port as the driver had it (flow control, line format, modes).
    if (owned_) ::tcsetattr(fd_, TCSANOW, &found_);
    bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

} // namespace

// Devices that cannot look at a reply while it arrives make the wait, then the read.
int SerialDevice::readReply(char* buffer, int limit, int leadMs, const ReplyCheck&) {
    if (leadMs > 0) sleepMs(static_cast<std::uint64_t>(leadMs));
    return read(buffer, limit);
}

std::unique_ptr<SerialDevice> openSerialDevice(int port, OpenFailure* why) {
    OpenFailure ignored;
    if (!why) why = &ignored;
    *why = {};
    if (opener()) return opener()(port, why);
    const QString path = resolvePortDevice(port);
    if (path.isEmpty()) {
        // The COMn link dangles: name where it leads.
        *why = {OpenError::DanglingLink,
                QFile::encodeName(QFileInfo(portLinkPath(port)).symLinkTarget()).toStdString(),
                {}, ENOENT, {}};
        return nullptr;
    }
    return PosixSerialDevice::open(QFile::encodeName(path).toStdString(), why);
}

std::string openErrorText(const OpenFailure& f, bool english) {
    auto pick = [english](const char* zh, const char* en) { return std::string(english ? en : zh); };
    switch (f.kind) {
    case OpenError::None: return pick("已打开", "opened");
    case OpenError::DanglingLink:
        return pick("它的链接指向 ", "its link leads to ") + f.device +
               pick("，该设备不存在", ", which does not exist");
    case OpenError::NoDevice:
        if (f.error == ENOENT) return f.device + pick(": 不存在", ": does not exist");
        if (f.error == ENOTTY)
            return f.device + pick(": 不是串口设备 (不是字符设备或终端)",
                                   ": not a serial device (no character device or terminal)");
        return f.device + pick(": 没有这个串口设备", ": no such serial device");
    case OpenError::PermissionDenied: {
        const std::string group = f.group.empty() ? "dialout" : f.group;
        return f.device +
               (english ? ": permission denied (serial ports belong to the " + group +
                              " group: add your user to it, e.g. sudo adduser $USER " + group +
                              ", then log in again)"
                        : ": 没有权限 (串口属于用户组 " + group + "，请把您的用户加入该组，例如 "
                              "sudo adduser $USER " + group + "，然后重新登录)");
    }
    case OpenError::InUse: return f.device + pick(": 正被另一个程序使用", ": in use by another program");
    case OpenError::Console: return f.device + pick(" 是系统控制台: 不使用", " is the system console: not used");
    case OpenError::Other: break;
    }
    return f.device + pick(": 无法打开", ": cannot be opened") +
           (f.detail.empty() ? "" : " (" + f.detail + ")");
}

void setSerialOpener(SerialOpener fn) { opener() = std::move(fn); }

std::unique_ptr<SerialDevice> openSerialDevicePath(const QString& path, OpenFailure* why) {
    OpenFailure ignored;
    return PosixSerialDevice::open(QFile::encodeName(path).toStdString(), why ? why : &ignored);
}

void setConsolesFile(const std::string& path) {
    consolesFile() = path.empty() ? std::string(kProcConsoles) : path;
}

void setOutputQueueProbe(std::function<int(int fd)> probe) { queueProbe() = std::move(probe); }

void releaseAllSerialDevices() {
    auto devices = openDevices();
    for (auto* dev : devices) dev->close();
}

} // namespace omniset::platform
