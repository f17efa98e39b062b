// The real serial ports: QSerialPort, wrapped to block as the link expects.
#include "serial_device.h"

#include "clock.h"
#include "paths.h"

#include <QSerialPort>

#include <algorithm>
#include <set>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace omniset::platform {

namespace {

class QtSerialDevice;
// Never destroyed: a port still held by a static (the link's channel) is closed by its
// destructor when the process exits, possibly after this set's own destructor would have
// run.
std::set<QtSerialDevice*>& openDevices() {
    static auto* devices = new std::set<QtSerialDevice*>;
    return *devices;
}

SerialOpener& opener() {
    static SerialOpener fn;
    return fn;
}

// Milliseconds on the real monotonic clock (the real ports run in real time even when a
// test replaces the program's clock).
std::int64_t realNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

class QtSerialDevice final : public SerialDevice {
  public:
    static std::unique_ptr<SerialDevice> open(const QString& path);
    ~QtSerialDevice() override { close(); }

    ConfigureResult configure(const LineSettings& settings) override;
    bool setDtr(bool on) override;
    bool write(const char* data, int count) override;
    int read(char* buffer, int limit) override;
    void purge() override;
    bool close() override;
    bool lost() const override { return lost_; }

  private:
    QtSerialDevice() = default;
    bool applyParity(int parity);
    bool failed() const;
    bool checkGone();

    QSerialPort port_;
    bool pty_ = false; // a pseudo-terminal carries bytes, not bits: no parity, no modem lines
    bool lost_ = false;
};

// A port whose device went away (the far end of a pty closed, a USB adapter pulled)
// reports a hang-up and stays readable for ever: it is released at once, so that neither
// the event loop nor a read spins on it.
bool QtSerialDevice::checkGone() {
    if (lost_) return true;
    if (!port_.isOpen()) return false;
#ifdef Q_OS_UNIX
    pollfd pfd{static_cast<int>(port_.handle()), POLLIN, 0};
    if (::poll(&pfd, 1, 0) < 0 || !(pfd.revents & (POLLHUP | POLLNVAL))) return false;
#else
    if (port_.error() != QSerialPort::ResourceError) return false;
#endif
    lost_ = true;
    openDevices().erase(this);
    port_.close();
    return true;
}

bool isPseudoTerminal(int fd) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143; // Unix98 pty slaves
#else
    Q_UNUSED(fd);
    return false;
#endif
}

std::unique_ptr<SerialDevice> QtSerialDevice::open(const QString& path) {
    if (path.isEmpty()) return nullptr;
    std::unique_ptr<QtSerialDevice> dev(new QtSerialDevice);
    dev->port_.setPortName(path);
    // QSerialPort keeps a lock file and asks the driver for exclusive use.
    if (!dev->port_.open(QIODevice::ReadWrite)) return nullptr;
#ifdef Q_OS_UNIX
    // The driver's exclusive mode does not stop root; an advisory lock on the device does
    // stop a second instance of the program.
    if (::flock(dev->port_.handle(), LOCK_EX | LOCK_NB) != 0) {
        dev->port_.close();
        return nullptr;
    }
#endif
    dev->pty_ = isPseudoTerminal(static_cast<int>(dev->port_.handle()));
    dev->port_.setReadBufferSize(0);
    // The hang-up of an idle port shows only as an error raised from the event loop.
    auto* raw = dev.get();
    QObject::connect(&dev->port_, &QSerialPort::errorOccurred, &dev->port_,
                     [raw](QSerialPort::SerialPortError e) {
                         if (e != QSerialPort::NoError) raw->checkGone();
                     });
    openDevices().insert(dev.get());
    return dev;
}

bool QtSerialDevice::failed() const {
    auto e = port_.error();
    return e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError ||
           e == QSerialPort::PermissionError || e == QSerialPort::NotOpenError;
}

bool QtSerialDevice::applyParity(int parity) {
#ifdef Q_OS_UNIX
    // Set all three parity flags ourselves: QSerialPort leaves PARODD and CMSPAR of an
    // earlier mark or space setting in place, which changes what the line carries.
    int fd = static_cast<int>(port_.handle());
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0) return false;
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case ParityOdd: tio.c_cflag |= PARENB | PARODD; break;
    case ParityEven: tio.c_cflag |= PARENB; break;
    case ParityMark: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case ParitySpace: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
