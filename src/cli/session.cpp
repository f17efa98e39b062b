#include "cli/session.h"

#include "cli/terminal.h"
#include "core/app/settings_store.h"
#include "core/link/detection.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/platform/process.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"

#include <QFileInfo>

namespace omniset::cli {

namespace {

constexpr int kStoreSurchargeMs = 200;       // as the profile exchanges add to LineDelay

// The search's table of line settings, in the order the search tries them.
std::vector<platform::LineSettings> searchTable() {
    std::vector<platform::LineSettings> out;
    for (std::uint32_t rate : kRateTable)
        for (int bits : kDataTable)
            for (int parity = 0; parity < kParityCount; ++parity)
                out.push_back({rate, bits, parity, platform::OneStopBit});
    return out;
}

QString parityLetter(int parity) {
    static const char letters[] = "NOEMS";
    return QString(QLatin1Char(parity >= 0 && parity < 5 ? letters[parity] : '?'));
}

// The line settings the adapter last answered omniset-cli at, in a section of the settings
// file of its own (the window program's keys stay as they are): tried before any table.
constexpr char kCliSection[] = "omniset_cli";
constexpr char kCliPort[] = "port"; // 1..4; 0 after a device named by its path
constexpr char kCliBaud[] = "baudrate";
constexpr char kCliData[] = "databits";
constexpr char kCliParity[] = "parity";
constexpr char kCliStop[] = "stopbits";

std::optional<platform::LineSettings> cliRememberedSettings() {
    const platform::LineSettings s{
        static_cast<std::uint32_t>(GetSettingInt(kCliSection, kCliBaud, 0)),
        GetSettingInt(kCliSection, kCliData, 0), GetSettingInt(kCliSection, kCliParity, -1),
        GetSettingInt(kCliSection, kCliStop, -1)};
    for (const auto& entry : searchTable())
        if (entry.baudRate == s.baudRate && entry.dataBits == s.dataBits &&
            entry.parity == s.parity && s.stopBits == platform::OneStopBit)
            return s;
    return std::nullopt;
}

int cliRememberedPort() { return GetSettingInt(kCliSection, kCliPort, 0); }

void rememberForCli(int port, const platform::LineSettings& s) {
    auto put = [](const char* key, int value) {
        if (GetSettingInt(kCliSection, key, -1) != value) PutSettingInt(kCliSection, key, value);
    };
    put(kCliPort, port);
    put(kCliBaud, static_cast<int>(s.baudRate));
    put(kCliData, s.dataBits);
    put(kCliParity, s.parity);
    put(kCliStop, s.stopBits);
}

// The remembered settings first, then the window program's remembered ones and the table.
std::vector<platform::LineSettings> tableFromRemembered() {
    std::vector<platform::LineSettings> table;
    if (auto mine = cliRememberedSettings()) table.push_back(*mine);
    auto stored = rememberedSettings(searchTable().front());
    RememberedRate = stored.rate;
    table.push_back(stored.settings);
    for (const auto& s : searchTable())
        table.push_back(s);
    return table;
}

// Why a read gave no record, in a few words.
QString readFailureText(const ReadOutcome& o) {
    switch (o.failure) {
    case ReadFailure::None: break;
    case ReadFailure::Silence:
        return o.received ? tr("没有回答 (命令的回显之后什么也没有收到)",
                               "no reply (nothing came after the command's echo)")
                          : tr("没有回答 (什么也没有收到)", "no reply (nothing came)");
    case ReadFailure::ShortReply:
        return tr("回答不完整 (收到 %1 个十六进制数字，应为 %2 个)",
                  "short reply (%1 of %2 hex digits came)")
            .arg(o.hexDigits)
            .arg(o.hexWanted);
    case ReadFailure::Garbled:
        return tr("回答有误 (%1 个十六进制数字之后是其它字符)",
                  "garbled reply (a character that is no hex digit after %1 hex digits)")
            .arg(o.hexDigits);
    case ReadFailure::BadChecksum: return tr("校验和错误", "bad checksum");
    case ReadFailure::PortLost: return tr("串口已断开", "the port went away");
    }
    return tr("原因不明", "cause unknown");
}

class Search final : public TerminalDetectionView {
  public:
    explicit Search(DetectionScan& scan) : scan_(scan) {}
    void showPort(int port) override {
        stopOnInterrupt();
        TerminalDetectionView::showPort(port);
    }
    void stepProgress() override { stopOnInterrupt(); }

