#include "adapter_engine.h"

#include "atomic_file.h"
#include "clock_entry.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_layout.h"
#include "hex_text.h"
#include "replies.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <utility>

namespace kx220sim {

namespace {

namespace k = kx220;

constexpr std::array<std::string_view, 6> kFirmwareVersions{"1.2", "1.3", "1.5", "1.6", "1.62", "2.0"};
constexpr std::size_t kLogLimit = 96; // longer exchanges are shortened in the transcript

std::string upper(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A command as typed, without its line end, in upper case.
std::string commandWord(std::string_view command) {
    while (!command.empty() && (command.back() == '\r' || command.back() == '\n'))
        command.remove_suffix(1);
    return upper(command);
}

std::string escaped(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < kLogLimit; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    if (bytes.size() > kLogLimit) out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

// Line noise: one bit flipped at position `at` (nothing when the text is shorter).
void flipBit(std::string& text, std::size_t at) {
    if (at < text.size()) text[at] = static_cast<char>(text[at] ^ 0x01);
}

bool isDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool knownFirmware(std::string_view version) {
    return std::find(kFirmwareVersions.begin(), kFirmwareVersions.end(), version) !=
           kFirmwareVersions.end();
}

int profileLengthFor(std::string_view version) {
    return version == k::kCurrentVersion ? omniset::kLongProfileLength : omniset::kShortProfileLength;
}

AdapterEngine::AdapterEngine(EngineSettings settings)
    : settings_(std::move(settings)), firmware_(settings_.firmware),
      store_(settings_.storePath, profileLengthFor(firmware_)) {
    if (!settings_.wallClock) settings_.wallClock = [] { return std::time(nullptr); };
    if (!settings_.storePath.empty()) storeLoaded_ = store_.load(&storeError_);
}

// ---- plumbing ----

void AdapterEngine::send(std::string_view bytes) { out_.append(bytes); }

void AdapterEngine::reply(std::string bytes) {
    note("sim:  " + escaped(bytes));
    send(bytes);
}

void AdapterEngine::note(const std::string& text) {
    if (log_) log_(text);
}

void AdapterEngine::persist() {
    if (settings_.storePath.empty()) return;
    if (!store_.save(&storeError_)) note("store: " + storeError_);
}

int AdapterEngine::countExchange(Exchange kind) { return ++exchanges_[int(kind)]; }

bool AdapterEngine::vanishesAt(Exchange kind, int nth) {
    const FaultPoint& point = settings_.faults.vanish;
    if (point.at != kind || point.nth != nth) return false;
    note("fault: the adapter vanishes");
    vanished_ = silenced_ = true;
    return true;
}

bool AdapterEngine::noisyAt(Exchange kind, int nth) const {
    const FaultPoint& point = settings_.faults.noise;
    return point.at == kind && point.nth == nth;
}

std::tm AdapterEngine::adapterClock() const {
    std::time_t t = settings_.wallClock() + clockOffset_;
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

Millis AdapterEngine::deadline() const {
    Millis next = kNever;
    for (const auto& d : delayed_) next = std::min(next, d.first);
    if (mode_ == Mode::HexText) {
        bool complete = line_.size() >= std::size_t(2 * (profileLength() + 1));
        next = std::min(next, lastByte_ + (complete ? kHexEndGrace : kHexIdleTimeout));
    }
    if (mode_ == Mode::XModem) next = std::min(next, xmodem_->deadline());
    return next;
}

std::string AdapterEngine::receive(std::string_view bytes, Millis now) {
    for (char c : bytes) onByte(c, now);
    return std::exchange(out_, {});
}

std::string AdapterEngine::tick(Millis now) {
    if (silenced_) return {};
    auto due = std::stable_partition(delayed_.begin(), delayed_.end(),
                                     [now](const auto& d) { return d.first > now; });
    for (auto it = due; it != delayed_.end(); ++it) reply(it->second);
    delayed_.erase(due, delayed_.end());
    if (mode_ == Mode::HexText && now >= deadline()) finishHexText(now);
    if (mode_ == Mode::XModem) {
        send(xmodem_->tick(now));
        if (auto n = xmodem_->note(); !n.empty()) note("xmodem: " + n);
        if (xmodem_->state() == XModemReceiver::State::Failed) {
            xmodem_.reset();
            mode_ = Mode::Command;
        }
    }
    return std::exchange(out_, {});
}

void AdapterEngine::lineNoise() {
    if (mode_ == Mode::XModem || mode_ == Mode::BootConfirm || mode_ == Mode::BootSpeed) return;
    line_.clear();
    overflow_ = false;
}

void AdapterEngine::hostClosed() {
    mode_ = Mode::Command;
    line_.clear();
    overflow_ = false;
    unlocked_ = false;
    xmodem_.reset();
    delayed_.clear();
}

// ---- byte handling ----

void AdapterEngine::onByte(char c, Millis now) {
    if (silenced_) return;
    lastByte_ = now;
    switch (mode_) {
    case Mode::Command: onCommandByte(c, now); break;
    case Mode::AccessCode:
    case Mode::DateEntry:
    case Mode::TimeEntry: onLineByte(c, now); break;
    case Mode::HexText: onHexByte(c, now); break;
    case Mode::BootConfirm:
    case Mode::BootSpeed: onBootByte(c, now); break;
    case Mode::XModem: onXModemByte(c, now); break;
    }
}

void AdapterEngine::onCommandByte(char c, Millis now) {
    if (static_cast<unsigned char>(c) == k::kEOT && now < eotAckUntil_) {
        send(std::string(1, static_cast<char>(k::kACK))); // the sender missed our last ACK
        return;
    }
    onLineByte(c, now);
}

// Line editing shared by commands, the access code and the clock entries.
void AdapterEngine::onLineByte(char c, Millis now) {
    bool echo = mode_ != Mode::AccessCode;
    if (echo) send(std::string_view(&c, 1));
    if (c == '\r') return completeLine(now);
    if (c == '\n') return;
    if (c == '\b' || c == 0x7F) {
        if (!line_.empty()) line_.pop_back();
        return;
    }
    if (line_.size() < kMaxLine) line_ += c;
    else overflow_ = true;
}

void AdapterEngine::completeLine(Millis now) {
    std::string line = std::exchange(line_, {});
    bool over = std::exchange(overflow_, false);
    Mode mode = std::exchange(mode_, Mode::Command);
    if (mode != Mode::AccessCode) note("host: " + escaped(line + "\r") + (over ? " (too long)" : ""));
    switch (mode) {
    case Mode::AccessCode:
        unlocked_ = !over && line == k::kAccessCode;
        note(std::string("host: access code, ") + (unlocked_ ? "right" : "wrong"));
        reply(unlocked_ ? okReply() : errorReply());
        break;
    case Mode::DateEntry: finishDate(over ? std::string() : line); break;
    case Mode::TimeEntry: finishTime(over ? std::string() : line); break;
    default:
        if (over) reply(errorReply());
        else if (!line.empty()) runCommand(line, now);
        break;
    }
}

void AdapterEngine::onHexByte(char c, Millis now) {
    if (c == '\r' || c == '\n') {
        if (!line_.empty() || overflow_) finishHexText(now);
        return; // a line end before the text is tolerated
    }
    send(std::string_view(&c, 1));
    if (line_.size() < std::size_t(2 * (profileLength() + 1))) line_ += c;
    else overflow_ = true;
}

void AdapterEngine::onBootByte(char c, Millis now) {
    if (c == '\r' || c == '\n') return; // the line feed after "at&l\r"
    send(std::string_view(&c, 1));
    if (c != 'y' && c != 'Y') {
        mode_ = Mode::Command;
        return reply(downloadCancelled());
    }
    if (mode_ == Mode::BootConfirm) {
        mode_ = Mode::BootSpeed;
        return bootPrompt(speedPrompt());
    }
    mode_ = Mode::XModem;
    bootPrompt(waitingPrompt());
    xmodem_ = std::make_unique<XModemReceiver>(settings_.faults, now);
}

void AdapterEngine::onXModemByte(char c, Millis now) {
    const int before = xmodem_->blocksAccepted();
    std::string response = xmodem_->receive(static_cast<std::uint8_t>(c), now);
    if (auto n = xmodem_->note(); !n.empty()) note("xmodem: " + n);
    if (int nth = xmodem_->blocksAccepted(); nth > before) {
        if (vanishesAt(Exchange::Block, nth)) return;
        if (noisyAt(Exchange::Block, nth)) flipBit(response, 0);
    }
    auto state = xmodem_->state();
    if (state == XModemReceiver::State::Finished) {
        finishDownload(now, response);
    } else if (state == XModemReceiver::State::Failed) {
        xmodem_.reset();
        mode_ = Mode::Command;
    }
    send(response);
}

// ---- commands ----

void AdapterEngine::runCommand(const std::string& line, Millis now) {
    std::string word = upper(line);
    auto is = [&word](std::string_view command) { return word == commandWord(command); };
    if (is(k::kWakeUp)) reply(okReply());
    else if (is(k::kIdentify)) {
        int nth = countExchange(Exchange::Identify);
        if (vanishesAt(Exchange::Identify, nth)) return;
        std::string text = identifyReply(fill());
        if (noisyAt(Exchange::Identify, nth)) flipBit(text, text.find(k::kFamilyName));
        reply(text);
        if (settings_.faults.silentAfterDetection) {
            silenced_ = true;
            note("fault: silent from now on");
        }
    } else if (is(k::kUnlockCommand)) {
        mode_ = Mode::AccessCode;
        reply(accessPrompt());
    } else if (is(k::kVersionQuery)) reply(versionReply(firmware_, fill()));
    else if (is(k::kPortTypeQuery)) reply(portTypeReply(fill()));
    else if (is(k::kModelQuery)) reply(modelReply(fill()));
    else if (is(k::kDateQuery)) {
        mode_ = Mode::DateEntry;
        reply(datePrompt(adapterClock(), fill()));
    } else if (is(k::kTimeQuery)) {
        mode_ = Mode::TimeEntry;
        reply(timePrompt(adapterClock(), fill()));
    } else if (is(k::kFactoryReset)) {
        store_.restoreFactory();
        persist();
        reply(factoryResetReply(fill()));
    } else if (is(k::kDownloadStart)) {
        mode_ = Mode::BootConfirm;
        bootPrompt(downloadPrompt());
    } else if (!runProfileCommand(word, now) && !runQuickDial(word)) {
        reply(errorReply());
    }
}

bool AdapterEngine::runProfileCommand(const std::string& word, Millis now) {
    for (int n = 0; n < kProfileCount; ++n) {
        if (word == commandWord(k::readCommand(n))) {
            readProfile(n);
            return true;
        }
        if (word == commandWord(k::writeCommand(n))) {
            mode_ = Mode::HexText; // the text is taken even when locked, then refused
            writeProfile_ = n;
            lastByte_ = now;
            return true;
        }
    }
    return false;
}

bool AdapterEngine::runQuickDial(const std::string& word) {
    for (int slot = 0; slot < kQuickDialCount; ++slot) {
        if (word == commandWord(k::quickDialQuery(slot))) {
            reply(quickDialReply(store_.quickDial(slot), fill()));
            return true;
        }
        std::string store = commandWord(k::quickDialStore(slot, ""));
        if (word.rfind(store, 0) == 0) {
            std::string digits = word.substr(store.size());
            if (!isDigits(digits) || digits.size() > kQuickDialMaxDigits) {
                reply(errorReply());
            } else {
                store_.setQuickDial(slot, digits);
                persist();
                reply(okReply());
            }
            return true;
        }
    }
    return false;
}

void AdapterEngine::readProfile(int profile) {
    if (!unlocked_) return reply(errorReply());
    if (settings_.faults.silentRead) return note("fault: profile read not answered");
    std::string text = encodeRecord(store_.record(profile));
    if (settings_.faults.badReadChecksum) text.back() = text.back() == '0' ? '1' : '0';
    if (settings_.faults.shortReadReply) text.resize(text.size() / 2);
    int nth = countExchange(Exchange::Read);
    if (noisyAt(Exchange::Read, nth)) flipBit(text, text.size() / 2);
    if (settings_.faults.vanish.at == Exchange::Read && settings_.faults.vanish.nth == nth) {
        reply(text.substr(0, text.size() / 2));
        vanishesAt(Exchange::Read, nth);
        return;
    }
    reply(text + std::string(kReadClosing));
}

void AdapterEngine::finishHexText(Millis now) {
    mode_ = Mode::Command;
    std::string text = std::exchange(line_, {});
    bool over = std::exchange(overflow_, false);
    note("host: hex text for profile " + std::to_string(writeProfile_) + ", " +
         std::to_string(text.size()) + (over ? "+ characters (too long)" : " characters"));
    auto decoded = decodeRecord(over ? std::string_view() : std::string_view(text),
                                std::size_t(profileLength()));
    if (decoded.error != HexError::None || !unlocked_) return reply(errorReply());
    int nth = countExchange(Exchange::Write);
    if (vanishesAt(Exchange::Write, nth)) return;
    if (nth == settings_.faults.storeChangedAtWrite && !decoded.record.empty()) {
        decoded.record.back() ^= 1;
        note("fault: the record is stored with a bit flipped");
    }
    store_.setRecord(writeProfile_, std::move(decoded.record));
    persist();
    if (settings_.faults.noWriteAck) return note("fault: write not acknowledged");
    if (settings_.faults.errorBeforeOk) {
        reply(errorReply());
        delayed_.emplace_back(now + kLateOkDelay, okReply());
        return;
    }
    std::string ok = okReply();
    if (noisyAt(Exchange::Write, nth)) flipBit(ok, ok.find(k::kOk) + 1);
    reply(ok);
}

// A boot loader prompt; the prompt text ends the reply, so noise goes near its end.
void AdapterEngine::bootPrompt(std::string text) {
    int nth = countExchange(Exchange::Boot);
    if (vanishesAt(Exchange::Boot, nth)) return;
    if (noisyAt(Exchange::Boot, nth) && text.size() >= 3) flipBit(text, text.size() - 3);
    reply(std::move(text));
}

void AdapterEngine::finishDate(const std::string& line) {
    auto date = parseDate(line);
    if (date) {
        std::tm t = adapterClock();
        t.tm_year = date->year - 1900;
        t.tm_mon = date->month - 1;
        t.tm_mday = date->day;
        t.tm_isdst = -1;
        clockOffset_ = std::mktime(&t) - settings_.wallClock();
    }
    reply(dateAnswer(line.size() + 1, adapterClock(), date.has_value(), fill()));
}

void AdapterEngine::finishTime(const std::string& line) {
    auto time = parseTime(line);
    if (time) {
        std::tm t = adapterClock();
        t.tm_hour = time->hour;
        t.tm_min = time->minute;
        t.tm_sec = time->second;
        t.tm_isdst = -1;
        clockOffset_ = std::mktime(&t) - settings_.wallClock();
    }
    reply(timeAnswer(line.size() + 1, adapterClock(), time.has_value(), fill()));
}

// The image is on disk before the EOT is acknowledged; if it cannot be written, the
// transfer is cancelled instead and the firmware stays as it was.
void AdapterEngine::finishDownload(Millis now, std::string& response) {
    std::string error;
    const auto& image = xmodem_->image();
    std::string data(image.begin(), image.end());
    if (!settings_.imagePath.empty() && !writeFileAtomically(settings_.imagePath, data, &error)) {
        note("download: " + error);
        response = std::string(2, static_cast<char>(k::kCAN));
    } else {
        note("download: " + std::to_string(image.size()) + " bytes written to " +
             (settings_.imagePath.empty() ? std::string("memory") : settings_.imagePath));
        firmware_ = std::string(k::kCurrentVersion);
        store_.setLength(profileLengthFor(firmware_));
        persist();
        eotAckUntil_ = now + kEotAckWindow;
    }
    xmodem_.reset();
    mode_ = Mode::Command;
}

} // namespace kx220sim