#else
    static const QSerialPort::Parity codes[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                QSerialPort::SpaceParity};
    return port_.setParity(codes[std::clamp(parity, 0, 4)]);
#endif
}

ConfigureResult QtSerialDevice::configure(const LineSettings& s) {
    if (!port_.isOpen()) return ConfigureResult::StateUnreadable;
#ifdef Q_OS_UNIX
    termios probe {};
    if (::tcgetattr(static_cast<int>(port_.handle()), &probe) != 0) {
        checkGone();
        return ConfigureResult::StateUnreadable;
    }
#endif
    bool ok = port_.setBaudRate(static_cast<qint32>(s.baudRate));
    ok = port_.setStopBits(s.stopBits == TwoStopBits ? QSerialPort::TwoStop
                                                     : QSerialPort::OneStop) && ok;
    bool bitsOk =
        port_.setDataBits(s.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    bool parityOk = applyParity(s.parity);
    // A pty keeps 8 data bits and no parity whatever is asked and reports the request as
    // refused although it applied everything else: not a failure there.
    if (!pty_) ok = ok && bitsOk && parityOk;
    port_.clearError();
    return ok ? ConfigureResult::Ok : ConfigureResult::StateRefused;
}

bool QtSerialDevice::setDtr(bool on) {
    bool ok = port_.setDataTerminalReady(on);
    port_.clearError();
    return ok || pty_; // a pty has no modem lines
}

bool QtSerialDevice::write(const char* data, int count) {
    if (!port_.isOpen() || count <= 0) return false;
    const std::int64_t deadline = realNow() + kWriteTotalConstantMs + count;
    if (port_.write(data, count) != count) {
        port_.clearError();
        return false;
    }
    while (port_.bytesToWrite() > 0) {
        auto left = deadline - realNow();
        if (left <= 0 || failed()) break;
        port_.waitForBytesWritten(static_cast<int>(left));
        if (lost_) return false;
    }
    if (failed() && checkGone()) return false;
    if (port_.bytesToWrite() > 0) {
        // Timed out: what did not leave is dropped, as a timed-out write would.
        port_.clear(QSerialPort::Output);
        port_.clearError();
        return false;
    }
#ifdef Q_OS_UNIX
    // Return only when the driver has put every byte on the line, so that a purge that
    // follows never drops output that is still queued.
    ::tcdrain(static_cast<int>(port_.handle()));
#endif
    return true;
}

int QtSerialDevice::read(char* buffer, int limit) {
    if (!port_.isOpen()) return -1;
    if (limit <= 0) return 0;
    const std::int64_t totalDeadline = realNow() + kReadTotalConstantMs + limit;
    std::int64_t intervalDeadline = totalDeadline; // no interval limit before the first byte
    int got = 0;
    while (got < limit) {
        auto n = port_.read(buffer + got, limit - got);
        if (n < 0 || failed()) {
            checkGone();
            return got > 0 ? got : -1;
        }
        if (n > 0) {
            got += static_cast<int>(n);
            intervalDeadline = realNow() + kReadIntervalMs;
            continue;
        }
        auto left = std::min(totalDeadline, intervalDeadline) - realNow();
        if (left <= 0) break;
        bool ready = port_.waitForReadyRead(static_cast<int>(left));
        // A hung-up port is "ready" at once with nothing to read.
        if (failed() || lost_ || (!ready && checkGone())) {
            checkGone();
            return got > 0 ? got : -1;
        }
    }
    return got;
}

void QtSerialDevice::purge() {
    if (port_.isOpen() && !checkGone()) port_.clear(QSerialPort::AllDirections);
    port_.clearError();
}

bool QtSerialDevice::close() {
    openDevices().erase(this);
    if (!port_.isOpen()) return false;
    port_.close();
    return true;
}

} // namespace

std::unique_ptr<SerialDevice> openSerialDevice(int port) {
    if (opener()) return opener()(port);
    return QtSerialDevice::open(resolvePortDevice(port));
}

void setSerialOpener(SerialOpener fn) { opener() = std::move(fn); }

std::unique_ptr<SerialDevice> openSerialDevicePath(const QString& path) {
    return QtSerialDevice::open(path);
}

void releaseAllSerialDevices() {
    auto devices = openDevices();
    for (auto* dev : devices) dev->close();
}

} // namespace omniset::platform
