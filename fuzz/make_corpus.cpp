// fuzz_make_corpus DIR - writes the seed corpus of every target into DIR/<target>/ from
// the simulated adapter's own replies (the engine at a fixed wall clock).
#include "fuzz_input.h"

#include "adapter_engine.h"
#include "core/record/adapter_commands.h"
#include "crc16.h"
#include "hex_text.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace kx220sim;
namespace k = kx220;
namespace fs = std::filesystem;

namespace {

constexpr std::time_t kWallClock = 983793600; // 2001-03-05 12:00:00 UTC
fs::path g_root;

void put(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(g_root / target);
    std::ofstream(g_root / target / name, std::ios::binary) << bytes;
}

std::string join(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += fuzz::kPartSeparator;
        out += parts[i];
    }
    return out;
}

// The engine with a clock that runs on as the host waits.
struct Adapter {
    explicit Adapter(std::string firmware, Faults faults = {}) : engine(settings(firmware, faults)) {}
    static EngineSettings settings(std::string firmware, Faults faults) {
        EngineSettings s;
        s.firmware = std::move(firmware);
        s.faults = faults;
        s.wallClock = [] { return kWallClock; };
        return s;
    }
    // What the adapter sends in reply to bytes within `wait` ms.
    std::string ask(std::string_view bytes, Millis wait = 300) {
        std::string out = engine.receive(bytes, now);
        for (Millis end = now + wait; now < end; now += 10) out += engine.tick(now);
        return out;
    }
    AdapterEngine engine;
    Millis now = 1000;
};

std::string firstRead(const std::string& firmware, Faults faults = {}) {
    Adapter a(firmware, faults);
    a.ask(k::kUnlock);
    return a.ask(k::readCommand(5));
}

