// The detection scan against fake ports on a virtual clock.
#include "core/app/language.h"
#include "core/app/settings_store.h"
#include "core/link/detection.h"
#include "core/link/serial_channel.h"
#include "core/platform/ini_file.h"
#include "core/platform/paths.h"
#include "core/record/adapter_commands.h"
#include "testkit.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <set>

using namespace omniset;
using platform::LineSettings;

namespace {

struct RecordingView : DetectionView {
    void showPort(int port) override { ports.push_back(port); }
    void setProgress(int position) override {
        positions.push_back(position);
        progress = position;
    }
    void stepProgress() override {
        ++steps;
        ++progress;
    }
    platform::BoxOwner boxOwner() override { return nullptr; }
    void explain(const std::string& line) override { lines.push_back(line); }
    bool english() const override { return inEnglish; }
    std::vector<std::string> lines;
    bool inEnglish = true;
    std::vector<int> ports, positions;
    int steps = 0, progress = 0;
};

class Detection : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(platform::settingsFilePath());
        QuickTry = RememberedFirst = true;
        ScanRate = RememberedRate = 115200;
        LanguageMode = 1;
    }
    void TearDown() override {
        SerialClose();
        ScanRate = RememberedRate = 115200;
    }
    // An adapter that answers the identification query only under these settings.
    void adapterOn(int port, LineSettings line) {
        ports.on(port).respond = [line](std::string_view w, const LineSettings& s) {
            if (w != kx220::kIdentify || !(s == line)) return std::string();
            return std::string(w) + "\r\nBrantis KX220 ISDN TA\r\nOK\r\n";
        };
    }
    void silentOn(int port) { ports.on(port); }
    ScanResult scan() { return DetectionScan().run(view); }

    test::VirtualClock clock;
    test::FakePorts ports;
    test::ScriptedBoxes boxes;
    test::ExitRecorder exits;
    RecordingView view;
};

const LineSettings k8N1{115200, 8, 0, 0};

} // namespace

TEST_F(Detection, AnAdapterOnCom2IsFoundByTheQuickTry) {
    adapterOn(2, k8N1);
    EXPECT_EQ(scan(), ScanResult::Found);
    EXPECT_TRUE(SerialIsOpen());
    EXPECT_EQ(ports.openAttempts, std::vector<int>{2});
    EXPECT_EQ(GetSettingInt(settings::AsyncSection, settings::ComNo, 0), 2);
    EXPECT_EQ(RememberedRate, 115200u);
    EXPECT_EQ(view.ports, std::vector<int>{2});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Detection, FirstRunOrderFindsA9600AdapterAtTheEleventhEntry) {
    adapterOn(1, {9600, 8, 0, 0});
    silentOn(2);
    EXPECT_EQ(scan(), ScanResult::Found);
    // COM2 once (quick try), then COM1: the remembered defaults, then the table.
    EXPECT_EQ(ports.openAttempts, (std::vector<int>{2, 1}));
    const auto& c2 = ports.on(2).configurations;
    ASSERT_EQ(c2.size(), 2u); // the open's 115200 8N1, then the quick try
    EXPECT_EQ(c2[1], k8N1);
    const auto& c1 = ports.on(1).configurations;
    ASSERT_EQ(c1.size(), 1u + 1 + 11);
    EXPECT_EQ(c1[1], (LineSettings{115200, 8, platform::ParityOdd, 0})); // remembered
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(c1[2 + i].baudRate, 115200u);
        EXPECT_EQ(c1[2 + i].dataBits, i < 5 ? 8 : 7);
        EXPECT_EQ(c1[2 + i].parity, i % 5);
    }
    EXPECT_EQ(c1[12], (LineSettings{9600, 8, 0, 0}));
    EXPECT_EQ(GetSettingInt(settings::AsyncSection, settings::ComNo, 0), 1);
    EXPECT_EQ(view.steps, 1 + 10); // the remembered try and ten table entries
    EXPECT_EQ(ScanRate, 9600u);
}

