// The main sheet against the simulated adapter's engine on an in-process port.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/cursor.h"
#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"
#include "engine_adapter.h"
#include "gui/app/prop_sheet.h"
#include "gui/pages/general_page.h"
#include "gui/pages/port_pages.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/toolkit/input_guard.h"
#include "program_rig.h"
#include "qtest_main.h"
#include "test_env.h"
#include "ui_script.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <memory>

using namespace omniset;
using namespace omniset::test;

namespace {

constexpr int kOk = 1, kExit = 2;

CPropSheet* activeSheet() { return activeModal<CPropSheet>(); }

// The sheet shows `profile` and no exchange runs (the save and load dialogs set
// ProfileNumber before the exchange starts).
bool sheetIdleAt(int profile) {
    return activeSheet() && ProfileNumber == profile && !InputGuard::isGuarded(activeSheet());
}

} // namespace

class SheetTests : public ProgramRig {
    Q_OBJECT

  public:
    SheetTests() : ProgramRig(QStringLiteral("sheet")) {}

  private:

    // Replies to commands that start with `prefix` are changed by `edit`.
    void editReplies(std::string prefix, std::function<std::string(std::string)> edit) {
        auto inner = adapter->fake().respond;
        adapter->fake().respond = [=](std::string_view w, const platform::LineSettings& s) {
            auto out = inner(w, s);
            return std::string_view(w).starts_with(prefix) ? edit(out) : out;
        };
    }
    std::vector<std::string> commandsSent() const { return adapter->fake().writes; }
    bool sent(std::string_view what) const {
        for (const auto& w : adapter->fake().writes)
            if (w == what) return true;
        return false;
    }
    int runSheet() {
        script->start();
        CPropSheet sheet(QString::fromUtf8("Velmar Brantis KX220(当前配置)"));
        return sheet.run();
    }

    // The adapter on COM1, the port open as detection leaves it.
    void startAdapter(kx220sim::Faults faults = {}) {
        kx220sim::EngineSettings s;
        s.faults = faults;
        adapterOn(1, s);
        QVERIFY(SerialOpen(1));
    }

  private slots:
    void init() {
        makeRig();
        LanguageMode = 1;
        ProfileNumber = kCurrentProfile;
        DownloadActive = 0;
        AllocateProfile(kShortProfileLength);
    }
    void cleanup() {
        dropRig();
    }

    void buttonsCaptionsAndLanguage() {
        startAdapter();
        script->when(activeSheet, [] {
            auto* s = activeSheet();
            // Left to right: language, Load, OK, Exit, Save; no Apply.
            const int order[] = {2003, 2001, kOk, kExit, 2002};
            int lastX = -1000;
            for (int id : order) {
                auto* b = s->button(id);
                QVERIFY(b && b->isVisible());
                QVERIFY(b->x() > lastX);
                QCOMPARE(b->size(), s->button(kOk)->size());
                lastX = b->x();
            }
            QVERIFY(!s->button(12321)->isVisible());
            QCOMPARE(s->windowTitle(), QStringLiteral("Velmar Brantis KX220(Current Profile)"));
            QCOMPARE(s->button(2003)->text(), QString::fromUtf8("中文"));
            QCOMPARE(s->tabs()->tabText(1), QStringLiteral("Telephone port Settings"));
            QCOMPARE(s->button(kExit)->text(), QStringLiteral("Exit"));
            s->button(2003)->click();
            QCOMPARE(LanguageMode, 0);
            QCoreApplication::processEvents();
            QCOMPARE(s->windowTitle(), QString::fromUtf8("Velmar Brantis KX220(当前配置)"));
            QCOMPARE(s->button(2003)->text(), QStringLiteral("English"));
            QCOMPARE(s->button(2001)->text(), QString::fromUtf8("读取"));
            QCOMPARE(s->tabs()->tabText(0), QString::fromUtf8("通用信息显示"));
            s->button(2003)->click();
            QCoreApplication::processEvents();
            QCOMPARE(s->button(kOk)->text(), QStringLiteral("Ok"));
            s->button(kExit)->click();
        });
        QCOMPARE(runSheet(), int(QDialog::Rejected));
        QVERIFY(script->done());
        QVERIFY2(!SerialIsOpen(), "Exit closes the port");
        for (const auto& w : commandsSent()) QVERIFY(!std::string_view(w).starts_with("AT&X"));
        QVERIFY(boxes->shown.empty());
    }

