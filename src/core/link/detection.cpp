#include "core/link/detection.h"

#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/app/settings_store.h"
#include "core/link/reply_checks.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/platform/process.h"
#include "core/record/adapter_commands.h"

#include <QFile>
#include <QString>

#include <iostream>

namespace omniset {

bool QuickTry = true;
bool RememberedFirst = true;

namespace {

platform::LineSettings entrySettings(int index) {
    const int perRate = 2 * kParityCount;
    platform::LineSettings s;
    s.baudRate = kRateTable[static_cast<std::size_t>(index / perRate)];
    s.dataBits = kDataTable[static_cast<std::size_t>((index % perRate) / kParityCount)];
    s.parity = index % kParityCount;
    s.stopBits = platform::OneStopBit;
    return s;
}

int storedPort() {
    int port = GetSettingInt(settings::AsyncSection, settings::ComNo, 1);
    // Numbers outside 1..4 open COM4; name the port that is really tried.
    return (port >= 1 && port <= 4) ? port : 4;
}

void longFailureBox() {
    appBox("Omniset搜索不到Brantis KX220! 请检查以下几项：\n\n"
           "- 1. KX220是否上电，并且和计算机COM口正确连接。\n"
           "- 2. 与KX220相连的计算机COM口是否被其它应用程序 \n"
           "      (如：超级终端等)占用。\n"
           "- 3. KX220是否正在进行数据呼叫(或通信)。\n"
           "- 4. 如果TXD灯常亮，KX220的串口工作在同步方式下，\n"
           "     请将DIP1置为ON，重新上电，再试一次。",
           "Omniset Can't find Brantis KX220! Please check and\n"
           " ensure the following items:\n\n"
           "- 1: The power of KX220 has been turned on and KX220\n"
           "     has been correctly connected to the COM port of \n"
           "     your computer correctly.\n"
           "- 2: The COM port of computer has not been used by other\n"
           "     applications(such as Hyperterminal,etc).\n"
           "- 3: There is no data call or communication in KX220.\n"
           "- 4: If the DTE port of KX220 woks in synchronous mode, \n"
           "     please shut off the power,set DIP1 to ON, and then retry.");
}

// "COM1 (/dev/pts/3)", or "COM1" when the port has no device name.
std::string portName(int port) {
    std::string name = "COM" + std::to_string(port);
    const QString device = platform::resolvePortDevice(port);
    if (!device.isEmpty()) name += " (" + QFile::encodeName(device).toStdString() + ")";
    return name;
}

std::string triesText(const std::vector<platform::LineSettings>& tried, bool english) {
    if (tried.empty()) return english ? "no setting" : "没有设置";
    if (tried.size() == 1) return lineSettingsText(tried.front());
    return std::to_string(tried.size()) + (english ? " settings (" : " 种设置 (") +
           lineSettingsText(tried.front()) + (english ? " to " : " 至 ") +
           lineSettingsText(tried.back()) + ")";
}

} // namespace

void DetectionView::explain(const std::string& line) { std::cerr << line << std::endl; }

void DetectionView::explainPort(int, const std::string& name, const std::string& outcome) {
    explain((english() ? "Detection: " : "检测: ") + name + ": " + outcome);
}

std::string portOutcomeText(const PortOutcome& o, bool english) {
    auto pick = [english](const char* zh, const char* en) { return std::string(english ? en : zh); };
    const std::string last = o.tried.empty() ? std::string() : lineSettingsText(o.tried.back());
    switch (o.kind) {
    case PortOutcome::NotOpened: return platform::openErrorText(o.openFailure, english);
    case PortOutcome::Answered: {
        const std::size_t silent = o.tried.empty() ? 0 : o.tried.size() - 1;
        std::string text = pick("KX220在 ", "the adapter answered at ") + last + pick(" 应答", "");
        if (silent)
            text += english ? " (after " + std::to_string(silent) +
                                  (silent == 1 ? " setting" : " settings") + " without answer)"
                            : " (此前 " + std::to_string(silent) + " 种设置没有应答)";
        return text;
    }
    case PortOutcome::Silent:
        return pick("已打开，没有应答: ", "opened, no answer at ") + triesText(o.tried, english);
    case PortOutcome::QuickSilent:
        return pick("已打开，没有应答: ", "opened, no answer at ") + triesText(o.tried, english) +
               pick(" (快速尝试)", " (quick try)");
    case PortOutcome::Refused: return pick("驱动程序拒绝了设置 ", "the driver refused ") + last;
    case PortOutcome::RefusedAtOpen:
        return english ? "opened, but the driver refused " + lineSettingsText(kOpenLineSettings) +
                             ", the settings a port is opened with"
                       : "已打开，但驱动程序拒绝了打开串口时使用的设置 " +
                             lineSettingsText(kOpenLineSettings);
    case PortOutcome::SendFailed:
        return english ? "the query could not be sent at " + last : "在 " + last + " 无法发送查询";
    case PortOutcome::Lost:
        return english ? "the port went away at " + last : "串口在 " + last + " 时断开了";
    }
    return {};
}

std::string lineSettingsText(const platform::LineSettings& s) {
    static constexpr char kParityLetters[] = "NOEMS";
    const char parity = s.parity >= 0 && s.parity < kParityCount ? kParityLetters[s.parity] : '?';
    return std::to_string(s.baudRate) + " " + std::to_string(s.dataBits) + parity +
           (s.stopBits == platform::TwoStopBits ? "2" : "1");
}

void DetectionScan::explainPort(DetectionView& view, PortOutcome::Kind kind) {
    PortOutcome outcome;
    outcome.kind = kind;
    outcome.tried = std::move(tried_);
    view.explainPort(currentPort_, portName_, portOutcomeText(outcome, view.english()));
    tried_.clear();
}

StoredLine rememberedSettings(const platform::LineSettings& entry) {
    StoredLine out{entry, 115200};
    int rate = GetSettingInt(settings::AsyncSection, settings::BaudRate, 115200);
    if (rate >= 0 && rate < static_cast<int>(kStoredRates.size()))
        out.rate = kStoredRates[static_cast<std::size_t>(rate)];
    out.settings.baudRate = out.rate;
    switch (GetSettingInt(settings::AsyncSection, settings::DataBits, 8)) {
    case 0: out.settings.dataBits = 7; break;
    case 1: out.settings.dataBits = 8; break;
    default: break;
    }
    switch (GetSettingInt(settings::AsyncSection, settings::Parity, 0)) {
    case 0: out.settings.parity = platform::ParityOdd; break;
    case 1: out.settings.parity = platform::ParityEven; break;
    case 2: out.settings.parity = platform::ParityNone; break;
    default: break;
    }
    out.settings.stopBits = GetSettingInt(settings::AsyncSection, settings::StopBits, 0) == 1
                                ? platform::TwoStopBits
                                : platform::OneStopBit;
    return out;
}

IdentifyTry tryIdentification(const platform::LineSettings& settings,
                              const std::function<bool()>& stopped) {
    if (!SerialConfigure(settings))
        return SerialLost() ? IdentifyTry::PortLost : IdentifyTry::Refused;
    SerialPurge();
    if (!SerialWrite(kx220::kIdentify))
        return SerialLost() ? IdentifyTry::PortLost : IdentifyTry::SendFailed;
    // Where reads end with their replies, the wait for the reply is part of the read.
    const int lead = LineDelay(10);
    if (!EndReadsWhenWhole) PumpedWait(lead);
    if (stopped && stopped()) return IdentifyTry::Silent;
    auto reply = SerialReadReply(kx220::kIdentifyReplyLimit, EndReadsWhenWhole ? lead : 0,
                                 resultLineCheck());
    if (SerialLost()) return IdentifyTry::PortLost;
    reply = reply.substr(0, reply.find('\0'));
    return reply.find(kx220::kFamilyName) != std::string::npos ? IdentifyTry::Answered
                                                               : IdentifyTry::Silent;
}

DetectionScan::Try DetectionScan::tryEntry(DetectionView& view,
                                           const platform::LineSettings& settings) {
    tried_.push_back(settings);
    const Try result = tryIdentification(settings, [this] { return stopped_; });
    if (result == Try::Refused)
        ownedBoxText(view.boxOwner(),
                     LanguageMode == 1
                         ? QStringLiteral("Can't set COM%1, please check!").arg(currentPort_)
                         : QString::fromUtf8("串口%1无法设置，请检查串口%1!").arg(currentPort_));
    if (result == Try::SendFailed)
        ownedBoxText(view.boxOwner(),
                     LanguageMode == 1
                         ? QStringLiteral("Send error in COM%1, please check!").arg(currentPort_)
                         : QString::fromUtf8("串口%1发送错误，请检查串口%1!").arg(currentPort_));
    return result;
}

ScanResult DetectionScan::run(DetectionView& view) {
    view.setProgress(0);
    int p = 1;
    int rememberedDone = 0; // the remembered port, once all its entries were tried
    while (p <= 4 && !stopped_) {
        int resume = p;
        if (!QuickTry && !RememberedFirst && p == rememberedDone) {
            ++p; // tried already: go on with the ports not searched yet
            continue;
        }
        currentPort_ = QuickTry ? kQuickTryPort : RememberedFirst ? storedPort() : p;
        view.showPort(currentPort_);
        if (!SerialOpen(currentPort_)) {
            PortOutcome outcome;
            outcome.kind = PortOutcome::NotOpened;
            outcome.openFailure = SerialOpenFailure();
            view.explainPort(currentPort_, "COM" + std::to_string(currentPort_),
                             portOutcomeText(outcome, view.english()));
            if (QuickTry || RememberedFirst) {
                (QuickTry ? QuickTry : RememberedFirst) = false;
                p = 1;
            } else {
                view.setProgress(p * kEntriesPerPort);
                ++p;
            }
            continue;
        }
        portName_ = portName(currentPort_); // before the port can go away
        // The driver refused the settings every port is opened with: the port is closed
        // again, and the first try below fails to set it.
        const bool openRefused = SerialOpenSettingsRefused();
        bool restart = false;
        bool rememberedHere = false;
        for (int index = 0; index < kEntriesPerPort && !stopped_; ++index) {
            auto settings = entrySettings(index);
            ScanRate = settings.baudRate;
            if (QuickTry) {
                settings.baudRate = 115200;
            } else if (RememberedFirst) {
                auto stored = rememberedSettings(settings);
                settings = stored.settings;
                RememberedRate = stored.rate;
                RememberedFirst = false;
                rememberedHere = true;
                p = resume;
                --index; // the remembered try does not use up the table entry
            }
            auto result = tryEntry(view, settings);
            if (result == Try::Refused) {
                explainPort(view, openRefused ? PortOutcome::RefusedAtOpen : PortOutcome::Refused);
                return ScanResult::SettingsRefused;
            }
            if (result == Try::SendFailed) {
                explainPort(view, PortOutcome::SendFailed);
                platform::endProcess(0);
                return ScanResult::Ended;
            }
            if (result == Try::PortLost) {
                explainPort(view, PortOutcome::Lost);
                // The port went away (the channel said so): go on as after a port that
                // did not answer.
                if (QuickTry) {
                    QuickTry = false;
                    restart = true;
                }
                break;
            }
            if (result == Try::Answered) {
                explainPort(view, PortOutcome::Answered);
                SerialPurge();
                PutSettingInt(settings::AsyncSection, settings::ComNo, currentPort_);
                return ScanResult::Found;
            }
            if (QuickTry) {
                explainPort(view, PortOutcome::QuickSilent);
                QuickTry = false;
                SerialClose();
                restart = true;
                break;
            }
            view.stepProgress();
        }
        if (stopped_) break;
        if (!tried_.empty()) explainPort(view, PortOutcome::Silent);
        if (restart) {
            p = 1;
            continue;
        }
        SerialPurge();
        SerialClose();
        // After the remembered port every other port is searched, COM1 first.
        if (rememberedHere) rememberedDone = currentPort_;
        else ++p;
    }
    if (stopped_) return ScanResult::Ended;
    const std::string links = QFile::encodeName(platform::configDir()).toStdString() + "/dosdevices/comN";
    view.explain(view.english() ? "Detection: no adapter answered on COM1 to COM4. COMn is the link " +
                                      links + " to the serial device the adapter is attached to."
                                : "检测: COM1 至 COM4 上都没有KX220应答。COMn 是链接 " + links +
                                      "，指向KX220所连接的串口设备。");
    longFailureBox();
    platform::endProcess(0);
    return ScanResult::Ended;
}

} // namespace omniset
