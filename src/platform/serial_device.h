// serial_device.h - one open serial port with the blocking semantics the link relies on.
//
//   SerialDevice::configure(settings)  apply baud rate, data bits, parity, stop bits
//   SerialDevice::setDtr(on)           raise or drop DTR (devices without modem lines pass)
//   SerialDevice::write(data, n)       returns once every byte has left, or the write
//                                      time-out (1000 + n ms) passed; true when all left
//   SerialDevice::read(buf, limit)     returns when limit bytes came, 1000 ms after the last
//                                      byte, or 1000 + limit ms in all; -1 on failure
//   SerialDevice::purge()              discard input and output, in every buffer
//   SerialDevice::close()              release the port
//   SerialDevice::lost()               the port went away (hung up, unplugged): it has
//                                      been released and every call on it fails at once
//   openSerialDevice(port)             open COMn (1..4) exclusively; nullptr when it fails
//   setSerialOpener(fn)                replace the opener (tests: in-process fake devices)
//   openSerialDevicePath(path)         open a device by its path (/dev/serial/by-id/...),
//                                      exclusively; nullptr when it fails
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

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

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    virtual ConfigureResult configure(const LineSettings& settings) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool write(const char* data, int count) = 0;
    virtual int read(char* buffer, int limit) = 0;
    virtual void purge() = 0;
    virtual bool close() = 0;
    virtual bool lost() const { return false; }
};

using SerialOpener = std::function<std::unique_ptr<SerialDevice>(int port)>;

std::unique_ptr<SerialDevice> openSerialDevice(int port);
void setSerialOpener(SerialOpener opener); // an empty function restores the real ports
std::unique_ptr<SerialDevice> openSerialDevicePath(const QString& path);

// Releases every port the real opener holds (used when the process ends).
void releaseAllSerialDevices();

} // namespace omniset::platform