    void loadReadsTheChosenProfile() {
        startAdapter();
        script->when(activeSheet, [] { activeSheet()->button(2001)->click(); });
        script->when(activeModal<CLoadProfileDlg>, [] {
            auto* d = activeModal<CLoadProfileDlg>();
            auto* list = d->findChild<QComboBox*>();
            QCOMPARE(list->currentIndex(), 0); // the current configuration
            chooseItem(list, 2); // Profile 1
            clickButton(d, 1);
        });
        script->when([] { return sheetIdleAt(1); }, [] {
            auto* s = activeSheet();
            QCOMPARE(s->windowTitle(), QStringLiteral("Velmar Brantis KX220(Profile 1)"));
            QCOMPARE(s->tabs()->currentWidget(), static_cast<QWidget*>(s->dataPortPage()));
            s->button(kExit)->click();
        });
        runSheet();
        QVERIFY(script->done());
        QVERIFY(sent("AT&Y1\r"));
    }

    void aFailedLoadChangesNothing() {
        startAdapter();
        editReplies("AT&Y0", [](std::string out) {
            if (out.size() > 20) out.replace(20, 1, out.substr(20, 1) == "0" ? "1" : "0");
            return out;
        });
        ProfileRecord before;
        script->when(activeSheet, [&] {
            before = ProfileImage();
            activeSheet()->button(2001)->click();
        });
        script->when(activeModal<CLoadProfileDlg>, [] {
            auto* d = activeModal<CLoadProfileDlg>();
            chooseItem(d->findChild<QComboBox*>(), 1); // Profile 0
            clickButton(d, 1);
        });
        script->when([this] { return activeSheet() && sent("AT&Y0\r"); }, [&] {
            auto* s = activeSheet();
            QCOMPARE(ProfileNumber, kCurrentProfile);
            QCOMPARE(s->windowTitle(), QStringLiteral("Velmar Brantis KX220(Current Profile)"));
            QVERIFY(ProfileImage() == before);
            QCOMPARE(s->tabs()->currentIndex(), 0);
            s->button(kExit)->click();
        });
        runSheet();
        QVERIFY(script->done());
        QVERIFY2(boxes->shown.empty(), "a failed read shows no box");
    }

    void saveCancelledStillPacksAndSaveWritesTheProfile() {
        startAdapter();
        script->when(activeSheet, [] {
            ProfileImage().setByte(300, static_cast<std::uint8_t>(ProfileImage().byte(300) + 1));
            activeSheet()->button(2002)->click();
        });
        script->when(activeModal<CSaveProfileDlg>, [] { clickButton(activeModal<CSaveProfileDlg>(), 2); });
        script->when([] { return activeSheet() && !ProfileHexText().empty(); }, [this] {
            auto* s = activeSheet();
            QCOMPARE(QString::fromStdString(ProfileHexText()),
                     QString::fromStdString(encodeProfileHex(ProfileImage())));
            QCOMPARE(ProfileNumber, kCurrentProfile);
            QCOMPARE(s->tabs()->currentWidget(), static_cast<QWidget*>(s->telPortPage()));
            for (const auto& w : commandsSent()) QVERIFY(!std::string_view(w).starts_with("AT&X"));
            s->button(2002)->click();
        });
        script->when(activeModal<CSaveProfileDlg>, [] {
            auto* d = activeModal<CSaveProfileDlg>();
            chooseItem(d->findChild<QComboBox*>(), 1); // Profile 1
            clickButton(d, 1);
        });
        script->when([] { return sheetIdleAt(1); }, [] {
            QCOMPARE(activeSheet()->windowTitle(),
                     QStringLiteral("Velmar Brantis KX220(Profile 1)"));
            activeSheet()->button(kExit)->click();
        });
        runSheet();
        QVERIFY(script->done());
        QVERIFY(sent("AT&X1\r"));
        const auto& raw = ProfileImage().raw();
        QVERIFY(adapter->engine().store().record(1) ==
                std::vector<std::uint8_t>(raw.begin(), raw.begin() + ProfileLength));
    }