std::string frame(std::uint8_t number, std::size_t size, std::uint8_t fill) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(fill + i);
    const std::uint16_t crc = crc16Xmodem(data);
    std::string f;
    f.push_back(static_cast<char>(size == 1024 ? k::kSTX : 0x01));
    f.push_back(static_cast<char>(number));
    f.push_back(static_cast<char>(0xFF - number));
    f.append(data.begin(), data.end());
    f.push_back(static_cast<char>(crc >> 8));
    f.push_back(static_cast<char>(crc & 0xFF));
    return f;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_corpus DIR\n";
        return 2;
    }
    g_root = argv[1];

    // Profile reads: the text after the echo, and the whole exchange.
    for (std::string fw : {"2.0", "1.6"}) {
        Adapter a(fw);
        const std::string version = a.ask(k::kVersionQuery);
        const std::string read = firstRead(fw);
        put("profile_hex", "read-" + fw, read.substr(k::kProfileCommandLength));
        put("profile_hex", "version-" + fw, version);
        put("profile_read", "read-" + fw, join({version, read}));
        Faults bad;
        bad.badReadChecksum = true;
        put("profile_read", "bad-checksum-" + fw, join({version, firstRead(fw, bad)}));
        Faults cut;
        cut.shortReadReply = true;
        put("profile_read", "short-" + fw, join({version, firstRead(fw, cut)}));
    }
    {
        Adapter locked("2.0");
        put("profile_read", "locked", join({locked.ask(k::kVersionQuery),
                                            locked.ask(k::readCommand(5))}));
    }

    // Detection: found at once, found after silent tries, and never found.
    {
        Adapter a("2.0");
        const std::string ok = a.ask(k::kWakeUp);
        const std::string id = a.ask(k::kIdentify);
        put("detection", "found-first", std::string(1, 0) + join({ok, id}));
        put("detection", "quick-try-then-found", std::string(1, 3) + join({ok, "", ok, "", "", ok, id}));
        put("detection", "garbled-then-found", std::string(1, 0) + join({ok, "atq0e1v1i\r\xff\xfe" "Bran", "", id}));
        put("detection", "never", std::string(1, '\0'));
    }

    // Identification of the General page.
    for (std::string fw : {"2.0", "1.5", "1.62"}) {
        Adapter a(fw);
        put("general_ident", "ident-" + fw,
            join({a.ask(k::kVersionQuery), a.ask(k::kPortTypeQuery), a.ask(k::kModelQuery)}));
    }

    // Clock setting: accepted, and a date and a time the adapter refuses.
    {
        Adapter a("2.0");
        put("general_clock", "accepted",
            join({a.ask(k::kDateQuery), a.ask(k::dateText(3, 5, 2001)), a.ask(k::kTimeQuery),
                  a.ask(k::timeText(12, 30, 5))}));
        put("general_clock", "rejected",
            join({a.ask(k::kDateQuery), a.ask(k::dateText(13, 45, 2001)), a.ask(k::kTimeQuery),
                  a.ask(k::timeText(25, 61, 5))}));
        put("general_clock", "no-prompt", join({a.ask("at$z\r")}));
    }

    // Quick-dial numbers: all four slots set, and slots left empty.
    {
        Adapter a("2.0");
        a.ask(k::quickDialStore(0, "0123456789"));
        a.ask(k::quickDialStore(1, "12345678901234567890123456"));
        a.ask(k::quickDialStore(3, "7"));
        std::vector<std::string> replies;
        for (int slot = 0; slot < k::kQuickDialSlots; ++slot)
            replies.push_back(a.ask(k::quickDialQuery(slot)));
        put("quick_dial", "numbers", join(replies));
        Adapter empty("2.0");
        std::vector<std::string> none;
        for (int slot = 0; slot < k::kQuickDialSlots; ++slot)
            none.push_back(empty.ask(k::quickDialQuery(slot)));
        put("quick_dial", "empty", join(none));
    }

    // The boot loader dialogue: all three prompts, and a refusal.
    {
        Adapter a("1.6");
        put("boot_prompt", "prompts",
            join({a.ask(k::kDownloadStart), a.ask(k::kDownloadYes), a.ask(k::kDownloadYes, 100)}));
        Adapter b("1.6");
        put("boot_prompt", "cancelled", join({b.ask(k::kDownloadStart), b.ask("n")}));
    }

    // kx220-sim's interpreter: whole sessions as the program runs them.
    {
        const std::string head = std::string("\x05\x00", 2); // firmware 2.0, no faults
        auto data = [](std::string_view s) { return fuzz::escapeScriptData(s); };
        auto pause = fuzz::scriptPause;
        Adapter a("2.0");
        a.ask(k::kUnlock);
        const std::string hex = a.ask(k::readCommand(0)).substr(k::kProfileCommandLength, 2 * 327);
        put("sim_engine", "detect-identify",
            head + data(k::kWakeUp) + pause(300) + data(k::kIdentify) + pause(1000) +
                data(k::kVersionQuery) + pause(200) + data(k::kPortTypeQuery) + pause(200) +
                data(k::kModelQuery) + pause(200));
        put("sim_engine", "read-write",
            head + data(k::kUnlock) + pause(500) + data(k::readCommand(5)) + pause(500) +
                data(k::writeCommand(1)) + pause(300) + data(hex) + pause(2500) +
                data(k::readCommand(1)) + pause(300));
        put("sim_engine", "clock-quickdial-reset",
            head + data(k::kDateQuery) + pause(100) + data(k::dateText(3, 5, 2001)) +
                pause(100) + data(k::kTimeQuery) + pause(100) + data(k::timeText(9, 8, 7)) +
                pause(100) + data(k::quickDialStore(2, "0123456789")) + pause(100) +
                data(k::quickDialQuery(2)) + pause(100) + data(k::kFactoryReset) + pause(100));
        std::string download = std::string("\x03\x00", 2) + data(k::kDownloadStart) +
                               pause(300) + data("y") + pause(300) + data("y") + pause(1600);
        download += data(frame(1, 1024, 0x10)) + pause(50) + data(frame(2, 128, 0xF0)) +
                    pause(50) + data(std::string(1, static_cast<char>(k::kEOT))) + pause(200) +
                    data(std::string(1, static_cast<char>(k::kEOT))) + pause(100);
        put("sim_engine", "download", download);
        put("sim_engine", "noise-and-close",
            std::string("\x45\x00", 2) + data("ati") + "\xFF\xFE" + data("3\r") + pause(100) +
                data(k::kUnlock) + "\xFF\xFD" + data(k::readCommand(5)) + pause(3000));
    }

    // The XModem receiver: blocks of both sizes, a repeat, a bad CRC, the end.
    {
        auto data = [](std::string_view s) { return fuzz::escapeScriptData(s); };
        auto pause = fuzz::scriptPause;
        const std::string eot(1, static_cast<char>(k::kEOT));
        put("sim_xmodem", "two-blocks",
            std::string(1, '\0') + pause(1600) + data(frame(1, 1024, 0)) + pause(20) +
                data(frame(2, 128, 0x80)) + pause(20) + data(eot) + pause(20));
        std::string broken = frame(2, 1024, 7);
        broken[500] ^= 0x55;
        put("sim_xmodem", "repeat-and-bad-crc",
            std::string(1, '\0') + data(frame(1, 1024, 3)) + data(frame(1, 1024, 3)) +
                data(broken) + pause(20) + data(frame(2, 1024, 7)) + data(eot));
        put("sim_xmodem", "faults",
            std::string(1, '\x21') + data(frame(1, 1024, 1)) + pause(20) +
                data(frame(1, 1024, 1)) + pause(1100) + data(frame(2, 1024, 2)) + pause(4000) +
                data(eot));
        put("sim_xmodem", "stalled",
            std::string(1, '\0') + data(frame(1, 1024, 9).substr(0, 600)) + pause(1200) +
                "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF");
    }

    std::cout << "corpus written to " << g_root << "\n";
    return 0;
}
