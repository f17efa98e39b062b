#include "options.h"

#include "adapter_engine.h"

#include <array>
#include <cstdlib>
#include <getopt.h>
#include <sstream>

namespace kx220sim {

namespace {

constexpr int kMinCom = 1;
constexpr int kMaxCom = 99;
constexpr int kMaxBlock = 1 << 20;

struct Rate {
    unsigned baud;
    speed_t speed;
};
constexpr std::array<Rate, 10> kRates{{{600, B600},     {1200, B1200},   {2400, B2400},
                                        {4800, B4800},   {9600, B9600},   {19200, B19200},
                                        {38400, B38400}, {57600, B57600}, {115200, B115200},
                                        {230400, B230400}}};

enum LongOnly {
    kFaultBadChecksum = 1000,
    kFaultShortRead,
    kFaultSilent,
    kFaultSilentRead,
    kFaultErrorFirst,
    kFaultNoAck,
    kFaultStoreChanged,
    kFaultNak,
    kFaultCan,
    kFaultDropAck,
    kFaultVanish,
    kFaultNoise,
};

const option kLongOptions[] = {
    {"com", required_argument, nullptr, 'c'},
    {"line", required_argument, nullptr, 'l'},
    {"firmware", required_argument, nullptr, 'f'},
    {"store", required_argument, nullptr, 's'},
    {"image", required_argument, nullptr, 'i'},
    {"verbose", no_argument, nullptr, 'v'},
    {"no-pace", no_argument, nullptr, 'p'},
    {"once", no_argument, nullptr, 'o'},
    {"help", no_argument, nullptr, 'h'},
    {"short-replies", no_argument, nullptr, 'r'},
    {"fault-bad-checksum", no_argument, nullptr, kFaultBadChecksum},
    {"fault-short-read", no_argument, nullptr, kFaultShortRead},
    {"fault-silent-after-detect", no_argument, nullptr, kFaultSilent},
    {"fault-silent-read", no_argument, nullptr, kFaultSilentRead},
    {"fault-error-before-ok", no_argument, nullptr, kFaultErrorFirst},
    {"fault-no-write-ack", no_argument, nullptr, kFaultNoAck},
    {"fault-store-changed", required_argument, nullptr, kFaultStoreChanged},
    {"fault-nak-block", required_argument, nullptr, kFaultNak},
    {"fault-can-block", required_argument, nullptr, kFaultCan},
    {"fault-drop-ack", required_argument, nullptr, kFaultDropAck},
    {"fault-vanish-at", required_argument, nullptr, kFaultVanish},
    {"fault-noise", required_argument, nullptr, kFaultNoise},
    {nullptr, 0, nullptr, 0},
};

bool parseInt(const char* text, int low, int high, int* out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

// "WHAT" or "WHAT:N", N counting the exchanges of that kind from 1.
bool parseFaultPoint(const char* text, FaultPoint* out) {
    std::string_view arg(text);
    auto colon = arg.find(':');
    FaultPoint point;
    point.at = exchangeNamed(arg.substr(0, colon));
    if (point.at == Exchange::None) return false;
    if (colon != std::string_view::npos &&
        !parseInt(std::string(arg.substr(colon + 1)).c_str(), 1, kMaxBlock, &point.nth))
        return false;
    *out = point;
    return true;
}

// Applies one option; false with *error set when its value is unusable.
bool apply(int code, const char* arg, Options& o, std::string* error) {
    auto bad = [&](const std::string& what) { return *error = what, false; };
    Faults& f = o.faults;
    switch (code) {
    case 'c': return parseInt(arg, kMinCom, kMaxCom, &o.com) || bad("--com wants 1 to 99");
    case 'l':
        if (auto line = parseLine(arg)) return o.line = *line, true;
        return bad("--line wants RATE,BITS,PARITY,STOP, e.g. 115200,8,N,1");
    case 'f':
        o.firmware = arg;
        return knownFirmware(o.firmware) || bad("--firmware wants 1.2, 1.3, 1.5, 1.6, 1.62 or 2.0");
    case 's': return o.storePath = arg, true;
    case 'i': return o.imagePath = arg, true;
    case 'v': return o.verbose = true;
    case 'p': return o.pace = false, true;
    case 'o': return o.once = true;
    case 'h': return o.help = true;
    case 'r': return o.shortReplies = true;
    case kFaultBadChecksum: return f.badReadChecksum = true;
    case kFaultShortRead: return f.shortReadReply = true;
    case kFaultSilent: return f.silentAfterDetection = true;
    case kFaultSilentRead: return f.silentRead = true;
    case kFaultErrorFirst: return f.errorBeforeOk = true;
    case kFaultNoAck: return f.noWriteAck = true;
    case kFaultStoreChanged:
        return parseInt(arg, 1, kMaxBlock, &f.storeChangedAtWrite) || bad("write number wanted");
    case kFaultNak: return parseInt(arg, 1, kMaxBlock, &f.nakAtBlock) || bad("block number wanted");
    case kFaultCan: return parseInt(arg, 1, kMaxBlock, &f.canAtBlock) || bad("block number wanted");
    case kFaultDropAck:
        return parseInt(arg, 1, kMaxBlock, &f.dropAckAtBlock) || bad("block number wanted");
    case kFaultVanish:
        return parseFaultPoint(arg, &f.vanish) ||
               bad("--fault-vanish-at wants identify, read, write, boot or block, and :N");
    case kFaultNoise:
        return parseFaultPoint(arg, &f.noise) ||
               bad("--fault-noise wants identify, read, write, boot or block, and :N");
    default: return bad("unknown option (see --help)");
    }
}

} // namespace

Exchange exchangeNamed(std::string_view name) {
    if (name == "identify") return Exchange::Identify;
    if (name == "read") return Exchange::Read;
    if (name == "write") return Exchange::Write;
    if (name == "boot") return Exchange::Boot;
    if (name == "block") return Exchange::Block;
    return Exchange::None;
}

std::string LineSpec::text() const {
    return std::to_string(baud) + "," + std::to_string(dataBits) + "," + parity + "," +
           std::to_string(stopBits);
}

std::optional<LineSpec> parseLine(const std::string& text) {
    std::istringstream in(text);
    std::string rate, bits, parity, stop, rest;
    if (!std::getline(in, rate, ',') || !std::getline(in, bits, ',') ||
        !std::getline(in, parity, ',') || !std::getline(in, stop, ',') || std::getline(in, rest))
        return std::nullopt;
    LineSpec wanted;
    int value = 0;
    if (!parseInt(rate.c_str(), 1, 1 << 30, &value)) return std::nullopt;
    bool known = false;
    for (const auto& r : kRates)
        if (r.baud == unsigned(value)) wanted.baud = r.baud, wanted.speed = r.speed, known = true;
    if (!known) return std::nullopt;
    if (!parseInt(bits.c_str(), 7, 8, &wanted.dataBits)) return std::nullopt;
    if (parity.size() != 1 || std::string("NOEMSnoems").find(parity[0]) == std::string::npos)
        return std::nullopt;
    wanted.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(parity[0])));
    if (!parseInt(stop.c_str(), 1, 2, &wanted.stopBits)) return std::nullopt;
    return wanted;
}

