// adapter_engine.h - the simulated KX220: AT interpreter, profile store, clock, boot
// loader and XModem receiver. Bytes in, bytes out; time is handed in by the caller, which
// also paces the bytes to the line.
//
//   AdapterEngine(settings)  loads the profile store (factory contents when it is new)
//   receive(bytes, now)      bytes from the host; returns what the adapter sends back
//   tick(now)                time-outs and delayed replies; returns bytes to send
//   deadline()               the next time tick() has work, or kNever
//   lineNoise()              bytes came under wrong line settings: the line so far is lost
//   hostClosed()             the host let go of the port: locked, back in command mode
//   vanished()               a vanish fault has struck: the adapter is gone for good
//   firmware() / profileLength() / unlocked() / store()
//   setLog(fn)               one call per exchange, for the transcript
#pragma once

#include "faults.h"
#include "profile_store.h"
#include "replies.h"
#include "xmodem_receiver.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx220sim {

inline constexpr Millis kNever = INT64_MAX;

struct EngineSettings {
    std::string firmware = "2.0";
    std::string storePath;   // profile store file
    std::string imagePath;   // where a downloaded firmware image goes
    Faults faults;
    std::function<std::time_t()> wallClock; // the PC-independent base of the adapter clock
    bool shortReplies = false; // replies without the blanks that fill the program's reads
};

// Firmware versions the adapter may report; all but kCurrentFirmware are old.
bool knownFirmware(std::string_view version);
int profileLengthFor(std::string_view version);

class AdapterEngine {
  public:
    // Limits and time-outs.
    static constexpr std::size_t kMaxLine = 80;
    static constexpr Millis kHexIdleTimeout = 2000; // hex text broken off
    static constexpr Millis kHexEndGrace = 100;     // after the last expected hex digit
    static constexpr Millis kLateOkDelay = 1500;    // fault: "OK" after "ERROR"
    static constexpr Millis kEotAckWindow = 10000;  // repeated EOTs after a download

    explicit AdapterEngine(EngineSettings settings);
    bool storeLoaded() const { return storeLoaded_; }
    const std::string& storeError() const { return storeError_; }

    std::string receive(std::string_view bytes, Millis now);
    std::string tick(Millis now);
    Millis deadline() const;
    void lineNoise();
    void hostClosed();
    bool vanished() const { return vanished_; }

    const std::string& firmware() const { return firmware_; }
    int profileLength() const { return store_.length(); }
    bool unlocked() const { return unlocked_; }
    const ProfileStore& store() const { return store_; }
    void setLog(std::function<void(std::string_view)> log) { log_ = std::move(log); }

  private:
    enum class Mode { Command, AccessCode, HexText, DateEntry, TimeEntry, BootConfirm, BootSpeed, XModem };

    void onByte(char c, Millis now);
    void onCommandByte(char c, Millis now);
    void onLineByte(char c, Millis now);
    void onHexByte(char c, Millis now);
    void onBootByte(char c, Millis now);
    void onXModemByte(char c, Millis now);
    void completeLine(Millis now);
    void runCommand(const std::string& line, Millis now);
    bool runProfileCommand(const std::string& upper, Millis now);
    bool runQuickDial(const std::string& upper);
    void readProfile(int profile);
    void finishHexText(Millis now);
    void finishDate(const std::string& line);
    void finishTime(const std::string& line);
    void finishDownload(Millis now, std::string& response);
    void send(std::string_view bytes);
    void reply(std::string bytes);
    void bootPrompt(std::string text);
    void persist();
    void note(const std::string& text);
    std::tm adapterClock() const;
    int countExchange(Exchange kind);
    bool vanishesAt(Exchange kind, int nth);
    bool noisyAt(Exchange kind, int nth) const;
    Fill fill() const { return settings_.shortReplies ? Fill::Shortest : Fill::Limit; }

    EngineSettings settings_;
    std::string firmware_;
    ProfileStore store_;
    bool storeLoaded_ = true;
    std::string storeError_;
    std::function<void(std::string_view)> log_;

    Mode mode_ = Mode::Command;
    std::string line_;
    bool overflow_ = false;
    bool unlocked_ = false;
    bool silenced_ = false;
    bool vanished_ = false;
    int exchanges_[int(Exchange::Block) + 1] = {}; // how many of each kind so far
    int writeProfile_ = 0;
    Millis lastByte_ = 0;
    std::time_t clockOffset_ = 0;   // adapter clock minus wall clock, seconds
    std::unique_ptr<XModemReceiver> xmodem_;
    Millis eotAckUntil_ = 0;
    std::vector<std::pair<Millis, std::string>> delayed_;
    std::string out_;
};

} // namespace kx220sim