TEST_F(Detection, RememberedSettingsFindA2400AdapterAtOnce) {
    auto ini = platform::settingsFilePath();
    platform::iniWriteInt(ini, "Asychron_set", "iComNo", 3);
    platform::iniWriteInt(ini, "Asychron_set", "m_baudrate2", 2);
    platform::iniWriteInt(ini, "Asychron_set", "m_paritychk2", 2);
    adapterOn(3, {2400, 8, 0, 0});
    EXPECT_EQ(scan(), ScanResult::Found);
    EXPECT_EQ(ports.openAttempts, (std::vector<int>{2, 3}));
    EXPECT_EQ(RememberedRate, 2400u);
    EXPECT_EQ(ScanRate, 115200u);
    EXPECT_EQ(LineDelay(10), 1006) << "every later delay carries the slow-rate surcharge";
    EXPECT_EQ(view.ports, (std::vector<int>{2, 3}));
}

TEST_F(Detection, StoredIndexesMapAndOtherValuesFallBack) {
    auto ini = platform::settingsFilePath();
    LineSettings entry{57600, 7, platform::ParityMark, 0};
    auto r = rememberedSettings(entry); // no file: the defaults; 8 data bits is no index
    EXPECT_EQ(r.settings, (LineSettings{115200, 7, platform::ParityOdd, 0}));
    platform::iniWriteInt(ini, "Asychron_set", "m_baudrate2", 4);
    platform::iniWriteInt(ini, "Asychron_set", "m_data2", 0);
    platform::iniWriteInt(ini, "Asychron_set", "m_paritychk2", 1);
    platform::iniWriteInt(ini, "Asychron_set", "m_stopbits2", 1);
    r = rememberedSettings(entry);
    EXPECT_EQ(r.settings, (LineSettings{9600, 7, platform::ParityEven, platform::TwoStopBits}));
    EXPECT_EQ(r.rate, 9600u);
    platform::iniWriteInt(ini, "Asychron_set", "m_baudrate2", 9);
    platform::iniWriteInt(ini, "Asychron_set", "m_data2", 5);
    platform::iniWriteInt(ini, "Asychron_set", "m_paritychk2", 7);
    platform::iniWriteInt(ini, "Asychron_set", "m_stopbits2", 3);
    r = rememberedSettings(entry);
    EXPECT_EQ(r.settings, (LineSettings{115200, 7, platform::ParityMark, 0}));
}

TEST_F(Detection, NoAdapterAnywhereEndsWithTheLongBoxQuickly) {
    for (int port = 1; port <= 4; ++port) silentOn(port);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(scan(), ScanResult::Ended);
    auto real = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(real, std::chrono::milliseconds(500));
    EXPECT_EQ(exits.code, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Omniset Can't find Brantis KX220! Please check "
                                               "and\n ensure the following items:"));
    EXPECT_TRUE(boxes.shown[0].text.endsWith("set DIP1 to ON, and then retry."));
    EXPECT_EQ(view.ports, (std::vector<int>{2, 1, 2, 3, 4}));
    EXPECT_EQ(view.steps, 1 + 4 * kEntriesPerPort);
    // Each silent try costs the query wait and the read time-out, on the virtual clock.
    EXPECT_GT(clock.tickCount(), 361u * 1038);
    EXPECT_FALSE(QFile::exists(platform::settingsFilePath()));
}

TEST_F(Detection, PortsThatCannotBeOpenedJumpTheProgressBar) {
    silentOn(3);
    EXPECT_EQ(scan(), ScanResult::Ended);
    EXPECT_EQ(ports.openAttempts, (std::vector<int>{2, 1, 1, 2, 3, 4}));
    EXPECT_EQ(view.positions, (std::vector<int>{0, 90, 180, 360}));
    EXPECT_EQ(view.steps, kEntriesPerPort);
}

TEST_F(Detection, ARefusedSettingNamesThePortAndEndsTheScan) {
    silentOn(2);
    ports.on(1).refuseIf = [](const LineSettings& s) { return s.parity == platform::ParityMark; };
    EXPECT_EQ(scan(), ScanResult::SettingsRefused);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't set COM1, please check!");
    EXPECT_FALSE(exits.code);
    EXPECT_FALSE(SerialIsOpen());
    LanguageMode = 0;
    QuickTry = RememberedFirst = false;
    boxes.shown.clear();
    EXPECT_EQ(scan(), ScanResult::SettingsRefused);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("串口1无法设置，请检查串口1!"));
}

