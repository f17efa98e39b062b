// The port pages through the whole sheet: an edit on each page reaches the adapter (the
// engine on an in-process port, and kx220-sim on a pty) as exactly its bytes; the packing
// order leaves the telephone port page active; a load activates and refreshes the pages;
// the synchronous-mode notice before a write.
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "engine_adapter.h"
#include "gui/app/prop_sheet.h"
#include "gui/pages/port_pages.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/toolkit/input_guard.h"
#include "port_fixture.h"
#include "program_rig.h"
#include "qtest_main.h"
#include "sim_process.h"
#include "test_env.h"
#include "ui_script.h"

#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>

#include <memory>

using namespace omniset;
using namespace omniset::test;
namespace f = omniset::field;

namespace {

constexpr int kOk = 1, kExit = 2;

CPropSheet* activeSheet() { return activeModal<CPropSheet>(); }
bool sheetIdle() { return activeSheet() && !InputGuard::isGuarded(activeSheet()); }

ProfileRecord recordOf(const std::vector<std::uint8_t>& bytes) {
    ProfileRecord r(static_cast<int>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) r.setByte(static_cast<int>(i), bytes[i]);
    return r;
}

// The user's edits: the upper threshold on the data port page, TEL1 CLIR on the other.
void editBothPages(CPropSheet* s) {
    s->tabs()->setCurrentWidget(s->dataPortPage());
    type(s->dataPortPage(), 1106, "40");
    s->tabs()->setCurrentWidget(s->telPortPage());
    click(s->telPortPage(), 1034); // Restriction
}
const Bytes kEditedBytes = Bytes().set(f::UpperThreshold, 80).set(f::Tel1Clir, 1);

void confirmCurrentProfile() {
    clickButton(activeModal<CCurrentProfileDlg>(), kOk);
}

} // namespace

class PortSheetTest : public ProgramRig {
    Q_OBJECT

  public:
    PortSheetTest() : ProgramRig(QStringLiteral("ports")) {}

  private:

    void startEngine() {
        freshPorts();
        adapterOn(1);
        QVERIFY(SerialOpen(1));
    }
    const kx220sim::ProfileStore& store() { return adapter->engine().store(); }
    // Changes a stored profile over the link, as another run of the program would.
    void changeOnAdapter(int profile, const std::function<void(ProfileRecord&)>& edit) {
        DetermineProfileLength();
        UnlockProfiles();
        QVERIFY(ReadProfile(profileReadCommand(profile)));
        edit(ProfileImage());
        EncodeProfile();
        QVERIFY(WriteProfile(profileWriteCommand(profile)));
    }

  private slots:
    void init() {
        makeRig(false); // startEngine() makes the fakes
        LanguageMode = 1;
        ProfileNumber = kCurrentProfile;
    }
    void cleanup() {
        dropRig();
    }

    void okWritesExactlyTheEditedBytes() {
        startEngine();
        const ProfileRecord before = recordOf(store().record(kCurrentProfile));
        CPropSheet sheet(QStringLiteral("sheet"));
        script->when(activeSheet, [] {
            editBothPages(activeSheet());
            activeSheet()->button(kOk)->click();
        });
        script->when(activeModal<CCurrentProfileDlg>, confirmCurrentProfile);
        script->start();
        QCOMPARE(sheet.run(), int(QDialog::Accepted));
        QVERIFY(script->done());
        const ProfileRecord after = recordOf(store().record(kCurrentProfile));
        QCOMPARE(unexpectedBytes(before, after, kEditedBytes), QStringList());
        QCOMPARE(sheet.tabs()->currentWidget(), static_cast<QWidget*>(sheet.telPortPage()));
        QVERIFY(boxes->shown.empty());
    }

    void packingOrderLeavesTheTelephonePageActive() {
        // OK with a cancelled question packs nothing; Save (cancelled) still packs, from
        // the General page, and ends on the telephone port page.
        startEngine();
        CPropSheet sheet(QStringLiteral("sheet"));
        script->when(sheetIdle, [] {
            QCOMPARE(activeSheet()->tabs()->currentIndex(), 0);
            activeSheet()->button(2002)->click();
        });
        script->when(activeModal<CSaveProfileDlg>, [] { clickButton(activeModal<CSaveProfileDlg>(), 2); });
        script->when(sheetIdle, [] {
            auto* s = activeSheet();
            QCOMPARE(s->tabs()->currentWidget(), static_cast<QWidget*>(s->telPortPage()));
            QVERIFY(s->telPortPage()->m_bPageReady && s->dataPortPage()->initialised());
            s->button(kExit)->click();
        });
        script->start();
        sheet.run();
        QVERIFY(script->done());
    }

