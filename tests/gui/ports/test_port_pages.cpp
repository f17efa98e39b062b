// The port pages inside the sheet: fill, edits through the widgets, the sheet's packing
// (byte for byte), checks, notices, Defaults, the TEL1 command filter and repaints.
#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/app/settings_store.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "gui/app/prop_sheet.h"
#include "gui/pages/port_pages.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"
#include "port_fixture.h"
#include "qtest_main.h"
#include "testkit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include <functional>
#include <memory>

using namespace omniset;
using namespace omniset::test;
namespace f = omniset::field;

namespace {

enum class Base { Async, SyncAutoDial };
enum class On { Data, Tel };

struct EditCase {
    const char* name;
    Base base;
    On page;
    std::function<void(QWidget* page)> edit;
    Bytes expected;
};

const QString kDigits16 = QStringLiteral("1234567890123456");

// The edits of the pages' edge cases and the bytes each must write (all others stay).
const std::vector<EditCase>& editCases() {
    static const std::vector<EditCase> cases{
        {"upper threshold off", Base::Async, On::Data, [](QWidget* p) { click(p, 1091); },
         Bytes().set(54, 255)},
        {"upper threshold 1", Base::Async, On::Data, [](QWidget* p) { type(p, 1106, "1"); },
         Bytes().set(54, 2)},
        {"upper threshold 127", Base::Async, On::Data, [](QWidget* p) { type(p, 1106, "127"); },
         Bytes().set(54, 254)},
        {"upper threshold 128 keeps byte 54", Base::Async, On::Data,
         [](QWidget* p) { type(p, 1106, "128"); }, Bytes()},
        {"upper threshold 0 keeps byte 54", Base::Async, On::Data,
         [](QWidget* p) { type(p, 1106, "0"); }, Bytes()},
        {"lower threshold 1", Base::Async, On::Data, [](QWidget* p) { type(p, 1096, "1"); },
         Bytes().set(53, 2)},
        {"lower threshold 127", Base::Async, On::Data, [](QWidget* p) { type(p, 1096, "127"); },
         Bytes().set(53, 254)},
        {"lower threshold 0 keeps byte 53", Base::Async, On::Data,
         [](QWidget* p) { type(p, 1096, "0"); }, Bytes()},
        {"lower threshold 128 keeps byte 53", Base::Async, On::Data,
         [](QWidget* p) { type(p, 1096, "128"); }, Bytes()},
        {"release off", Base::Async, On::Data, [](QWidget* p) { click(p, 1108); },
         Bytes().set(42, 0)},
        {"release 2550 s", Base::Async, On::Data, [](QWidget* p) { type(p, 1107, "2550"); },
         Bytes().set(42, 255)},
        {"release 2555 s keeps byte 42", Base::Async, On::Data,
         [](QWidget* p) { type(p, 1107, "2555"); }, Bytes()},
        {"release on with 0 s", Base::Async, On::Data, [](QWidget* p) { type(p, 1107, "0"); },
         Bytes().set(42, 0)},
        {"fare unit 185 s", Base::Async, On::Data, [](QWidget* p) { type(p, 1095, "185"); },
         Bytes().set(43, 18)},
        {"manual answer", Base::Async, On::Data, [](QWidget* p) { click(p, 1072); },
         Bytes().set(4, 0)},
        {"check DTR in manual dialling", Base::Async, On::Data, [](QWidget* p) { click(p, 1073); },
         Bytes().set(107, 1)},
        {"automatic dialling with a number", Base::Async, On::Data,
         [](QWidget* p) {
             click(p, 1064);
             type(p, 1063, "123");
         },
         Bytes().set(113, 3).set(107, 1).text(116, "123")},
        {"automatic dialling without a number", Base::Async, On::Data,
         [](QWidget* p) { click(p, 1064); }, Bytes().set(107, 1)},
        {"SYNC, character transparent, 64K", Base::Async, On::Data,
         [](QWidget* p) {
             click(p, 1005);
             pick(p, 1012, 1);
             pick(p, 1014, 7);
         },
         Bytes().set(110, 1).set(111, 0).set(104, 9).set(112, 1)},
        {"SYNC all transparent snaps back to 64K", Base::Async, On::Data,
         [](QWidget* p) {
             click(p, 1005);
             pick(p, 1014, 2);
         },
         Bytes().set(110, 1).set(111, 0).set(104, 9).set(112, 0)},
        {"SYNC V.120, RTS/CTS, 4800", Base::Async, On::Data,
         [](QWidget* p) {
             click(p, 1005);
             pick(p, 1012, 2);
             pick(p, 1016, 1);
             pick(p, 1014, 3);
         },
         Bytes().set(110, 1).set(111, 2).set(104, 3).set(112, 2)},
        {"ASYN Mutilink PPP", Base::Async, On::Data, [](QWidget* p) { pick(p, 1013, 3); },
         Bytes().set(112, 4)},
        {"ASYN no flow control", Base::Async, On::Data, [](QWidget* p) { pick(p, 1017, 0); },
         Bytes().set(111, 0)},
        {"data port Default", Base::Async, On::Data, [](QWidget* p) { click(p, 1084); },
         Bytes().set(4, 0).set(54, 112).set(53, 64).set(42, 12).set(43, 18).set(113, 0)
             .set(110, 0).set(111, 2).set(112, 3)},
        {"manual dialling", Base::SyncAutoDial, On::Data, [](QWidget* p) { click(p, 1065); },
         Bytes().set(113, 0)},
        {"check DTR stays on while dialling automatically", Base::SyncAutoDial, On::Data,
         [](QWidget* p) { click(p, 1073); }, Bytes()},
        {"a 16-digit number", Base::SyncAutoDial, On::Data,
         [](QWidget* p) { type(p, 1063, kDigits16); },
         Bytes().text(116, kDigits16.toStdString())},
        {"ASYN from SYNC", Base::SyncAutoDial, On::Data, [](QWidget* p) { click(p, 1006); },
         Bytes().set(110, 0).set(111, 1).set(112, 1)},
        {"SYNC 64K", Base::SyncAutoDial, On::Data, [](QWidget* p) { pick(p, 1014, 7); },
         Bytes().set(104, 9)},
        {"TEL1 CLIR presentation", Base::Async, On::Tel, [](QWidget* p) { click(p, 1035); },
         Bytes().set(251, 0)},
        {"TEL2 COLR presentation", Base::Async, On::Tel, [](QWidget* p) { click(p, 1045); },
         Bytes().set(258, 0)},
        {"TEL2 CLIR restriction", Base::Async, On::Tel, [](QWidget* p) { click(p, 1136); },
         Bytes().set(252, 1)},
        {"TEL1 MSN of 15 digits", Base::Async, On::Tel,
         [](QWidget* p) { type(p, 1040, "123456789012345"); },
         Bytes().text(164, "123456789012345")},
        {"TEL1 subaddress ticked but empty", Base::Async, On::Tel,
         [](QWidget* p) { type(p, 1041, ""); }, Bytes().zero(213, 17)},
        {"TEL2 UUS cleared after typing", Base::Async, On::Tel,
         [](QWidget* p) {
             type(p, 1103, "typed");
             click(p, 1202);
         },
         Bytes().zero(293, 17)},
        {"TEL1 UUS of 16 characters", Base::Async, On::Tel,
         [](QWidget* p) { type(p, 1100, "ABCDEFGHIJKLMNOP"); },
         Bytes().text(276, "ABCDEFGHIJKLMNOP").set(292, -1)},
        {"TEL2 MSN unticked", Base::Async, On::Tel, [](QWidget* p) { click(p, 1115); },
         Bytes().zero(180, 16)},
        {"TEL2 subaddress ticked and typed", Base::Async, On::Tel,
         [](QWidget* p) {
             click(p, 1196);
             type(p, 1143, "9*");
         },
         Bytes().text(230, "9*")},
        {"TEL1 Default", Base::Async, On::Tel, [](QWidget* p) { click(p, 1150); },
         Bytes().set(251, 0).set(257, 0).zero(164, 16).zero(276, 17).zero(213, 16).text(213, "1")},
        {"TEL2 Default", Base::Async, On::Tel, [](QWidget* p) { click(p, 1085); },
         Bytes().set(252, 0).set(258, 0).zero(180, 16).zero(293, 17).zero(230, 16).text(230, "2")},
    };
    return cases;
}

} // namespace

class PortPagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<CPropSheet> sheet;

    CDataPortPage* data() const { return sheet->dataPortPage(); }
    CTelPortPage* tel() const { return sheet->telPortPage(); }

    // The sheet over `record`, both pages shown once (so both are initialised).
    void openSheet(const ProfileRecord& record) {
        sheet = std::make_unique<CPropSheet>(QStringLiteral("sheet"));
        AllocateProfile(record.length());
        ProfileImage() = record;
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.get()));
        sheet->tabs()->setCurrentWidget(tel());
        sheet->tabs()->setCurrentWidget(data());
        QVERIFY(tel()->m_bPageReady && data()->initialised());
        boxes->shown.clear();
    }
    ProfileRecord pack() {
        if (!sheet->PackPages()) QTest::qFail("the packing failed its checks", __FILE__, __LINE__);
        return ProfileImage();
    }
    int settingOf(const char* key) { return GetSettingInt(settings::SyncSection, key, -99); }

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
        sheet.reset();
        SerialClose();
        boxes.reset();
        ports.reset();
        clock.reset();
        DataPortAdvancedDialog = {};
        TelPortAdvancedDialog = {};
    }

    void roundTripIsTheIdentity_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 2u, 3u}) {
            QTest::addRow("326 async %u", seed) << kLongProfileLength << false << seed;
            QTest::addRow("314 sync auto-dial %u", seed) << kShortProfileLength << true << seed;
        }
    }
    void roundTripIsTheIdentity() {
        QFETCH(int, length);
        QFETCH(bool, sync);
        QFETCH(unsigned, seed);
        const ProfileRecord record = sync ? syncAutoDialRecord(length, seed) : validRecord(length, seed);
        openSheet(record);
        const ProfileRecord once = pack();
        QCOMPARE(unexpectedBytes(record, once, Bytes()), QStringList());
        QCOMPARE(sheet->tabs()->currentWidget(), static_cast<QWidget*>(tel()));
        QCOMPARE(unexpectedBytes(record, pack(), Bytes()), QStringList()); // packed twice
        QVERIFY(boxes->shown.empty());
    }

    void eachEditWritesExactlyItsBytes_data() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < editCases().size(); ++i)
            QTest::newRow(editCases()[i].name) << static_cast<int>(i);
    }
    void eachEditWritesExactlyItsBytes() {
        QFETCH(int, row);
        const EditCase& c = editCases()[static_cast<std::size_t>(row)];
        const ProfileRecord record = c.base == Base::Async ? validRecord(kLongProfileLength, 7)
                                                           : syncAutoDialRecord(kLongProfileLength, 7);
        openSheet(record);
        QWidget* page = c.page == On::Data ? static_cast<QWidget*>(data()) : tel();
        sheet->tabs()->setCurrentWidget(page);
        c.edit(page);
        Bytes expected = c.expected;
        // -1 marks a byte that must keep its value.
        for (auto it = expected.writes.begin(); it != expected.writes.end();)
            it = it->second < 0 ? expected.writes.erase(it) : std::next(it);
        QCOMPARE(unexpectedBytes(record, pack(), expected), QStringList());
    }

    // Bytes outside their codes go back as read through the sheet's packing until the user
    // changes their controls; the data port page's Default writes its factory values.
    void oddBytesStayUntilTheirControlsChange_data() {
        QTest::addColumn<int>("row");
        QTest::newRow("untouched") << 0;
        QTest::newRow("answer mode and TEL2 COLR picked") << 1;
        QTest::newRow("data port Default") << 2;
    }
    void oddBytesStayUntilTheirControlsChange() {
        QFETCH(int, row);
        ProfileRecord r = syncAutoDialRecord(kLongProfileLength, 5);
        r.setByte(f::AnswerMode, 7);
        r.setByte(f::FlowControl, 1); // XON/XOFF: no synchronous code
        r.setByte(f::Tel1Clir, 3);
        r.setByte(f::Tel2Colr, 200);
        openSheet(r);
        QVERIFY(button(data(), 1072)->isChecked()); // shown as manual answer
        QVERIFY(!button(tel(), 1144)->isChecked() && !button(tel(), 1045)->isChecked());
        Bytes expected;
        if (row == 1) {
            click(data(), 1071);
            click(data(), 1072); // back to what was shown: still as read
            sheet->tabs()->setCurrentWidget(tel());
            click(tel(), 1045);
            expected.set(f::Tel2Colr, 0);
        } else if (row == 2) {
            click(data(), 1084);
            expected.set(4, 0).set(54, 112).set(53, 64).set(42, 12).set(43, 18).set(113, 0)
                .set(110, 0).set(111, 2).set(112, 3);
        }
        QCOMPARE(unexpectedBytes(r, pack(), expected), QStringList());
    }

    void fillShowsTheRecord() {
        ProfileRecord r = validRecord(kLongProfileLength, 11);
        r.setByte(f::UpperThreshold, 255);
        r.setByte(f::LowerThreshold, 64);
        r.setByte(f::ReleaseTime, 0);
        r.setByte(f::DialMode, 3); // with byte 107 = 0: manual
        r.clearSpan(f::Tel1Msn, 16);
        openSheet(r);
        QVERIFY(!button(data(), 1091)->isChecked());
        QVERIFY(!lineEdit(data(), 1106)->isEnabled());
        QCOMPARE(lineEdit(data(), 1096)->text(), QStringLiteral("32"));
        QVERIFY(!button(data(), 1108)->isChecked());
        QVERIFY(!lineEdit(data(), 1107)->isEnabled() && !lineEdit(data(), 1096)->isEnabled());
        QVERIFY(button(data(), 1065)->isChecked());
        QVERIFY(!lineEdit(data(), 1063)->isEnabled());
        QCOMPARE(lineEdit(data(), 1095)->text(), QStringLiteral("180"));
        QVERIFY(button(data(), 1006)->isChecked() && button(data(), 1007)->isChecked());
        QVERIFY(!combo(data(), 1012)->isEnabled() && combo(data(), 1013)->isEnabled());
        QCOMPARE(combo(data(), 1013)->currentIndex(), 1); // V.120
        QCOMPARE(data()->m_nASynProto, 2);
        QCOMPARE(data()->m_nSynProto, 5);
        QVERIFY(!data()->synchronousMode());
        // Telephone ports: an empty MSN is an unticked box and a disabled, empty edit.
        QVERIFY(!button(tel(), 1092)->isChecked());
        QVERIFY(!lineEdit(tel(), 1040)->isEnabled() && lineEdit(tel(), 1040)->text().isEmpty());
        QVERIFY(button(tel(), 1115)->isChecked() && lineEdit(tel(), 1142)->isEnabled());
        QCOMPARE(lineEdit(tel(), 1142)->text(), QStringLiteral("5550102"));
        QVERIFY2(button(tel(), 1034)->isChecked(), "byte 251 = 1: TEL1 CLIR Restriction");
        QVERIFY2(button(tel(), 1039)->isChecked(), "byte 257 = 0: TEL1 COLR Presentation");
        QVERIFY(!button(tel(), 1196)->isChecked() && !lineEdit(tel(), 1143)->isEnabled());

        // A synchronous record: SYNC group enabled, code 9 is 64K, code 2 is RTS/CTS.
        ProfileRecord s = syncAutoDialRecord(kLongProfileLength, 11);
        s.setByte(f::SyncBaud, 9);
        s.setByte(f::Protocol, 2);
        ProfileImage() = s;
        data()->refreshFromImage();
        QVERIFY(combo(data(), 1012)->isEnabled() && !combo(data(), 1017)->isEnabled());
        QCOMPARE(combo(data(), 1014)->currentText(), QStringLiteral("64K"));
        QCOMPARE(combo(data(), 1016)->currentText(), QStringLiteral("RTS/CTS"));
        QVERIFY(button(data(), 1064)->isChecked() && lineEdit(data(), 1063)->isEnabled());
        QCOMPARE(lineEdit(data(), 1063)->text(), QStringLiteral("0123456789"));
        QCOMPARE(lineEdit(data(), 1063)->maxLength(), 32);
        QCOMPARE(data()->m_nSynProto, 2);
        QVERIFY(data()->synchronousMode());
        QVERIFY2(boxes->shown.empty(), "filling raises no check and no notice");
    }

    void aFailedCheckPacksNothing_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("exclamation");
        QTest::newRow("fare unit 3000") << 1095 << "3000"
                                        << "Please enter an integer between 0 and 2550." << true;
        QTest::newRow("fare unit -1") << 1095 << "-1"
                                      << "Please enter an integer between 0 and 2550." << true;
        QTest::newRow("empty upper threshold") << 1106 << "" << "Please enter an integer." << false;
        QTest::newRow("lower threshold x") << 1096 << "4x" << "Please enter an integer." << false;
        QTest::newRow("release time past 32 bits") << 1107 << "4294967296"
                                                   << "Please enter an integer." << false;
        QTest::newRow("17-digit number") << 1063 << "12345678901234567"
                                         << "Please enter no more than 16 characters." << true;
    }
    void aFailedCheckPacksNothing() {
        QFETCH(int, id);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, exclamation);
        LanguageMode = 0; // the same English messages in both modes
        openSheet(syncAutoDialRecord(kLongProfileLength, 5));
        ProfileImage().setByte(f::FareUnit, 99); // not the page's value: must stay
        const ProfileRecord before = ProfileImage();
        const std::string hexBefore = ProfileHexText();
        sheet->tabs()->setCurrentWidget(tel());
        { // set the text without any handler: as if it had been left there
            QSignalBlocker block(lineEdit(data(), id));
            lineEdit(data(), id)->setText(text);
        }
        QVERIFY(!sheet->PackPages());
        QVERIFY(ProfileImage() == before);
        QCOMPARE(ProfileHexText(), hexBefore);
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(boxes->shown[0].icon, exclamation ? platform::BoxIcon::Warning : platform::BoxIcon::None);
        QCOMPARE(sheet->tabs()->currentWidget(), static_cast<QWidget*>(data()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(lineEdit(data(), id)));
    }

    void numberCheckOnPastedText_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<bool>("refused");
        QTest::newRow("letter, English") << 1 << "12a3" << true;
        QTest::newRow("letter, Chinese") << 0 << "12a3" << true;
        QTest::newRow("hash before the star") << 1 << "#12" << true;
        QTest::newRow("letters after the star") << 1 << "12*ab" << false;
        QTest::newRow("digits") << 1 << "0123" << false;
    }
    void numberCheckOnPastedText() {
        QFETCH(int, language);
        QFETCH(QString, pasted);
        QFETCH(bool, refused);
        LanguageMode = language;
        openSheet(syncAutoDialRecord(kLongProfileLength, 5));
        paste(data(), 1063, pasted);
        if (refused) {
            QCOMPARE(boxes->texts(), QStringList{QString::fromUtf8("自动拨号号码部分应为数字！")});
            QCOMPARE(boxes->shown[0].caption, QStringLiteral("Omniset"));
            QCOMPARE(boxes->shown[0].owner, static_cast<QObject*>(data()));
            QVERIFY(lineEdit(data(), 1063)->text().isEmpty());
        } else {
            QVERIFY(boxes->shown.empty());
            QCOMPARE(lineEdit(data(), 1063)->text(), pasted);
        }
        // Typed letters never arrive.
        boxes->shown.clear();
        type(data(), 1063, "9z");
        QCOMPARE(lineEdit(data(), 1063)->text(), QStringLiteral("9"));
        QVERIFY(boxes->shown.empty());
    }

    void msnCheckOnPastedText_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("TEL1, English") << 1040 << 1 << QString::fromUtf8("MSN should be numerical！");
        QTest::newRow("TEL2, Chinese") << 1142 << 0 << QString::fromUtf8("多用户号号码应为数字！");
    }
    void msnCheckOnPastedText() {
        QFETCH(int, id);
        QFETCH(int, language);
        QFETCH(QString, message);
        LanguageMode = language;
        openSheet(validRecord(kLongProfileLength, 5));
        sheet->tabs()->setCurrentWidget(tel());
        paste(tel(), id, QStringLiteral("12a"));
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(boxes->shown[0].owner, static_cast<QObject*>(tel()));
        QVERIFY(lineEdit(tel(), id)->text().isEmpty());
        QVERIFY((id == 1040 ? tel()->m_strMsn1 : tel()->m_strMsn2).empty());
        boxes->shown.clear();
        paste(tel(), id, QStringLiteral("0123"));
        QVERIFY(boxes->shown.empty());
        QCOMPARE(lineEdit(tel(), id)->text(), QStringLiteral("0123"));
    }

    void fareUnitNoticeOnTypingOnly() {
        openSheet(validRecord(kLongProfileLength, 5));
        type(data(), 1095, "185");
        QCOMPARE(boxes->shown.size(), std::size_t(3)); // one notice per keystroke
        QVERIFY(boxes->shown[0].text.startsWith("Notice:\n\nPlease set this time item"));
        QVERIFY(boxes->shown[0].text.endsWith("set the item to 180 (s)."));
        QVERIFY(!boxes->shown[0].owner);
        QCOMPARE(data()->m_nFareUnit, 185);
        boxes->shown.clear();
        data()->refreshFromImage();
        click(data(), 1084);
        QCOMPARE(lineEdit(data(), 1095)->text(), QStringLiteral("180"));
        QVERIFY2(boxes->shown.empty(), "neither the fill nor Default raise the notice");
        LanguageMode = 0;
        type(data(), 1095, "9");
        QVERIFY(boxes->texts().value(0).startsWith(QString::fromUtf8("注意：\n\n请根据本地电信局关于\"一线通\"")));
    }

    void dataPortDefault() {
        openSheet(syncAutoDialRecord(kLongProfileLength, 5));
        const bool dtr = data()->checkDtr();
        const int syn = settingOf(settings::Syn);
        click(data(), 1084);
        QVERIFY(button(data(), 1006)->isChecked() && button(data(), 1065)->isChecked());
        QVERIFY(button(data(), 1072)->isChecked());
        QVERIFY(!lineEdit(data(), 1063)->isEnabled() && lineEdit(data(), 1063)->text().isEmpty());
        QVERIFY(!combo(data(), 1012)->isEnabled() && !combo(data(), 1014)->isEnabled());
        QVERIFY(combo(data(), 1013)->isEnabled() && combo(data(), 1017)->isEnabled());
        QCOMPARE(combo(data(), 1013)->currentText(), QStringLiteral("PPP"));
        QCOMPARE(combo(data(), 1017)->currentText(), QStringLiteral("RTS/CTS"));
        QCOMPARE(combo(data(), 1014)->currentText(), QStringLiteral("64K"));
        QVERIFY(lineEdit(data(), 1106)->isEnabled() && lineEdit(data(), 1107)->isEnabled());
        QCOMPARE(lineEdit(data(), 1106)->text(), QStringLiteral("56"));
        QCOMPARE(lineEdit(data(), 1096)->text(), QStringLiteral("32"));
        QCOMPARE(lineEdit(data(), 1107)->text(), QStringLiteral("120"));
        QCOMPARE(data()->m_nSynProto, 5);
        QCOMPARE(data()->m_nASynProto, 5); // PPP: the advanced dialog's V.120 group is off
        QCOMPARE(data()->checkDtr(), dtr);
        QCOMPARE(settingOf(settings::Syn), syn);
        QVERIFY(!data()->synchronousMode());
    }

    void serialModeHandlersWriteTheSettings() {
        openSheet(validRecord(kLongProfileLength, 5));
        click(data(), 1005);
        QCOMPARE(settingOf(settings::Syn), 1);
        QCOMPARE(settingOf(settings::SynProto), 5);
        QCOMPARE(data()->m_bSyn, 1);
        QVERIFY(combo(data(), 1012)->isEnabled() && combo(data(), 1014)->isEnabled());
        QVERIFY(!combo(data(), 1013)->isEnabled() && !combo(data(), 1017)->isEnabled());
        QVERIFY(data()->synchronousMode());
        pick(data(), 1012, 2);
        QCOMPARE(settingOf(settings::SynProto), 2);
        QCOMPARE(data()->m_nSynProto, 2);
        pick(data(), 1012, 0);
        QCOMPARE(combo(data(), 1014)->currentIndex(), 7); // all transparent runs at 64K
        pick(data(), 1014, 1);
        QCOMPARE(combo(data(), 1014)->currentIndex(), 7); // and snaps back
        QCOMPARE(settingOf(settings::SynProto), 5);
        click(data(), 1006);
        QCOMPARE(settingOf(settings::Syn), 0);
        QCOMPARE(settingOf(settings::ASynProto), 2); // V.120 from the record
        QVERIFY(!combo(data(), 1012)->isEnabled() && combo(data(), 1013)->isEnabled());
        pick(data(), 1013, 2);
        QCOMPARE(settingOf(settings::ASynProto), 5);
        QCOMPARE(data()->m_nASynProto, 5);
        QVERIFY(boxes->shown.empty());
    }

    void dialAndBandwidthHandlers() {
        openSheet(validRecord(kLongProfileLength, 5));
        click(data(), 1064);
        QVERIFY(data()->checkDtr() && lineEdit(data(), 1063)->isEnabled());
        click(data(), 1073);
        QVERIFY2(data()->checkDtr(), "automatic dialling keeps Check DTR on");
        type(data(), 1063, "77");
        click(data(), 1065);
        QVERIFY(!lineEdit(data(), 1063)->isEnabled());
        QCOMPARE(lineEdit(data(), 1063)->text(), QStringLiteral("77")); // the edit keeps its text
        QVERIFY(data()->m_strNumber.empty());
        click(data(), 1073);
        QVERIFY(!data()->checkDtr());
        click(data(), 1091);
        QVERIFY(!lineEdit(data(), 1106)->isEnabled());
        click(data(), 1091);
        QVERIFY(lineEdit(data(), 1106)->isEnabled());
        click(data(), 1108);
        QVERIFY(!lineEdit(data(), 1107)->isEnabled() && !lineEdit(data(), 1096)->isEnabled());
        // Leaving the upper threshold edit takes the values.
        lineEdit(data(), 1106)->setFocus();
        { QSignalBlocker b(lineEdit(data(), 1106)); lineEdit(data(), 1106)->setText("44"); }
        combo(data(), 1013)->setFocus();
        QCOMPARE(data()->m_nUpper, 44);
    }

    void advancedButtonsRunTheirDialogsAfterTakingValues() {
        openSheet(validRecord(kLongProfileLength, 5));
        int dataRuns = 0, telRuns = 0;
        DataPortAdvancedDialog = [&](CDataPortPage& p) {
            ++dataRuns;
            QCOMPARE(&p, data());
            QCOMPARE(p.m_nUpper, 33);
        };
        TelPortAdvancedDialog = [&](CTelPortPage& p) {
            ++telRuns;
            QCOMPARE(&p, tel());
        };
        { QSignalBlocker b(lineEdit(data(), 1106)); lineEdit(data(), 1106)->setText("33"); }
        click(data(), 1090);
        sheet->tabs()->setCurrentWidget(tel());
        click(tel(), 1104);
        QCOMPARE(dataRuns, 1);
        QCOMPARE(telRuns, 1);
    }

    void tel1DefaultIsFilteredWhileTyping_data() {
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("filtered");
        for (int id : {1041, 1040, 1100, 1143, 1142, 1103})
            QTest::addRow("focus in %d", id) << id << true;
        QTest::newRow("focus on the TEL1 CLIR radio") << 1034 << false;
    }
    void tel1DefaultIsFilteredWhileTyping() {
        QFETCH(int, focus);
        QFETCH(bool, filtered);
        ProfileRecord r = validRecord(kLongProfileLength, 5);
        r.setText(f::Tel2Subaddress, 17, "8");
        openSheet(r);
        sheet->tabs()->setCurrentWidget(tel());
        QWidget* start = res::control<QWidget>(tel(), focus);
        start->setFocus();
        QCOMPARE(QApplication::focusWidget(), start);
        const TelPortMembers before = *tel();
        click(tel(), 1150);
        QCoreApplication::processEvents();
        if (filtered) {
            QVERIFY(static_cast<const TelPortMembers&>(*tel()) == before);
            QCOMPARE(lineEdit(tel(), 1041)->text(), QStringLiteral("21"));
            QVERIFY2(QApplication::focusWidget() != start, "the focus moved on");
        } else {
            QCOMPARE(lineEdit(tel(), 1041)->text(), QStringLiteral("1"));
            QCOMPARE(tel()->m_nClir1, telport::kPresentation);
        }
        // TEL2 Default is never filtered.
        lineEdit(tel(), 1143)->setFocus();
        click(tel(), 1085);
        QCOMPARE(lineEdit(tel(), 1143)->text(), QStringLiteral("2"));
    }

    void telDefaultWidgets() {
        openSheet(validRecord(kLongProfileLength, 5));
        sheet->tabs()->setCurrentWidget(tel());
        click(tel(), 1150);
        QVERIFY(button(tel(), 1035)->isChecked() && button(tel(), 1039)->isChecked());
        QVERIFY(!button(tel(), 1092)->isChecked() && !lineEdit(tel(), 1040)->isEnabled());
        QVERIFY(lineEdit(tel(), 1040)->text().isEmpty());
        QVERIFY(button(tel(), 1093)->isChecked() && lineEdit(tel(), 1041)->isEnabled());
        QVERIFY(!button(tel(), 1101)->isChecked() && !lineEdit(tel(), 1100)->isEnabled());
        QVERIFY(lineEdit(tel(), 1100)->text().isEmpty());
        QCOMPARE(lineEdit(tel(), 1142)->text(), QStringLiteral("5550102")); // TEL2 untouched
        QVERIFY(button(tel(), 1144)->isChecked());
    }

    void leavingTheTelephonePageKeepsItsServices() {
        // A radio click takes no values; leaving the page does, so the first packing
        // already writes the service shown.
        openSheet(validRecord(kLongProfileLength, 5));
        sheet->tabs()->setCurrentWidget(tel());
        click(tel(), 1035);
        QCOMPARE(pack().byte(f::Tel1Clir), 0);
    }

    void repaintFollowsTheLanguageAndTheDownload() {
        openSheet(validRecord(kLongProfileLength, 5));
        pick(data(), 1013, 0);
        LanguageMode = 0;
        data()->repaint();
        QCOMPARE(combo(data(), 1013)->currentText(), QString::fromUtf8("字符透明"));
        QCOMPARE(combo(data(), 1012)->itemText(0), QString::fromUtf8("全透明"));
        QCOMPARE(button(data(), 1090)->text(), QString::fromUtf8("高级设置"));
        LanguageMode = 1;
        data()->repaint();
        QCOMPARE(combo(data(), 1013)->currentText(), QStringLiteral("Character transparent"));
        QCOMPARE(combo(data(), 1016)->itemText(0), QStringLiteral("None"));
        QCOMPARE(combo(data(), 1013)->currentIndex(), 0);
        QCOMPARE(res::widgetText(res::control<QWidget>(data(), 1226)),
                 QStringLiteral("Local ISDN fare unit of time:"));
        DownloadActive = 1;
        data()->repaint();
        sheet->tabs()->setCurrentWidget(tel());
        tel()->repaint();
        QVERIFY(!button(data(), 1090)->isEnabled());
        QVERIFY(!button(tel(), 1104)->isEnabled());
        QCOMPARE(button(tel(), 1150)->text(), QStringLiteral("Default"));
        DownloadActive = 0;
        tel()->repaint();
        QVERIFY(button(tel(), 1104)->isEnabled());
        QVERIFY(boxes->shown.empty());
    }
};

OMNISET_QTEST_MAIN(PortPagesTest)
#include "test_port_pages.moc"