// A port whose driver refuses the settings every port is opened with is no port that
// cannot be opened: the box asks to check it, the scan ends there, and standard error says
// which settings were refused.
TEST_F(Detection, RefusedOpeningSettingsAskToCheckThePort) {
    ports.on(1).refuseIf = [](const LineSettings& s) { return s == kOpenLineSettings; };
    EXPECT_EQ(scan(), ScanResult::SettingsRefused);
    EXPECT_EQ(ports.openAttempts, (std::vector<int>{2, 1})); // COM2 does not open
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't set COM1, please check!");
    EXPECT_FALSE(exits.code);
    EXPECT_FALSE(SerialIsOpen());
    EXPECT_FALSE(ports.on(1).open);
    ASSERT_FALSE(view.lines.empty());
    EXPECT_EQ(view.lines.back(), "Detection: COM1: opened, but the driver refused 115200 8N1, "
                                 "the settings a port is opened with");
}

TEST_F(Detection, AQueryThatCannotBeSentEndsTheProcess) {
    ports.on(2).failWrites = true;
    EXPECT_EQ(scan(), ScanResult::Ended);
    EXPECT_EQ(exits.code, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Send error in COM2, please check!");
}

TEST_F(Detection, StopDuringAWaitEndsTheScanAtOnce) {
    for (int port = 1; port <= 4; ++port) silentOn(port);
    DetectionScan s;
    clock.after(5000, [&] { s.stop(); });
    EXPECT_EQ(s.run(view), ScanResult::Ended);
    EXPECT_LT(clock.tickCount(), 1000u + 5000 + 2000);
    EXPECT_TRUE(boxes.shown.empty()) << "no long failure box after Stop";
}

TEST_F(Detection, AfterARememberedPortEveryOtherPortIsSearched) {
    platform::iniWriteInt(platform::settingsFilePath(), "Asychron_set", "iComNo", 3);
    for (int port = 1; port <= 4; ++port) silentOn(port);
    EXPECT_EQ(scan(), ScanResult::Ended);
    // The quick try, the remembered COM3 with its table, then COM1, COM2 and COM4.
    EXPECT_EQ(view.ports, (std::vector<int>{2, 3, 1, 2, 4}));
    EXPECT_EQ(ports.on(3).configurations.size(), 1u + 1 + kEntriesPerPort);
    EXPECT_EQ(ports.on(1).configurations.size(), 1u + kEntriesPerPort);
    EXPECT_EQ(view.steps, 1 + 4 * kEntriesPerPort);
}

// Detection says on standard error what happened on each port, one line per port opened
// or not, and sums up when nothing answered.
TEST_F(Detection, EachPortIsExplainedInOneLine) {
    ports.openErrors[1] = platform::OpenError::PermissionDenied;
    silentOn(2);
    ports.openErrors[3] = platform::OpenError::DanglingLink;
    ports.openErrors[4] = platform::OpenError::InUse;
    EXPECT_EQ(scan(), ScanResult::Ended);
    const std::string denied =
        "Detection: COM1: /dev/fake1: permission denied (serial ports belong to the dialout "
        "group: add your user to it, e.g. sudo adduser $USER dialout, then log in again)";
    EXPECT_EQ(view.lines,
              (std::vector<std::string>{
                  "Detection: COM2: opened, no answer at 115200 8N1 (quick try)",
                  denied, // the remembered port
                  denied,
                  "Detection: COM2: opened, no answer at 90 settings (115200 8N1 to 600 7S1)",
                  "Detection: COM3: its link leads to /dev/fake3, which does not exist",
                  "Detection: COM4: /dev/fake4: in use by another program",
                  "Detection: no adapter answered on COM1 to COM4. COMn is the link " +
                      QFile::encodeName(platform::configDir()).toStdString() +
                      "/dosdevices/comN to the serial device the adapter is attached to.",
              }));

    view.lines.clear();
    QuickTry = RememberedFirst = true;
    adapterOn(1, {9600, 8, platform::ParityNone, platform::OneStopBit});
    EXPECT_EQ(scan(), ScanResult::Found);
    ASSERT_FALSE(view.lines.empty());
    // The remembered try and the ten entries at 115200 baud stayed silent.
    EXPECT_EQ(view.lines.back(),
              "Detection: COM1: the adapter answered at 9600 8N1 (after 11 settings without answer)");
}

// A view that speaks Chinese gets every line in Chinese, port by port.
TEST_F(Detection, AChineseViewGetsChineseLines) {
    view.inEnglish = false;
    ports.openErrors[1] = platform::OpenError::InUse;
    silentOn(2);
    EXPECT_EQ(scan(), ScanResult::Ended);
    ASSERT_EQ(view.lines.size(), 7u);
    EXPECT_EQ(view.lines[0], "检测: COM2: 已打开，没有应答: 115200 8N1 (快速尝试)");
    EXPECT_EQ(view.lines[1], "检测: COM1: /dev/fake1: 正被另一个程序使用");
    EXPECT_EQ(view.lines[3], "检测: COM2: 已打开，没有应答: 90 种设置 (115200 8N1 至 600 7S1)");
    EXPECT_EQ(view.lines[6].rfind("检测: COM1 至 COM4 上都没有KX220应答", 0), 0u) << view.lines[6];
}

bool hasNonAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c > 0x7F) return true;
    return false;
}