std::optional<Options> parseOptions(int argc, char** argv, std::string* error) {
    Options o;
    optind = 1;
    opterr = 0;
    int code;
    while ((code = getopt_long(argc, argv, "", kLongOptions, nullptr)) != -1) {
        if (code == '?') return *error = "unknown option or missing value (see --help)", std::nullopt;
        if (!apply(code, optarg, o, error)) return std::nullopt;
    }
    if (optind < argc) return *error = std::string("unexpected argument: ") + argv[optind], std::nullopt;
    if (o.storePath.empty()) o.storePath = defaultDataPath(o.com, ".store");
    if (o.imagePath.empty()) o.imagePath = defaultDataPath(o.com, "-image.dl");
    return o;
}

std::string defaultDataPath(int com, const std::string& suffix) {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base = data && *data ? data : std::string(home ? home : ".") + "/.local/share";
    return base + "/kx220-sim/com" + std::to_string(com) + suffix;
}

std::string helpText() {
    return R"(Usage: kx220-sim [options]

A simulated KX220 ISDN terminal adapter on a pseudo-terminal. It links
$XDG_CONFIG_HOME/omniset/dosdevices/comN (XDG_CONFIG_HOME defaults to ~/.config)
to the pty and answers AT commands, profile reads and writes, the clock and
factory-reset commands and the firmware download (1K-XModem, CRC) as the
adapter does. It ends on SIGINT or SIGTERM and removes the link if it still
points to its pty.

Options:
  --com N            port number of the link comN (1-99, default 1)
  --line R,B,P,S     line settings the adapter answers at: rate (600 to 230400),
                     data bits (7 or 8), parity (N, O, E, M or S), stop bits (1 or 2);
                     default 115200,8,N,1. While the host's settings differ it
                     stays silent, as a real adapter would see only garbage.
                     A pty reports the speed, the stop bits and odd, mark and space
                     parity, but not the data bits and not even-versus-no parity:
                     7 and 8 data bits, and parity E and N, cannot be told apart.
  --firmware V       firmware version reported: 2.0 (default, 326-byte records) or
                     the old 1.2, 1.3, 1.5, 1.6, 1.62 (314-byte records). A completed
                     firmware download makes it 2.0.
  --store FILE       profile store (six records and four quick-dial numbers), kept
                     across runs and rewritten atomically on every change; default
                     $XDG_DATA_HOME/kx220-sim/comN.store (XDG_DATA_HOME defaults to
                     ~/.local/share)
  --image FILE       where a downloaded firmware image is written; default
                     $XDG_DATA_HOME/kx220-sim/comN-image.dl
  --verbose          timestamped transcript of every exchange on standard error
  --no-pace          send and take bytes at once instead of at the line's rate
                     (about 10 bit times per character)
  --once             end when the host closes the port after having opened it
  --short-replies    answer every command with the shortest reply the program relies
                     on (the echo, the text it looks for, the final result) instead of
                     filling its read limits with blanks, as another adapter may
  --help             this text

Fault switches (for tests and demonstrations):
  --fault-bad-checksum         profile reads carry a wrong checksum byte
  --fault-short-read           profile reads stop half-way through the record
  --fault-silent-after-detect  after the first identification reply, send nothing
  --fault-silent-read          profile reads are echoed but never answered
  --fault-error-before-ok      profile writes answer ERROR, then OK 1.5 s later
  --fault-no-write-ack         profile writes are stored but not acknowledged
  --fault-store-changed N      the N-th profile write stores its record with one bit
                               of its last byte flipped and is acknowledged as usual,
                               so that reading it back shows a difference
  --fault-nak-block K          XModem: NAK the K-th block once
  --fault-can-block K          XModem: cancel (CAN CAN) at the K-th block
  --fault-drop-ack K           XModem: do not send the ACK of the K-th block (it is
                               repeated after 3 s of silence)
  --fault-vanish-at WHAT[:N]   the adapter goes away at the N-th exchange of a kind
                               (default the first): it closes the pty, removes the
                               link and ends. WHAT is identify (instead of the reply),
                               read (half-way through the record), write (once the
                               record is in, before it is stored or acknowledged),
                               boot (instead of the N-th boot loader prompt) or block
                               (once the N-th XModem block is in, before its ACK)
  --fault-noise WHAT[:N]       line noise: one bit is flipped in the reply to the N-th
                               exchange of a kind (default the first): in the family
                               name (identify), in the middle of the record (read),
                               in the OK (write), in the N-th boot loader prompt
                               (boot) or in the ACK of the N-th block (block)
)";
}

} // namespace kx220sim