    void okWithAFailedWriteKeepsTheSheetOpen() {
        kx220sim::Faults f;
        f.noWriteAck = true;
        startAdapter(f);
        script->when(activeSheet, [] { activeSheet()->button(kOk)->click(); });
        script->when(activeModal<CCurrentProfileDlg>,
                     [] { clickButton(activeModal<CCurrentProfileDlg>(), 1); });
        script->when([this] { return activeSheet() && !boxes->shown.empty(); }, [this] {
            QCOMPARE(boxes->shown.back().text, QString::fromUtf8("Writing Profile Error！"));
            QCOMPARE(ProfileNumber, kCurrentProfile);
            QVERIFY(SerialIsOpen());
            activeSheet()->button(kExit)->click();
        });
        QCOMPARE(runSheet(), int(QDialog::Rejected));
        QVERIFY(script->done());
    }

    void okWritesTheCurrentConfigurationAndCloses() {
        startAdapter();
        script->when(activeSheet, [] {
            ProfileImage().setByte(field::FareUnit, 42);
            activeSheet()->button(kOk)->click();
        });
        script->when(activeModal<CCurrentProfileDlg>,
                     [] { clickButton(activeModal<CCurrentProfileDlg>(), 1); });
        QCOMPARE(runSheet(), int(QDialog::Accepted));
        QVERIFY(script->done());
        QVERIFY(!SerialIsOpen());
        QCOMPARE(adapter->engine().store().record(kCurrentProfile)[field::FareUnit], 42);
        QVERIFY(boxes->shown.empty());
    }