    void aLoadActivatesAndRefreshesThePages() {
        startEngine();
        changeOnAdapter(1, [](ProfileRecord& r) {
            r.setByte(f::FareUnit, 3);
            r.setText(f::Tel1Msn, 16, "999");
        });
        CPropSheet sheet(QStringLiteral("sheet"));
        script->when(sheetIdle, [] {
            auto* s = activeSheet();
            s->tabs()->setCurrentWidget(s->telPortPage()); // initialised before the load
            s->tabs()->setCurrentIndex(0);
            s->button(2001)->click();
        });
        script->when(activeModal<CLoadProfileDlg>, [] {
            auto* d = activeModal<CLoadProfileDlg>();
            chooseItem(d->findChild<QComboBox*>(), 2); // Profile 1
            clickButton(d, kOk);
        });
        script->when([] { return sheetIdle() && ProfileNumber == 1; }, [] {
            auto* s = activeSheet();
            QCOMPARE(s->tabs()->currentWidget(), static_cast<QWidget*>(s->dataPortPage()));
            QCOMPARE(lineEdit(s->dataPortPage(), 1095)->text(), QStringLiteral("30"));
            QCOMPARE(lineEdit(s->telPortPage(), 1040)->text(), QStringLiteral("999"));
            s->button(kExit)->click();
        });
        script->start();
        sheet.run();
        QVERIFY(script->done());
        QVERIFY(boxes->shown.empty());
    }

    void synchronousModeNoticeBeforeTheWrite_data() {
        QTest::addColumn<int>("serialMode");
        QTest::addColumn<bool>("notice");
        QTest::newRow("SYNC") << 1 << true;
        QTest::newRow("ASYN") << 0 << false;
    }
    void synchronousModeNoticeBeforeTheWrite() {
        QFETCH(int, serialMode);
        QFETCH(bool, notice);
        startEngine();
        changeOnAdapter(kCurrentProfile, [&](ProfileRecord& r) {
            r.setByte(f::SerialMode, static_cast<std::uint8_t>(serialMode));
        });
        std::size_t writesAtNotice = 0;
        boxes->onShow = [&](const platform::BoxRequest&) { writesAtNotice = adapter->fake().writes.size(); };
        const std::size_t writesBefore = adapter->fake().writes.size();
        CPropSheet sheet(QStringLiteral("sheet"));
        script->when(activeSheet, [] { activeSheet()->button(kOk)->click(); });
        script->when(activeModal<CCurrentProfileDlg>, confirmCurrentProfile);
        script->start();
        QCOMPARE(sheet.run(), int(QDialog::Accepted));
        QCOMPARE(boxes->shown.size(), std::size_t(notice ? 1 : 0));
        if (notice) {
            QVERIFY(boxes->shown[0].text.startsWith("NOTICE:\n\nYou have set Serial Mode"));
            const auto& w = adapter->fake().writes;
            QVERIFY(writesAtNotice > writesBefore);
            QVERIFY2(std::find(w.begin() + long(writesBefore), w.begin() + long(writesAtNotice),
                               "AT&X5\r") == w.begin() + long(writesAtNotice),
                     "the notice comes before the write command");
            QCOMPARE(w.back(), ProfileHexText());
        }
        QCOMPARE(store().record(kCurrentProfile)[f::SerialMode], serialMode);
    }

    void editsReachKx220SimExactly() {
        // The real simulator on a pty, on the real clock.
        QDir().mkpath(scratchRoot() + "/sim");
        SimProcess sim({"--com", "1", "--store", (scratchRoot() + "/sim/ports.store").toStdString()});
        QVERIFY(SerialOpen(1));
        ProfileRecord before;
        {
            CPropSheet sheet(QStringLiteral("sheet"));
            script->when(sheetIdle, [&] {
                before = ProfileImage();
                editBothPages(activeSheet());
                activeSheet()->button(kOk)->click();
            });
            script->when(activeModal<CCurrentProfileDlg>, confirmCurrentProfile);
            script->start(60000);
            QCOMPARE(sheet.run(), int(QDialog::Accepted));
            QVERIFY(script->done());
        }
        QVERIFY(!SerialIsOpen());
        // Read the current configuration back from the simulator.
        QVERIFY(SerialOpen(1));
        UnlockProfiles();
        QVERIFY(ReadProfile(profileReadCommand(kCurrentProfile)));
        QCOMPARE(ProfileLength, kLongProfileLength);
        QCOMPARE(unexpectedBytes(before, ProfileImage(), kEditedBytes), QStringList());
        QVERIFY(boxes->shown.empty());
        SerialClose();
        makePortDangling(1);
    }
};

OMNISET_QTEST_MAIN(PortSheetTest)
#include "test_port_sheet.moc"
