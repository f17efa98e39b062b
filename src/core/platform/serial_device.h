// serial_device.h - one open serial port with the blocking semantics the link relies on.
//
//   SerialDevice::configure(settings)  apply baud rate, data bits, parity and stop bits as
//                                      one change of the line; everything else (flow
//                                      control included) stays as the driver had it
//   SerialDevice::setDtr(on)           raise or drop DTR (devices without modem lines pass)
//   SerialDevice::write(data, n)       returns once every byte has left the driver, or
//                                      the write time-out passed: 1000 ms + n times the
//                                      larger of 1 ms and 1.5 character times at the
//                                      current settings (below 19200 baud a character
//                                      takes more than 1 ms); true when all left. What is
//                                      unsent at the time-out is discarded. Starts from a
//                                      clean state: an earlier failure does not fail it
//   SerialDevice::read(buf, limit)     returns when limit bytes came, 1000 ms after the last
//                                      byte, or 1000 + limit ms in all; -1 on failure
//   SerialDevice::readReply(buf, limit, leadMs, check)   a wait of leadMs and a read() in
//                                      one: never later than those two, and as soon as
//                                      check finds the reply whole (devices that cannot
//                                      look in between sleep and read)
//   SerialDevice::purge()              discard input and output, in every buffer
//   SerialDevice::close()              release the port
//   SerialDevice::lost()               the port went away (hung up, unplugged): it has
//                                      been released and every call on it fails at once
//   SerialDevice::checkLost()          lost(), after looking at the port once more
//   openSerialDevice(port, why)        open COMn (1..4) exclusively, keeping the driver's
//                                      flow control; nullptr when it fails, and *why says
//                                      why (the device, the kind of failure)
//   openErrorText(failure, english)    that reason in a few words, for a log line or an
//                                      error message (English by default, or Chinese)
//   setSerialOpener(fn)                replace the opener (tests: in-process fake devices)
//   openSerialDevicePath(path, why)    open a device by its path (/dev/serial/by-id/...),
//                                      exclusively; nullptr when it fails, *why says why
//   setConsolesFile(path)              where the kernel's console list is read (tests; an
//                                      empty path restores /proc/consoles)
//   setOutputQueueProbe(fn)            replace the count of bytes still in the driver's
//                                      output queue (tests: a stalled adapter); an empty
//                                      function restores the driver's own count
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace omniset::platform {

// Parity codes and stop-bit codes as the link layer uses them.
enum Parity : int { ParityNone = 0, ParityOdd = 1, ParityEven = 2, ParityMark = 3, ParitySpace = 4 };
enum StopBits : int { OneStopBit = 0, TwoStopBits = 2 };

struct LineSettings {
    std::uint32_t baudRate = 115200;
    int dataBits = 8;
    int parity = ParityNone;
    int stopBits = OneStopBit;
    bool operator==(const LineSettings&) const = default;
};

// Outcome of configure(): the port's state could not be read (the port stays usable), or
// the new state was refused (the caller must close the port).
enum class ConfigureResult { Ok, StateUnreadable, StateRefused };

// Fixed time-outs of every port.
inline constexpr int kReadIntervalMs = 1000;
inline constexpr int kReadTotalConstantMs = 1000;
inline constexpr int kWriteTotalConstantMs = 1000;

// How far a reply has come, from the bytes received so far: kReplyPartial while more
// must come, 0 when it is whole, or the milliseconds of quiet after which it is whole
// (a reply whose end only shows as the line falling silent).
using ReplyCheck = std::function<int(std::string_view received)>;
inline constexpr int kReplyPartial = -1;

// Why a port could not be opened.
enum class OpenError {
    None,
    DanglingLink,     // the COMn link leads nowhere
    NoDevice,         // no such device (or not a terminal)
    PermissionDenied, // the user may not open it
    InUse,            // another program holds it
    Console,          // it is the kernel's console: never used
    Other,
};

struct OpenFailure {
    OpenError kind = OpenError::None;
    std::string device; // the path tried (empty when there was none)
    std::string detail; // the system's own words, when it gave any
    int error = 0;      // the system's error number, when there was one
    std::string group;  // PermissionDenied: the device's group, when that group may open it
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    virtual ConfigureResult configure(const LineSettings& settings) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool write(const char* data, int count) = 0;
    virtual int read(char* buffer, int limit) = 0;
    virtual int readReply(char* buffer, int limit, int leadMs, const ReplyCheck& check);
    virtual void purge() = 0;
    virtual bool close() = 0;
    virtual bool lost() const { return false; }
    virtual bool checkLost() { return lost(); }
};

using SerialOpener = std::function<std::unique_ptr<SerialDevice>(int port, OpenFailure* why)>;

std::unique_ptr<SerialDevice> openSerialDevice(int port, OpenFailure* why = nullptr);
std::string openErrorText(const OpenFailure& failure, bool english = true);
void setSerialOpener(SerialOpener opener); // an empty function restores the real ports
std::unique_ptr<SerialDevice> openSerialDevicePath(const QString& path,
                                                  OpenFailure* why = nullptr);
void setConsolesFile(const std::string& path);
void setOutputQueueProbe(std::function<int(int fd)> probe);

// Releases every port the real opener holds (used when the process ends).
void releaseAllSerialDevices();

} // namespace omniset::platform
