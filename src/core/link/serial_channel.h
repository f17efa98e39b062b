// serial_channel.h - SerialChannel, the one open port to the adapter, and its waits.
//
//   SerialOpen(port)          open COM1..COM4 (any other number: COM4), 115200 8N1, DTR up,
//                             send "at\r", wait 300 ms; true when the device opened, also
//                             when the driver refused 115200 8N1: that closed the port
//                             again, and the next SerialConfigure fails
//   SerialOpenSettingsRefused()  whether the last SerialOpen's 115200 8N1 was refused
//   SerialConfigure(s)        apply line settings; a refused setting closes the port and
//                             leaves the channel closed
//   SerialClose()             drop DTR, purge, close; true when a port was closed
//   SerialPurge()             discard what waits in both directions
//   SerialWrite(data, n)      true only when all n bytes (n > 0) were written
//   SerialRead(buf, limit)    bytes read (limit reached, 1 s after the last byte, or
//                             1 s + limit ms in all); a failed read shows "Receive Error!"
//   SerialReadReply(limit, leadMs, check)   PumpedWait(leadMs), then SerialReadText(limit);
//                             with EndReadsWhenWhole, one read that ends as soon as check
//                             finds the reply whole, never later than the two would
//   EndReadsWhenWhole         set by omniset-cli: its reads end with their replies; the
//                             window program keeps every wait and time-out whole
//   SerialIsOpen()            whether the channel holds a port
//   SerialLost()              whether the port went away under an exchange; that was told
//                             once ("COMn has been disconnected"), the channel let go of
//                             it, and from then on reads give nothing and writes fail,
//                             without further boxes, until the next SerialOpen or a
//                             SerialReopen that succeeds
//   SerialCheckLost()         SerialLost(), after asking the port whether it is still there
//                             (a port that went away while idle is told now, once)
//   SerialReopen()            after a loss: open the same COMn again (its link resolved
//                             anew) under the line settings last applied, DTR up, "at\r",
//                             300 ms; true when the channel holds the port again
//   SerialOpenFailure()       why the last SerialOpen or SerialReopen could not open
//   SerialPort() / SerialLineSettings()   the port and the line settings last applied
//   SerialOpenPath(path)      SerialOpen on a device named by its path instead of COMn
//   PumpedWait(ms)            wait until the tick count passes start + ms, dispatching events
//   BusyWait(ms)              the same without dispatching
//   LineDelay(n)              ms given to n characters: n * 15000 / ScanRate + 5, plus 1000
//                             when RememberedRate is 2400, plus 6000 when it is 600
#pragma once

#include "core/platform/serial_device.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace omniset {

using platform::LineSettings;

// The line settings every port is opened with.
inline constexpr LineSettings kOpenLineSettings{115200, 8, platform::ParityNone,
                                                platform::OneStopBit};

extern std::uint32_t ScanRate;       // rate of the detection entry being tried
extern std::uint32_t RememberedRate; // rate detection read from the settings file

bool SerialOpen(int port);
bool SerialConfigure(const LineSettings& settings);
bool SerialClose();
void SerialPurge();
bool SerialWrite(const char* data, int count);
bool SerialWrite(std::string_view data);
int SerialRead(char* buffer, int limit);
// SerialRead into a string (the bytes read, nothing else).
std::string SerialReadText(int limit);
extern bool EndReadsWhenWhole;
std::string SerialReadReply(int limit, int leadMs, const platform::ReplyCheck& check);
bool SerialIsOpen();
bool SerialLost();
bool SerialCheckLost();
bool SerialReopen();
const platform::OpenFailure& SerialOpenFailure();
bool SerialOpenSettingsRefused();
int SerialPort();
const LineSettings& SerialLineSettings();
bool SerialOpenPath(const QString& path);

void PumpedWait(int ms);
void BusyWait(int ms);
int LineDelay(int n);

} // namespace omniset
