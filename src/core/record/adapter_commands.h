// adapter_commands.h - every command Omniset sends to the KX220 and every reply
// marker it relies on. No other file of the program spells these bytes.
//
//   readCommand(n) / writeCommand(n)   "AT&Yn\r" / "AT&Xn\r" for profile n (0..5)
//   quickDialQuery(n) / quickDialStore(n, digits)   slot n (0..3)
//   dateText / timeText are built by the General page from the PC clock.
//
// Plain C++ (no Qt), so that the simulated adapter answers to the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace kx220 {

// Sent once when a port is opened; no reply is read.
inline constexpr std::string_view kWakeUp = "at\r";

// Detection query; the reply (within kIdentifyReplyLimit bytes) contains the family name.
inline constexpr std::string_view kIdentify = "atq0e1v1i\r";
inline constexpr std::string_view kFamilyName = "Brantis";
inline constexpr int kIdentifyReplyLimit = 38;

// Profile access unlock: command, carriage return, five-letter access code, carriage return.
inline constexpr std::string_view kUnlockCommand = "AT&P\r";
inline constexpr std::string_view kAccessCode = "kzrqe";
inline constexpr std::string_view kUnlock = "AT&P\rkzrqe\r";

// Identification queries of the General page (and the version query of the sheet).
inline constexpr std::string_view kVersionQuery = "ati3\r";
inline constexpr std::string_view kPortTypeQuery = "ati4\r";
inline constexpr std::string_view kModelQuery = "ati6\r";
inline constexpr int kIdentReplyLimit = 50;
inline constexpr std::string_view kVersionWord = "Version";
inline constexpr std::string_view kModelWord = "Velmar";
inline constexpr std::string_view kCurrentVersion = "2.0";
// Older firmware numbers the version reply may carry, in the order they are tested
// after "1.6" and "2.0".
inline constexpr std::string_view kVersion16 = "1.6";
inline constexpr std::string_view kVersion15 = "1.5";
inline constexpr std::string_view kVersion12 = "1.2";
inline constexpr std::string_view kVersion13 = "1.3";
// The ISDN port type stands at these characters of the "ati4" reply (echo included).
inline constexpr int kPortTypeOffset = 28;
inline constexpr int kPortTypeWidth = 12;

// Profile read and write commands: "AT&Y0\r".."AT&Y5\r", "AT&X0\r".."AT&X5\r".
inline constexpr int kProfileCommandLength = 6;
inline std::string readCommand(int profile) { return "AT&Y" + std::to_string(profile) + "\r"; }
inline std::string writeCommand(int profile) { return "AT&X" + std::to_string(profile) + "\r"; }
// Acknowledgement of a profile write and of the factory reset.
inline constexpr std::string_view kOk = "OK";

// Quick-dial numbers, slots 0..3: query "at&zN?\r" (7 bytes, echoed), store "at&zN=digits\r".
inline constexpr int kQuickDialSlots = 4;
inline constexpr int kQuickDialReplyLimit = 40;
inline std::string quickDialQuery(int slot) { return "at&z" + std::to_string(slot) + "?\r"; }
inline std::string quickDialStore(int slot, std::string_view digits) {
    return "at&z" + std::to_string(slot) + "=" + std::string(digits) + "\r";
}

// Clock: date query, its prompt, its rejection; time likewise.
inline constexpr std::string_view kDateQuery = "at$q\r";
inline constexpr std::string_view kDatePrompt = "(mm-dd-yyyy):";
inline constexpr std::string_view kDateRejected = "Invalid date";
inline constexpr std::string_view kTimeQuery = "at$t\r";
inline constexpr std::string_view kTimePrompt = "Enter new time:";
inline constexpr std::string_view kTimeRejected = "Invalid time";
inline constexpr int kClockReplyLimit = 100;
// Date as month-day-year and time as hour:minute:second, decimal without leading zeros.
inline std::string dateText(int month, int day, int year) {
    return std::to_string(month) + "-" + std::to_string(day) + "-" + std::to_string(year) + "\r";
}
inline std::string timeText(int hour, int minute, int second) {
    return std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second) +
           "\r";
}

// Factory reset; the reply contains kOk on success.
inline constexpr std::string_view kFactoryReset = "at&f\r";

// Firmware download dialogue with the boot loader, then 1K-XModem.
inline constexpr std::string_view kDownloadStart = "at&l\r\n";
inline constexpr std::string_view kDownloadPrompt = "Are you sure to download?(Y/N)";
inline constexpr std::string_view kDownloadYes = "y";
inline constexpr std::string_view kSpeedPrompt = "with current speed? (y/n)";
inline constexpr std::string_view kWaitingPrompt = "Waiting...";
inline constexpr int kPromptReplyLimit = 1024;

// 1K-XModem control bytes.
inline constexpr unsigned char kSTX = 0x02;
inline constexpr unsigned char kEOT = 0x04;
inline constexpr unsigned char kACK = 0x06;
inline constexpr unsigned char kNAK = 0x15;
inline constexpr unsigned char kCAN = 0x18;
inline constexpr unsigned char kCRCStart = 'C';
inline constexpr int kXModemBlockSize = 1024;
inline constexpr int kXModemFrameLength = kXModemBlockSize + 5;

} // namespace kx220
