// Start-up: the detection dialog and the whole sequence up to the sheet, in-process.
#include "core/app/language.h"
#include "core/app/settings_store.h"
#include "core/link/detection.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "core/platform/process.h"
#include "engine_adapter.h"
#include "gui/app/prop_sheet.h"
#include "gui/app/startup.h"
#include "gui/link/detection_dialog.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "program_rig.h"
#include "qtest_main.h"
#include "sim_process.h"
#include "test_env.h"
#include "ui_script.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <chrono>
#include <memory>

using namespace omniset;
using namespace omniset::test;

namespace {
CPropSheet* activeSheet() { return activeModal<CPropSheet>(); }
QByteArray settingsText() {
    QFile f(platform::settingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class StartupTests : public ProgramRig {
    Q_OBJECT

  public:
    StartupTests() : ProgramRig(QStringLiteral("startup")) {}

  private:

    void adapterOn(int port, const char* firmware = "2.0") {
        kx220sim::EngineSettings s;
        s.firmware = firmware;
        ProgramRig::adapterOn(port, s);
    }
    void fakes() { freshPorts(); }

  private slots:
    void init() {
        makeRig(false); // each test makes its fakes
        QFile::remove(platform::settingsFilePath());
        QuickTry = RememberedFirst = true;
        ScanRate = RememberedRate = 115200;
        qputenv("LANG", "en_US.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
    }
    void cleanup() {
        dropRig();
    }

    void detectionFindsTheAdapterAndRemembersThePort() {
        fakes();
        adapterOn(1);
        initLanguageMode();
        CDetectDlg dlg;
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(dlg.found());
        QVERIFY(dlg.timerTicks() >= 2);
        QVERIFY(SerialIsOpen());
        QCOMPARE(GetSettingInt("Asychron_set", "iComNo", 0), 1);
        QVERIFY(boxes->shown.empty());
    }

    void noAdapterEndsWithTheLongBoxAndAWrappedProgressBar() {
        fakes();
        for (int port = 1; port <= 4; ++port) ports->on(port);
        initLanguageMode();
        int progressAtBox = -1;
        CDetectDlg dlg;
        boxes->onShow = [&](const platform::BoxRequest&) {
            progressAtBox = res::control<QProgressBar>(&dlg, 1057)->value();
        };
        const auto t0 = std::chrono::steady_clock::now();
        dlg.exec();
        QVERIFY(std::chrono::steady_clock::now() - t0 < std::chrono::seconds(1));
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxes->shown.size(), std::size_t(1));
        QVERIFY(boxes->shown[0].text.startsWith("Omniset Can't find Brantis KX220!"));
        QCOMPARE(boxes->shown[0].owner, nullptr); // an application-level box
        // 361 steps (the remembered try and 4 x 90 entries) on a range of 0..360.
        QCOMPARE(progressAtBox, 0);
        QVERIFY(!QFile::exists(platform::settingsFilePath()));
    }

    void stopDuringTheScanEndsTheProcess() {
        fakes();
        for (int port = 1; port <= 4; ++port) ports->on(port);
        initLanguageMode();
        CDetectDlg dlg;
        clock->after(4000, [&] { clickButton(&dlg, 2); });
        dlg.exec();
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxes->texts(), QStringList{"Stop searching Brantis KX220!"});
        QCOMPARE(boxes->shown[0].owner, static_cast<QObject*>(&dlg));
        QVERIFY(clock->tickCount() < 1000 + 4000 + 3000);
    }

    void detectionAndSheetTextsInBothLanguages() {
        struct Row {
            int language;
            const char* caption;
            const char* text;
            const char* stop;
            const char* port;
        } rows[] = {
            {1, "Checking Serial Port", "  Detecting Brantis KX220，请等待···", "Stop",
             "Detecting COM2"},
            {0, "查询串口", "   正在查询与串口相连的  Brantis KX220，请等待···", "停止",
             "正在检查 COM2"},
        };
        for (const auto& row : rows) {
            fakes();
            LanguageMode = row.language;
            CDetectDlg dlg;
            dlg.show();
            QCoreApplication::processEvents();
            QCOMPARE(dlg.windowTitle(), QString::fromUtf8(row.caption));
            QCOMPARE(res::control<QLabel>(&dlg, 1056)->text(), QString::fromUtf8(row.text));
            QCOMPARE(res::control<QPushButton>(&dlg, 2)->text(), QString::fromUtf8(row.stop));
            // The port text shows during the scan (the quick try on COM2), also after a
            // repaint, in the language of that repaint.
            QString seen, repainted, switched;
            ports->on(2).respond = [&](std::string_view w, const platform::LineSettings&) {
                if (!w.starts_with("atq0")) return std::string(); // the port's wake-up
                auto* text = res::control<QLabel>(&dlg, 1056);
                seen = text->text();
                dlg.repaint();
                repainted = text->text();
                LanguageMode = 1 - row.language;
                dlg.repaint();
                switched = text->text();
                LanguageMode = row.language;
                return std::string("atq0e1v1i\r\r\nBrantis KX220 ISDN\r\n\r\nOK\r\n");
            };
            QTRY_VERIFY(dlg.found());
            QCOMPARE(seen, QString::fromUtf8(row.port));
            QCOMPARE(repainted, QString::fromUtf8(row.port));
            QCOMPARE(switched, QString::fromUtf8(rows[row.language].port));
            SerialClose();
            QuickTry = RememberedFirst = true;
        }
        LanguageMode = 1;
    }

    // Qt's own texts (box buttons, the file dialog, context menus) follow the language
    // button; the program's own texts do not pass through the toolkit's translation.
    void toolkitTextsFollowTheLanguage() {
        auto okText = [] {
            QMessageBox box;
            return box.addButton(QMessageBox::Ok)->text();
        };
        auto cancel = [] {
            QMessageBox box;
            return box.addButton(QMessageBox::Cancel)->text();
        };
        qputenv("LANG", "zh_CN.UTF-8");
        initLanguageMode();
        QCOMPARE(okText(), QString::fromUtf8("确定"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), QString::fromUtf8("复制(&C)"));
        toggleLanguage();
        QCOMPARE(okText(), QStringLiteral("OK"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("&Copy"));
        toggleLanguage();
        QCOMPARE(okText(), QString::fromUtf8("确定"));
        QCOMPARE(cancel(), QString::fromUtf8("取消"));
        QCOMPARE(res::textFor(res::kDetectPortText), QString::fromUtf8("正在检查 COM%d"));
        qputenv("LANG", "en_US.UTF-8");
        initLanguageMode();
        QCOMPARE(okText(), QStringLiteral("OK"));
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
    }

    void sheetTextsInBothLanguages() {
        struct Row {
            int language;
            const char* tabs[3];
            const char* buttons[5]; // 2001, 2002, 2003, 1, 2
            const char* caption;
        } rows[] = {
            {1,
             {"General information", "Telephone port Settings", "Data port Settings"},
             {"Load", "Save", "中文", "Ok", "Exit"},
             "Velmar Brantis KX220(Current Profile)"},
            {0,
             {"通用信息显示", "电话端口设置", "数据端口设置"},
             {"读取", "保存", "English", "确定", "退出"},
             "Velmar Brantis KX220(当前配置)"},
        };
        fakes();
        adapterOn(1);
        QVERIFY(SerialOpen(1));
        for (const auto& row : rows) {
            LanguageMode = row.language;
            script = std::make_unique<UiScript>();
            script->when(activeSheet, [&] {
                auto* s = activeSheet();
                QCoreApplication::processEvents();
                for (int i = 0; i < 3; ++i)
                    QCOMPARE(s->tabs()->tabText(i), QString::fromUtf8(row.tabs[i]));
                const int ids[] = {2001, 2002, 2003, 1, 2};
                for (int i = 0; i < 5; ++i)
                    QCOMPARE(s->button(ids[i])->text(), QString::fromUtf8(row.buttons[i]));
                QCOMPARE(s->windowTitle(), QString::fromUtf8(row.caption));
                s->button(2)->click();
            });
            script->start();
            CPropSheet sheet(QString::fromUtf8("Velmar Brantis KX220(当前配置)"));
            QCOMPARE(sheet.windowTitle(), QString::fromUtf8("Velmar Brantis KX220(当前配置)"));
            sheet.run();
            QVERIFY(script->done());
            QVERIFY(SerialOpen(1));
        }
        LanguageMode = 1;
    }

    void declinedUpgradeEndsBeforeTheSheetIsShown() {
        fakes();
        adapterOn(1, "1.62");
        bool sheetSeen = false;
        boxes->answer(platform::BoxAnswer::Cancel);
        boxes->onShow = [&](const platform::BoxRequest&) {
            for (auto* w : QApplication::topLevelWidgets())
                if (dynamic_cast<CPropSheet*>(w) && w->isVisible()) sheetSeen = true;
        };
        runStartup();
        QCOMPARE(exits->code, std::optional<int>(0));
        QCOMPARE(boxes->shown.size(), std::size_t(2));
        QVERIFY(boxes->shown[0].text.startsWith("Omniset has detected the version of KX220"));
        QVERIFY(boxes->shown[1].text.startsWith("Sorry! You have choosen the \"Cancel\" Button"));
        QVERIFY(!sheetSeen);
    }

    void startUpToTheSheetAndOutWithExit() {
        fakes();
        adapterOn(1);
        script->when(activeSheet, [] {
            QCOMPARE(LanguageMode, 1);
            activeSheet()->button(2)->click();
        });
        script->start();
        runStartup();
        QVERIFY(script->done());
        QVERIFY(!exits->code);
        QVERIFY(!SerialIsOpen());
        const auto ini = settingsText();
        QVERIFY(ini.contains("[Asychron_set]\niComNo=1\n"));
        QVERIFY(ini.contains("[POTSAd_set]\nm_bInit=1\n"));
    }

    void startUpAgainstTheSimulatorOverARealPty() {
        // The real clock, the real serial device and kx220-sim on COM1; COM2 has nothing.
        qputenv("LANG", "zh_CN.UTF-8");
        SimProcess sim({"--com", "1", "--store",
                        (scratchRoot() + "/startup-pty.store").toStdString()});
        QVERIFY(sim.running());
        script->when(activeSheet, [] {
            QCOMPARE(LanguageMode, 0);
            QCOMPARE(activeSheet()->windowTitle(), QString::fromUtf8("Velmar Brantis KX220(当前配置)"));
            QTest::keyClick(activeSheet(), Qt::Key_Escape);
        });
        script->start(30000);
        runStartup();
        QVERIFY(script->done());
        QVERIFY(!exits->code);
        QVERIFY(boxes->shown.empty());
        QVERIFY(settingsText().contains("iComNo=1"));
        makePortDangling(1);
    }
};

OMNISET_QTEST_MAIN(StartupTests)
#include "test_startup.moc"
