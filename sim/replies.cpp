#include "replies.h"

#include "core/record/adapter_commands.h"

#include <cstdio>

namespace kx220sim {

namespace {

namespace k = kx220;

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kEchoAti = 5;         // "ati3\r"
constexpr std::size_t kEchoClockQuery = 5;  // "at$q\r"

std::string str(std::string_view a) { return std::string(a); }

std::string formatted(const char* format, int a, int b, int c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

std::string dateOf(const std::tm& t) {
    return formatted("%02d-%02d-%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
}

std::string timeOf(const std::tm& t) {
    return formatted("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
}

} // namespace

std::string fitted(std::size_t echoLength, std::string_view head, std::string_view tail,
                   std::size_t total, Fill fill) {
    std::size_t have = echoLength + head.size() + tail.size();
    std::string out(head);
    if (fill == Fill::Limit && have < total) out.append(total - have, ' ');
    out.append(tail);
    return out;
}

std::string okReply() { return "\r\nOK\r\n"; }
std::string errorReply() { return "\r\nERROR\r\n"; }

std::string identifyReply(Fill fill) {
    if (fill == Fill::Shortest) return "\r\n" + str(k::kFamilyName) + "\r\nOK\r\n";
    return fitted(k::kIdentify.size(), "\r\n" + str(k::kFamilyName) + " KX220 ISDN", "\r\n\r\nOK\r\n",
                  k::kIdentifyReplyLimit, fill);
}

std::string versionReply(std::string_view version, Fill fill) {
    std::string line = "Brantis KX220 Firmware " + str(k::kVersionWord) + " " + str(version);
    return fitted(kEchoAti, kCrLf, line + "\r\n\r\nOK\r\n", k::kIdentReplyLimit, fill);
}

// The port type starts at character kPortTypeOffset of the reply, echo included.
std::string portTypeReply(Fill fill) {
    std::string head = fitted(kEchoAti, "\r\nISDN Interface Type:", "", k::kPortTypeOffset);
    return fitted(kEchoAti, head + str(kPortType), "\r\n\r\nOK\r\n", k::kIdentReplyLimit, fill);
}

std::string modelReply(Fill fill) {
    return fitted(kEchoAti, kCrLf, str(kModelText) + "\r\n\r\nOK\r\n", k::kIdentReplyLimit, fill);
}

std::string quickDialReply(std::string_view digits, Fill fill) {
    std::size_t echo = k::quickDialQuery(0).size();
    return fitted(echo, "\n" + str(digits), "\r\nOK\r\n", k::kQuickDialReplyLimit, fill);
}

std::string datePrompt(const std::tm& now, Fill fill) {
    std::string head = "\r\nCurrent date is " + dateOf(now) + "\r\n";
    return fitted(kEchoClockQuery, head, "Enter new date " + str(k::kDatePrompt) + " ",
                  k::kClockReplyLimit, fill);
}

std::string timePrompt(const std::tm& now, Fill fill) {
    std::string head = "\r\nCurrent time is " + timeOf(now) + "\r\n";
    return fitted(kEchoClockQuery, head, str(k::kTimePrompt) + " ", k::kClockReplyLimit, fill);
}

std::string dateAnswer(std::size_t echoLength, const std::tm& clock, bool accepted, Fill fill) {
    std::string head = accepted ? "\r\nDate set to " + dateOf(clock) : "\r\n" + str(k::kDateRejected);
    return fitted(echoLength, head, accepted ? "\r\nOK\r\n" : "\r\nERROR\r\n", k::kClockReplyLimit, fill);
}

std::string timeAnswer(std::size_t echoLength, const std::tm& clock, bool accepted, Fill fill) {
    std::string head = accepted ? "\r\nTime set to " + timeOf(clock) : "\r\n" + str(k::kTimeRejected);
    return fitted(echoLength, head, accepted ? "\r\nOK\r\n" : "\r\nERROR\r\n", k::kClockReplyLimit, fill);
}

std::string factoryResetReply(Fill fill) {
    return fitted(k::kFactoryReset.size(), "\r\nFactory settings restored", "\r\nOK\r\n",
                  k::kIdentReplyLimit, fill);
}

std::string accessPrompt() { return "\r\nAccess code: "; }
std::string downloadPrompt() { return "\r\nKX220 boot loader\r\n" + str(k::kDownloadPrompt); }
std::string speedPrompt() { return "\r\nDownload " + str(k::kSpeedPrompt); }
std::string waitingPrompt() { return "\r\n" + str(k::kWaitingPrompt); }
std::string downloadCancelled() { return "\r\nDownload cancelled\r\nOK\r\n"; }

} // namespace kx220sim
