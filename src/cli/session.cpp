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

bool answersIdentification(const platform::LineSettings& s) {
    ScanRate = s.baudRate;
    return tryIdentification(s) == IdentifyTry::Answered;
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

bool Session::searchOne(const std::vector<platform::LineSettings>& table) {
    for (const auto& s : table) {
        if (interrupted()) return false;
        progress(QStringLiteral("  %1,%2,%3,%4")
                     .arg(s.baudRate)
                     .arg(s.dataBits)
                     .arg(parityLetter(s.parity))
                     .arg(s.stopBits == platform::TwoStopBits ? 2 : 1));
        if (answersIdentification(s)) return true;
        if (!SerialIsOpen()) return false; // refused settings or a lost port
    }
    return false;
}

int Session::connect(const AdapterChoice& choice) {
    // The search's own fatal ends (nothing found, a send error) return here instead.
    platform::setExitHook([](int) {});
    bool found = false;
    if (!choice.device.isEmpty()) {
        device_ = choice.device;
        port_ = choice.device;
        progress(tr("正在检查 ", "Detecting ") + choice.device);
        if (!SerialOpenPath(choice.device)) {
            failure_ = tr("无法打开", "Cannot open ") + choice.device;
            say(failure_);
            return kExitNoAdapter;
        }
        found = searchOne(choice.line ? std::vector{*choice.line} : tableFromRemembered());
        if (found) rememberForCli(0, SerialLineSettings());
    } else if (choice.port) {
        port_ = QStringLiteral("COM%1").arg(choice.port);
        device_ = platform::resolvePortDevice(choice.port);
        TerminalDetectionView().showPort(choice.port);
        if (SerialOpen(choice.port)) {
            found = searchOne(tableFromRemembered());
            if (found) PutSettingInt(settings::AsyncSection, settings::ComNo, choice.port);
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
        }
    }
    if (interrupted()) {
        failure_ = tr("已中断。", "Interrupted.");
        say(failure_);
        return kExitInterrupted;
    }
    if (!found) {
        failure_ = tr("Omniset搜索不到Brantis KX220!", "Omniset Can't find Brantis KX220!");
        if (!choice.device.isEmpty() || choice.port) {
            failure_ += QStringLiteral(" (") + port_ + QStringLiteral(")");
            say(failure_);
        }
        return kExitNoAdapter;
    }
    SerialPurge();
    progress(tr("找到KX220: ", "Found KX220: ") + where());
    identity_ = identifyAdapter();
    if (identity_.versionReply.empty()) {
        failure_ = tr("KX220没有回答", "KX220 does not answer: ") + where();
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
    if (!ReadProfile(profileReadCommand(profile))) {
        failure_ = tr("读取配置失败: ", "Reading the profile failed: ") + profileName(profile);
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
    QString w = port_;
    if (!device_.isEmpty() && device_ != port_)
        w += QStringLiteral(" (") + device_ + QLatin1Char(')');
    return w + QLatin1Char(' ') + lineText();
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