// Each way a port can end has its words in both languages, naming where it ended.
TEST(PortOutcomeText, EveryOutcomeInBothLanguages) {
    const std::vector<LineSettings> tried{k8N1, {9600, 7, platform::ParityEven, 0}};
    std::vector<PortOutcome> outcomes;
    for (auto kind : {PortOutcome::Answered, PortOutcome::Silent, PortOutcome::QuickSilent,
                      PortOutcome::Refused, PortOutcome::RefusedAtOpen, PortOutcome::SendFailed,
                      PortOutcome::Lost})
        outcomes.push_back({kind, {}, tried});
    for (auto error : {platform::OpenError::DanglingLink, platform::OpenError::NoDevice,
                       platform::OpenError::PermissionDenied, platform::OpenError::InUse,
                       platform::OpenError::Console, platform::OpenError::Other})
        outcomes.push_back({PortOutcome::NotOpened, {error, "/dev/x", "", 0, ""}, {}});
    for (int e : {ENOENT, ENOTTY})
        outcomes.push_back({PortOutcome::NotOpened, {platform::OpenError::NoDevice, "/dev/x", "", e, ""}, {}});
    std::set<std::string> seen;
    for (const PortOutcome& o : outcomes) {
        const std::string en = portOutcomeText(o, true), zh = portOutcomeText(o, false);
        SCOPED_TRACE(en);
        EXPECT_FALSE(hasNonAscii(en));
        EXPECT_TRUE(hasNonAscii(zh)) << zh;
        EXPECT_TRUE(seen.insert(en).second) << "told apart from the others";
        const std::string where = o.kind == PortOutcome::NotOpened   ? "/dev/x"
                                  : o.kind == PortOutcome::RefusedAtOpen ? "115200 8N1"
                                                                        : "9600 7E1";
        EXPECT_NE(en.find(where), std::string::npos);
        EXPECT_NE(zh.find(where), std::string::npos) << zh;
    }
    platform::OpenFailure denied{platform::OpenError::PermissionDenied, "/dev/x", "", EACCES, "uucp"};
    EXPECT_NE(platform::openErrorText(denied).find("sudo adduser $USER uucp"), std::string::npos);
}

TEST(DetectionViewDefault, ExplainsOnStandardError) {
    struct Minimal : DetectionView {
        void showPort(int) override {}
        void setProgress(int) override {}
        void stepProgress() override {}
        platform::BoxOwner boxOwner() override { return nullptr; }
    } view;
    testing::internal::CaptureStderr();
    view.explain("Detection: COM1: found");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Detection: COM1: found\n");
}