    void theCurrentProfileQuestionCancelledWritesNothing() {
        startAdapter();
        // Return at the opening presses OK (the focus is on the tab bar); Escape then
        // cancels the question, and Escape on the sheet is Exit.
        script->when(activeSheet, [] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        script->when(activeModal<CCurrentProfileDlg>, [] {
            QTest::keyClick(activeModal<CCurrentProfileDlg>(), Qt::Key_Escape);
        });
        script->when(activeSheet, [] {
            QCOMPARE(activeSheet()->CurrentConfirmed, 0);
            QTest::keyClick(activeSheet(), Qt::Key_Escape);
        });
        QCOMPARE(runSheet(), int(QDialog::Rejected));
        QVERIFY(script->done());
        for (const auto& w : commandsSent()) QVERIFY(!std::string_view(w).starts_with("AT&X"));
    }

    void aFailedFirstReadEndsWithExitCodeOne() {
        kx220sim::Faults f;
        f.badReadChecksum = true;
        startAdapter(f);
        bool statusBehindTheBox = false;
        boxes->onShow = [&](const platform::BoxRequest&) {
            statusBehindTheBox = readingStatus() && readingStatus()->isVisible();
        };
        QCOMPARE(runSheet(), int(QDialog::Rejected));
        QVERIFY2(statusBehindTheBox, "the reading window stays up behind the box");
        QCOMPARE(exits->code, std::optional<int>(1));
        QCOMPARE(boxes->shown.size(), std::size_t(1));
        QVERIFY(boxes->shown[0].text.contains(
            "- 3: There is no data call or communication in KX220. \n- 4: If the DTE"));
        QVERIFY(!SerialIsOpen());
    }

    // The wait cursor shows while the sheet talks to the adapter, and never over a dialog
    // or a box that waits for the user.
    void theWaitCursorCoversOnlyTheExchanges() {
        kx220sim::Faults f;
        f.noWriteAck = true;
        startAdapter(f);
        QStringList seen;
        auto note = [&seen](const QString& where) {
            const QCursor* c = QGuiApplication::overrideCursor();
            seen << where + (c && c->shape() == Qt::WaitCursor ? ": wait" : ": arrow");
        };
        editReplies("AT&Y0", [&](std::string out) { note("read"); return out; });
        editReplies("AT&X5", [&](std::string out) { note("write"); return out; });
        boxes->onShow = [&](const platform::BoxRequest& r) { note(r.text); };
        QString threshold;
        auto edit = [] { return res::control<QLineEdit>(activeSheet()->dataPortPage(), 1106); };
        auto ask = [&](auto dialog, int button, QString name) {
            script->when(dialog, [=] {
                note(name);
                clickButton(dialog(), button);
            });
        };
        script->when(activeSheet, [] { activeSheet()->button(2001)->click(); });
        script->when(activeModal<CLoadProfileDlg>, [&] {
            note("load dialog");
            chooseItem(activeModal<CLoadProfileDlg>()->findChild<QComboBox*>(), 1); // Profile 0
            clickButton(activeModal<CLoadProfileDlg>(), 1);
        });
        script->when([] { return sheetIdleAt(0); }, [] { activeSheet()->button(2002)->click(); });
        ask(activeModal<CSaveProfileDlg>, 2, "save dialog");
        script->when([] { return sheetIdleAt(0); }, [&] {
            threshold = edit()->text();
            edit()->setText(QString()); // fails its check when packed
            activeSheet()->button(kOk)->click();
        });
        ask(activeModal<CCurrentProfileDlg>, 1, "current dialog");
        script->when([&] { return sheetIdleAt(0) && boxes->shown.size() == 1; }, [&] {
            edit()->setText(threshold);
            activeSheet()->button(kOk)->click();
        });
        ask(activeModal<CCurrentProfileDlg>, 1, "current dialog");
        script->when([&] { return sheetIdleAt(0) && boxes->shown.size() == 2; },
                     [] { activeSheet()->button(kExit)->click(); });
        runSheet();
        QVERIFY(script->done());
        QCOMPARE(seen, (QStringList{"load dialog: arrow", "read: wait", "save dialog: arrow",
                                    "current dialog: arrow", "Please enter an integer.: arrow",
                                    "current dialog: arrow", "write: wait",
                                    QString::fromUtf8("Writing Profile Error！: arrow")}));
        QVERIFY(!QGuiApplication::overrideCursor());
        // Encoding the record ends the packing's wait cursor.
        platform::WaitCursor packing;
        EncodeProfile();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void aRunningDownloadDisablesAllFiveButtons() {
        startAdapter();
        script->when(activeSheet, [] {
            auto* s = activeSheet();
            DownloadActive = 1;
            s->repaint();
            for (int id : {2001, 2002, kOk, 2003, kExit}) QVERIFY(!s->button(id)->isEnabled());
            DownloadActive = 0;
            s->repaint();
            for (int id : {2001, 2002, kOk, 2003, kExit}) QVERIFY(s->button(id)->isEnabled());
            s->button(kExit)->click();
        });
        runSheet();
        QVERIFY(script->done());
    }

    void noInputReachesTheSheetWhileItWrites() {
        startAdapter();
        // A click on Load while the save waits for its acknowledgement is dropped: no
        // second exchange starts on the port.
        bool clicked = false;
        script->when(activeSheet, [] { activeSheet()->button(2002)->click(); });
        script->when(activeModal<CSaveProfileDlg>, [this, &clicked] {
            clock->after(1000, [&clicked] {
                for (auto* w : QApplication::topLevelWidgets())
                    if (auto* s = dynamic_cast<CPropSheet*>(w)) {
                        QTest::mouseClick(s->button(2001), Qt::LeftButton);
                        clicked = true;
                    }
            });
            clickButton(activeModal<CSaveProfileDlg>(), 1);
        });
        script->when([] { return sheetIdleAt(0); },
                     [] { activeSheet()->button(kExit)->click(); });
        runSheet();
        QVERIFY(script->done());
        QVERIFY(clicked);
        for (const auto& w : commandsSent())
            QVERIFY(!std::string_view(w).starts_with("AT&Y") || w == "AT&Y5\r");
    }
};

OMNISET_QTEST_MAIN(SheetTests)
#include "test_sheet.moc"
