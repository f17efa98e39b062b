// Keyboard and focus on the pages and dialogs: Tab enters a radio group at its checked
// button; a failed check whose edit loses the focus to another checked edit shows its box
// once; the record's texts accept only characters a record byte holds.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "gui/pages/dataport_adv.h"
#include "gui/pages/port_pages.h"
#include "gui/pages/teladv.h"
#include "gui/res/byte_text_validator.h"
#include "gui/res/dialog_builder.h"
#include "port_fixture.h"
#include "qtest_main.h"
#include "testkit.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

#include <memory>

using namespace omniset;
using namespace omniset::test;
namespace f = omniset::field;

class KeyboardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;

    void showActive(QWidget* w) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    int focusId() { return res::controlId(QApplication::focusWidget()); }

  private slots:
    void init() {
        clock = std::make_unique<VirtualClock>();
        ports = std::make_unique<FakePorts>();
        ports->on(1).respond = [](std::string_view, const platform::LineSettings&) { return ""; };
        QVERIFY(SerialOpen(1));
        boxes = std::make_unique<ScriptedBoxes>();
        LanguageMode = 1;
        DownloadActive = 0;
    }
    void cleanup() {
        SerialClose();
        boxes.reset();
        ports.reset();
        clock.reset();
    }

    void tabEntersARadioGroupAtItsCheckedButton() {
        ProfileRecord r = validRecord(kLongProfileLength, 4);
        r.setByte(f::Tel1Bearer, 1); // 3.1 kHz audio: the second button of the first group
        r.setByte(f::Tel2Bearer, 0);
        r.setByte(f::CodingLaw, 1);  // mu-law
        AllocateProfile(r.length());
        ProfileImage() = r;
        CTelPortPage page;
        CTelAdvDlg dlg(page);
        dlg.initialise();
        showActive(&dlg);
        // From Cancel, the last control, Tab wraps round into the groups in turn.
        button(&dlg, 2)->setFocus(Qt::TabFocusReason);
        const int stops[] = {1023, 1127, 1026};
        for (int expected : stops) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(focusId(), expected);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusId(), 1127);
        // A click moves the group's stop; a group with no button checked is entered at its
        // first.
        click(&dlg, 1024);
        res::setRadioIndex(&dlg, 1127, -1);
        button(&dlg, 2)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusId(), 1024);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusId(), 1127);
        // Within a group the arrow keys move the focus and the check, as on Windows.
        QTest::keyClick(button(&dlg, 1127), Qt::Key_Down);
        QCOMPARE(focusId(), 1128);
        QTest::keyClick(button(&dlg, 1128), Qt::Key_Up);
        QCOMPARE(focusId(), 1127);
        button(&dlg, 1024)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button(&dlg, 1024), Qt::Key_Down);
        QCOMPARE(focusId(), 1023);
        QVERIFY(button(&dlg, 1023)->isChecked());
    }

    void aFailedCheckShowsItsBoxOnce() {
        AllocateProfile(kLongProfileLength);
        ProfileImage() = validRecord(kLongProfileLength, 4);
        CDataPortPage page;
        page.initialise();
        CDataPortAdvDlg dlg(page);
        dlg.initialise();
        showActive(&dlg);
        boxes->shown.clear();
        QLineEdit* k = lineEdit(&dlg, 1097);
        k->setEnabled(true);
        k->setFocus(Qt::TabFocusReason);
        type(&dlg, 1097, "128");
        lineEdit(&dlg, 1199)->setFocus(Qt::TabFocusReason); // another edit checked on leaving
        QCOMPARE(boxes->shown.size(), std::size_t(1));
        QCOMPARE(focusId(), 1097);
        // Mended, the values pass; the same mistake again is reported again, once.
        type(&dlg, 1097, "100");
        lineEdit(&dlg, 1199)->setFocus(Qt::TabFocusReason);
        QCOMPARE(boxes->shown.size(), std::size_t(1));
        QCOMPARE(focusId(), 1199);
        k->setFocus(Qt::TabFocusReason);
        type(&dlg, 1097, "0");
        lineEdit(&dlg, 1200)->setFocus(Qt::TabFocusReason);
        QCOMPARE(boxes->shown.size(), std::size_t(2));
        QCOMPARE(focusId(), 1097);
    }

    // Subaddress and user-to-user texts (and the auto-dial number) hold one byte per
    // character: Latin-1 passes, anything else is refused whole, typed or pasted.
    void recordTextsTakeOnlyWhatARecordByteHolds() {
        AllocateProfile(kLongProfileLength);
        ProfileImage() = validRecord(kLongProfileLength, 4);
        CTelPortPage tel;
        tel.initialise();
        CDataPortPage data;
        data.initialise();
        CDataPortAdvDlg adv(data);
        const std::pair<QWidget*, int> edits[] = {{&tel, 1041}, {&tel, 1100}, {&tel, 1143},
                                                  {&tel, 1103}, {&adv, 1041}, {&adv, 1096},
                                                  {&data, 1063}};
        const QString latin1 = QStringLiteral("1*\u00e9\u00ff");
        for (auto [window, id] : edits) {
            QLineEdit* e = lineEdit(window, id);
            e->setEnabled(true);
            e->clear();
            paste(window, id, latin1);
            QCOMPARE(e->text(), latin1);
            paste(window, id, QStringLiteral("1*\u4e2d"));
            QCOMPARE(e->text(), latin1); // refused whole, nothing became "?"
            for (const QChar c : QStringLiteral("\u4e2d\u20ac")) { // typed
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(e, &key);
            }
            QCOMPARE(e->text(), latin1);
        }
        // What the page takes is the bytes of those characters.
        QVERIFY(tel.takeValues());
        QCOMPARE(tel.m_strSubaddr1, std::string("1*\xe9\xff"));
        QVERIFY(!res::holdsAsBytes(QStringLiteral("a\u4e2d")));
        QVERIFY(!res::holdsAsBytes(QString(QChar(0))));
    }
};

OMNISET_QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