  private:
    void stopOnInterrupt() {
        if (interrupted()) scan_.stop();
    }
    DetectionScan& scan_;
};

} // namespace

Session::~Session() {
    SerialClose();
}

// Each setting in turn on the open port, until the adapter answers. *outcome: what was
// tried and how it ended, in the detection's terms.
bool Session::searchOne(const std::vector<platform::LineSettings>& table, PortOutcome* outcome) {
    outcome->tried.clear();
    outcome->kind = PortOutcome::Silent;
    for (const auto& s : table) {
        if (interrupted()) return false;
        progress(QStringLiteral("  %1,%2,%3,%4")
                     .arg(s.baudRate)
                     .arg(s.dataBits)
                     .arg(parityLetter(s.parity))
                     .arg(s.stopBits == platform::TwoStopBits ? 2 : 1));
        outcome->tried.push_back(s);
        ScanRate = s.baudRate;
        switch (tryIdentification(s)) {
        case IdentifyTry::Answered: outcome->kind = PortOutcome::Answered; return true;
        case IdentifyTry::Silent: break;
        case IdentifyTry::Refused:
            outcome->kind = SerialOpenSettingsRefused() ? PortOutcome::RefusedAtOpen
                                                        : PortOutcome::Refused;
            break;
        case IdentifyTry::SendFailed: outcome->kind = PortOutcome::SendFailed; break;
        case IdentifyTry::PortLost: outcome->kind = PortOutcome::Lost; break;
        }
        if (!SerialIsOpen()) return false; // refused settings or a lost port
        outcome->kind = PortOutcome::Silent;
    }
    return false;
}

QString Session::portLabel() const {
    if (!device_.isEmpty() && device_ != port_)
        return port_ + QStringLiteral(" (") + device_ + QLatin1Char(')');
    return port_;
}

// The window program's words, why (one line per port: the search's progress may have been
// silenced) and what to try; failure_ holds the most specific of it.
int Session::notFound(const QString& reasonLine) {
    const QString box = tr("Omniset搜索不到Brantis KX220!", "Omniset Can't find Brantis KX220!");
    failure_ = reasonLine.isEmpty() ? box : box + QLatin1Char(' ') + reasonLine;
    say(tr("omniset-cli 提示: 运行 omniset-cli ports 查看 COM1..COM4 的映射和串口设备，"
           "用 omniset-cli link N 设备 把 COMn 指向KX220所连接的设备。",
           "omniset-cli: try 'omniset-cli ports' to see the COM1..COM4 mappings and the serial "
           "devices, and 'omniset-cli link N DEVICE' to point COMn at the adapter's device."));
    return kExitNoAdapter;
}

int Session::connect(const AdapterChoice& choice) {
    // The search's own fatal ends (nothing found, a send error) return here instead.
    platform::setExitHook([](int) {});
    bool found = false;
    PortOutcome outcome; // --port or --device: what happened there
    bool searched = false;  // the whole search ran (its box says when it found nothing)
    QStringList reasons;    // its last line per port
    if (!choice.device.isEmpty()) {
        device_ = choice.device;
        port_ = choice.device;
        progress(tr("正在检查 ", "Detecting ") + choice.device);
        if (!SerialOpenPath(choice.device)) {
            outcome.kind = PortOutcome::NotOpened;
            outcome.openFailure = SerialOpenFailure();
        } else {
            found = searchOne(choice.line ? std::vector{*choice.line} : tableFromRemembered(),
                              &outcome);
            if (found) rememberForCli(0, SerialLineSettings());
        }
    } else if (choice.port) {
        port_ = QStringLiteral("COM%1").arg(choice.port);
        device_ = platform::resolvePortDevice(choice.port);
        TerminalDetectionView().showPort(choice.port);
        if (SerialOpen(choice.port)) {
            found = searchOne(tableFromRemembered(), &outcome);
            if (found) PutSettingInt(settings::AsyncSection, settings::ComNo, choice.port);
        } else {
            outcome.kind = PortOutcome::NotOpened;
            outcome.openFailure = SerialOpenFailure();
        }
        if (found) rememberForCli(choice.port, SerialLineSettings());
    } else {
        // Where the adapter last answered, as it answered: one try before the whole search.
        const int last = cliRememberedPort();
        const auto settings = cliRememberedSettings();
        if (last >= 1 && last <= 4 && settings) {
            TerminalDetectionView().showPort(last);
            if (SerialOpen(last)) {
                ScanRate = settings->baudRate;
                found = tryIdentification(*settings) == IdentifyTry::Answered;
                if (found) {
                    port_ = QStringLiteral("COM%1").arg(last);
                    device_ = platform::resolvePortDevice(last);
                } else {
                    SerialClose();
                }
            }
        }
        if (!found && !interrupted()) {
            DetectionScan scan;
            Search view(scan);
            found = scan.run(view) == ScanResult::Found;
            port_ = QStringLiteral("COM%1").arg(scan.currentPort());
            device_ = platform::resolvePortDevice(scan.currentPort());
            if (found) rememberForCli(scan.currentPort(), SerialLineSettings());
            reasons = view.portReasons();
            searched = true;
        }
    }
    if (interrupted()) {
        failure_ = tr("已中断。", "Interrupted.");
        say(failure_);
        return kExitInterrupted;
    }
    if (!found && searched) {
        // The search's box has said it; the reasons went out as progress, so -q needs them.
        if (quiet())
            for (const QString& r : reasons) say(r);
        return notFound(reasons.join(QStringLiteral("; ")));
    }
    if (!found) {
        // A device named by its path is named once: its open failure names it already.
        const QString why = QString::fromStdString(portOutcomeText(outcome, english()));
        const QString reason =
            why.startsWith(port_ + QLatin1Char(':')) ? why : portLabel() + QStringLiteral(": ") + why;
        say(tr("Omniset搜索不到Brantis KX220!", "Omniset Can't find Brantis KX220!"));
        say(reason);
        return notFound(reason);
    }
    SerialPurge();
    progress(tr("找到KX220: ", "Found KX220: ") + where());
    identity_ = identifyAdapter();
    if (identity_.versionReply.empty()) {
        failure_ = tr("KX220没有回答: ", "KX220 does not answer: ") + where();
        say(failure_);
        return kExitNoAdapter;
    }
    recordLength_ = profileLengthForReply(identity_.versionReply);
    AllocateProfile(recordLength_);
    return kExitOk;
}

void Session::unlock() {
    if (unlocked_) return;
    UnlockProfiles();
    unlocked_ = true;
}

std::optional<ProfileRecord> Session::read(int profile) {
    unlock();
    failure_.clear();
    readCause_.clear();
    if (!ReadProfile(profileReadCommand(profile))) {
        readCause_ = readFailureText(LastReadOutcome());
        failure_ = tr("读取%1失败: %2", "Reading %1 failed: %2").arg(profileName(profile), readCause_);
        return std::nullopt;
    }
    return ProfileImage();
}

bool Session::write(int profile, const ProfileRecord& record) {
    unlock();
    ProfileImage() = record;
    // The synchronous-mode notice was shown, and answered, before the first write.
    setSynchronousModeQuery({});
    EncodeProfile();
    return WriteProfile(profileWriteCommand(profile)); // a time-out's box said why
}

QuickDialNumbers Session::readQuickDial() {
    return readQuickDialNumbers();
}

void Session::storeQuickDial(const QuickDialNumbers& numbers, const std::array<bool, 4>& which) {
    storeQuickDialSlots(numbers, which);
    // The store commands are sent back to back and no reply is read; the next exchange
    // purges the line, so give the adapter the time for them first, as for a record.
    int chars = 0;
    for (int slot = 0; slot < kx220::kQuickDialSlots; ++slot)
        if (which[static_cast<std::size_t>(slot)])
            chars += static_cast<int>(
                kx220::quickDialStore(slot, numbers[static_cast<std::size_t>(slot)]).size());
    PumpedWait(2 * (LineDelay(chars) + kStoreSurchargeMs));
}

QString Session::firmware() const {
    return QString::fromStdString(versionTextForReply(identity_.versionReply));
}

QString Session::lineText() const {
    const auto s = SerialLineSettings();
    return QStringLiteral("%1,%2,%3,%4")
        .arg(s.baudRate)
        .arg(s.dataBits)
        .arg(parityLetter(s.parity))
        .arg(s.stopBits == platform::TwoStopBits ? 2 : 1);
}

QString Session::where() const {
    return portLabel() + QLatin1Char(' ') + lineText();
}

int profileOfName(const QString& name) {
    if (name == QLatin1String("current")) return kCurrentProfile;
    bool ok = false;
    const int n = name.toInt(&ok);
    return ok && n >= 0 && n <= 4 && name.size() == 1 ? n : -1;
}

QString nameOfProfile(int profile) {
    return profile == kCurrentProfile ? QStringLiteral("current") : QString::number(profile);
}

} // namespace omniset::cli
