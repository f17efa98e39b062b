// The two advanced dialogs as the user meets them, over a scripted adapter on a fake port:
// opening values, OK writing exactly the dialogs' bytes and settings, Cancel writing and
// sending nothing, the group enabling from the data port page, validation messages, the
// MSN and prefix checks, the quick-dial queries and stores, repaints, the 314-byte record,
// and the pages' Advanced buttons.
#include "core/app/language.h"
#include "core/app/settings_store.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"
#include "gui/pages/dataport_adv.h"
#include "gui/pages/port_pages.h"
#include "gui/pages/teladv.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "port_fixture.h"
#include "qtest_main.h"
#include "testkit.h"
#include "ui_script.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <array>
#include <memory>

using namespace omniset;
using namespace omniset::test;
namespace f = omniset::field;

namespace {

constexpr int kOk = 1, kCancel = 2;
constexpr int kQuickIds[] = {1199, 1200, 1095, 1098};
constexpr std::uint8_t kSlotSentinel = 0x5A;

std::string queryReply(int slot, const std::string& number) {
    return kx220::quickDialQuery(slot) + "\r\n" + number + "\r\nOK\r\n";
}

// ProfileImage holds exactly `record` (the test marks the checksum slot when it opens).
bool imageUnchanged(const ProfileRecord& record) {
    return unexpectedBytes(record, ProfileImage(), Bytes()).isEmpty() &&
           ProfileImage().length() == record.length() && ProfileImage().checksumByte() == kSlotSentinel;
}

int asyncSetting(const char* key) { return GetSettingInt(settings::AsyncSection, key, -99); }

// Control changes made without the change handlers, as if the text had been left there.
void setQuietly(QWidget* window, int id, const QString& text) {
    QSignalBlocker block(lineEdit(window, id));
    lineEdit(window, id)->setText(text);
}

} // namespace

class AdvancedDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<CDataPortPage> dataPage;
    std::unique_ptr<CTelPortPage> telPage;
    std::unique_ptr<CDataPortAdvDlg> data;
    std::unique_ptr<CTelAdvDlg> tel;
    std::array<std::string, 4> replies;
    std::vector<bool> statusShownAtQuery; // the reading window was up, over the dialog
    std::size_t writesAtOpen = 0;
    int purgesAtOpen = 0;

    FakeAdapter& adapter() { return *ports->adapters.at(1); }
    std::vector<std::string> writesSinceOpen() {
        return {adapter().writes.begin() + long(writesAtOpen), adapter().writes.end()};
    }

    // The record in ProfileImage, the data port page filled from it (pageSetup may then
    // change the page as the user would), and the dialog opened over the page.
    void openData(const ProfileRecord& record, const std::function<void(CDataPortPage&)>& pageSetup = {}) {
        AllocateProfile(record.length());
        ProfileImage() = record;
        ProfileImage().setChecksumByte(kSlotSentinel);
        dataPage = std::make_unique<CDataPortPage>();
        dataPage->initialise();
        if (pageSetup) pageSetup(*dataPage);
        data = std::make_unique<CDataPortAdvDlg>(*dataPage);
        data->initialise();
        showActive(data.get());
    }
    void openTel(const ProfileRecord& record) {
        AllocateProfile(record.length());
        ProfileImage() = record;
        ProfileImage().setChecksumByte(kSlotSentinel);
        telPage = std::make_unique<CTelPortPage>();
        tel = std::make_unique<CTelAdvDlg>(*telPage);
        tel->initialise();
        showActive(tel.get());
    }
    void showActive(QDialog* d) {
        writesAtOpen = adapter().writes.size();
        purgesAtOpen = adapter().purges;
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        boxes->shown.clear();
    }
    // OK that must close the dialog: the record afterwards.
    ProfileRecord okData() {
        click(data.get(), kOk);
        if (data->result() != QDialog::Accepted || data->isVisible())
            QTest::qFail("OK did not close the dialog", __FILE__, __LINE__);
        return ProfileImage();
    }

  private slots:
    void init() {
        clock = std::make_unique<VirtualClock>();
        ports = std::make_unique<FakePorts>();
        replies = {queryReply(0, "5551"), queryReply(1, ""), queryReply(2, "0123456789"),
                   queryReply(3, "7")};
        statusShownAtQuery.clear();
        ports->on(1).respond = [this](std::string_view written, const platform::LineSettings&) {
            for (int slot = 0; slot < 4; ++slot)
                if (written == kx220::quickDialQuery(slot)) {
                    CReadingDlg* status = readingStatus();
                    statusShownAtQuery.push_back(status && status->isVisible() && data &&
                                                 status->parentWidget() == data.get());
                    return replies[std::size_t(slot)];
                }
            return std::string(written.substr(0, 4) == "at&z" ? "\r\nOK\r\n" : "");
        };
        QVERIFY(SerialOpen(1));
        boxes = std::make_unique<ScriptedBoxes>();
        LanguageMode = 1;
    }
    void cleanup() {
        data.reset();
        tel.reset();
        dataPage.reset();
        telPage.reset();
        SerialClose();
        boxes.reset();
        ports.reset();
        clock.reset();
    }

    // --- data port advanced dialog --------------------------------------------------

    void openingShowsTheRecord_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("shownK");
        QTest::newRow("K 0") << 0 << "7";
        QTest::newRow("K 200") << 200 << "7";
        QTest::newRow("K 1") << 1 << "1";
        QTest::newRow("K 127") << 127 << "127";
    }
    void openingShowsTheRecord() {
        QFETCH(int, k);
        QFETCH(QString, shownK);
        ProfileRecord r = validRecord(kLongProfileLength, 3);
        r.setByte(f::V120Window, std::uint8_t(k));
        r.setByte(f::RingKeypadBits, 3);
        r.setByte(f::AutobaudBits, 129);
        r.setByte(f::V120LliNegotiation, 1);
        r.setByte(f::AsyncBaud, 4);
        r.setByte(f::DataClir, 1);
        r.setByte(f::DataColr, 0);
        r.setText(f::DataSubaddress, 17, "");
        openData(r);
        QWidget* d = data.get();
        QCOMPARE(lineEdit(d, 1097)->text(), shownK);
        QCOMPARE(combo(d, 1102)->currentText(), QStringLiteral("Once only"));
        QVERIFY(button(d, 1091)->isChecked());
        QVERIFY(button(d, 1009)->isChecked()); // byte 115 = 1: Negotiate
        QCOMPARE(combo(d, 1015)->currentText(), QStringLiteral("9600"));
        QCOMPARE(combo(d, 1018)->currentText(), QStringLiteral("8bits"));
        QCOMPARE(combo(d, 1020)->currentText(), QStringLiteral("None"));
        QCOMPARE(combo(d, 1021)->currentText(), QStringLiteral("1bit"));
        QCOMPARE(combo(d, 1022)->currentText(), QStringLiteral("Mutiframe mode"));
        QVERIFY(button(d, 1034)->isChecked() && button(d, 1039)->isChecked()); // CLIR Yes, COLR No
        QVERIFY(!button(d, 1110)->isChecked() && button(d, 1111)->isChecked()); // byte 109 = 1, 106 = 0
        // The three text fields: ticked with their text, or clear and disabled.
        QVERIFY(button(d, 1094)->isChecked() && lineEdit(d, 1040)->isEnabled());
        QCOMPARE(lineEdit(d, 1040)->text(), QStringLiteral("5550100"));
        QVERIFY(!button(d, 1109)->isChecked() && !lineEdit(d, 1041)->isEnabled());
        QVERIFY(lineEdit(d, 1041)->text().isEmpty());
        QVERIFY(button(d, 1092)->isChecked() && lineEdit(d, 1096)->isEnabled());
        QCOMPARE(lineEdit(d, 1096)->text(), QStringLiteral("data"));
        QCOMPARE(lineEdit(d, 1040)->maxLength(), 15);
        QCOMPARE(lineEdit(d, 1041)->maxLength(), 16);
        QCOMPARE(lineEdit(d, 1096)->maxLength(), 16);
        // The quick-dial numbers as the adapter reported them.
        const QStringList numbers{"5551", "", "0123456789", "7"};
        for (int i = 0; i < 4; ++i) QCOMPARE(lineEdit(d, kQuickIds[i])->text(), numbers[i]);
        QVERIFY2(boxes->shown.empty(), "opening raises no check");
        QVERIFY(!readingStatus());
    }

    void okWritesExactlyTheDialogsBytes_data() {
        QTest::addColumn<int>("row");
        QTest::newRow("nothing changed") << 0;
        QTest::newRow("RING once per second keeps the keypad bit") << 1;
        QTest::newRow("autobaud allowed keeps bits 1 to 7") << 2;
        QTest::newRow("negotiation off") << 3;
        QTest::newRow("MSN emptied") << 4;
        QTest::newRow("subaddress ticked but empty") << 5;
        QTest::newRow("asynchronous line") << 6;
        QTest::newRow("K, CLIR, COLR, DSR, DCD, service") << 7;
        QTest::newRow("UUS off, MSN of 15 digits") << 8;
        QTest::newRow("K shown as 7 stays as read") << 9;
        QTest::newRow("K shown as 7 retyped, DSR 2 ticked, DCD 3 untouched") << 10;
    }
    void okWritesExactlyTheDialogsBytes() {
        QFETCH(int, row);
        ProfileRecord r = validRecord(kLongProfileLength, 9);
        r.setByte(f::RingKeypadBits, 3);
        r.setByte(f::AutobaudBits, 129);
        if (row == 5) r.setText(f::DataSubaddress, 17, "12");
        if (row == 9 || row == 10) r.setByte(f::V120Window, 0);
        if (row == 10) r.setByte(f::DsrHandling, 2), r.setByte(f::DcdHandling, 3);
        openData(r);
        QWidget* d = data.get();
        Bytes expected;
        switch (row) {
        case 1: pick(d, 1102, 0); expected.set(f::RingKeypadBits, 2); break;
        case 2: click(d, 1091); expected.set(f::AutobaudBits, 128); break;
        case 3: click(d, 1010); expected.set(f::V120LliNegotiation, 0); break;
        case 4: type(d, 1040, ""); expected.zero(f::DataMsn, 16); break;
        case 5:
            QVERIFY(button(d, 1109)->isChecked() && lineEdit(d, 1041)->isEnabled());
            type(d, 1041, "");
            expected.zero(f::DataSubaddress, 17);
            break;
        case 6:
            pick(d, 1015, 4);
            pick(d, 1018, 0);
            pick(d, 1020, 1);
            pick(d, 1021, 1);
            expected.set(f::AsyncBaud, 4).set(f::AsyncDataBits, 0).set(f::AsyncParity, 1).set(f::AsyncStopBits, 1);
            break;
        case 7:
            type(d, 1097, "100");
            click(d, 1034);
            click(d, 1039);
            click(d, 1110);
            click(d, 1111);
            pick(d, 1022, 0);
            expected.set(f::V120Window, 100).set(f::DataClir, 1).set(f::DataColr, 0)
                .set(f::DsrHandling, 0).set(f::DcdHandling, 1).set(f::V120Service, 0);
            break;
        case 8:
            click(d, 1092);
            type(d, 1040, "123456789012345");
            expected.zero(f::DataUus, 17).text(f::DataMsn, "123456789012345");
            break;
        case 9: break;
        case 10:
            QCOMPARE(lineEdit(d, 1097)->text(), QStringLiteral("7"));
            QVERIFY(!button(d, 1110)->isChecked() && !button(d, 1111)->isChecked());
            type(d, 1097, "9");
            click(d, 1110);
            expected.set(f::V120Window, 9).set(f::DsrHandling, 0);
            break;
        }
        // Written text fields are zero to the end of their spans.
        if (row != 4 && row != 8) expected.text(f::DataMsn, "5550100").zero(f::DataMsn + 8, 8);
        if (row != 8) expected.text(f::DataUus, "data").zero(f::DataUus + 5, 12);
        if (row != 5) expected.zero(f::DataSubaddress, 17);
        const ProfileRecord after = okData();
        QCOMPARE(unexpectedBytes(r, after, expected), QStringList());
        QCOMPARE(after.checksumByte(), kSlotSentinel);
        QVERIFY(boxes->shown.empty());
        // The asynchronous line, as detection reads it on the next run.
        QCOMPARE(asyncSetting(settings::BaudRate), row == 6 ? 4 : 8);
        QCOMPARE(asyncSetting(settings::DataBits), row == 6 ? 0 : 1);
        QCOMPARE(asyncSetting(settings::Parity), row == 6 ? 1 : 2);
        QCOMPARE(asyncSetting(settings::StopBits), row == 6 ? 1 : 0);
    }

    void anMsnTickedEmptyOpensOffNextTime() {
        ProfileRecord r = validRecord(kLongProfileLength, 4);
        r.clearSpan(f::DataMsn, 16);
        openData(r);
        click(data.get(), 1094);
        okData();
        const ProfileRecord written = ProfileImage();
        data = std::make_unique<CDataPortAdvDlg>(*dataPage);
        data->initialise();
        QVERIFY(!button(data.get(), 1094)->isChecked());
        QVERIFY(!lineEdit(data.get(), 1040)->isEnabled());
        QCOMPARE(written.byte(f::DataMsn), 0);
    }

    void cancelWritesAndSendsNothing() {
        PutSettingInt(settings::AsyncSection, settings::BaudRate, 6);
        const ProfileRecord r = validRecord(kLongProfileLength, 5);
        openData(r);
        QWidget* d = data.get();
        pick(d, 1015, 1);
        click(d, 1091);
        type(d, 1040, "42");
        type(d, 1199, "999");
        setQuietly(d, 1200, "");
        click(d, kCancel);
        QCOMPARE(data->result(), int(QDialog::Rejected));
        QVERIFY(!data->isVisible());
        QVERIFY(imageUnchanged(r));
        QCOMPARE(writesSinceOpen(), std::vector<std::string>());
        QCOMPARE(asyncSetting(settings::BaudRate), 6);
    }

    void groupsFollowTheDataPortPage_data() {
        QTest::addColumn<int>("setup");
        QTest::addColumn<bool>("async");
        QTest::addColumn<bool>("v120");
        QTest::newRow("SYNC V.120") << 0 << false << true;
        QTest::newRow("ASYN PPP") << 1 << true << false;
        QTest::newRow("ASYN V.120") << 2 << true << true;
        QTest::newRow("SYNC all transparent") << 3 << false << false;
        QTest::newRow("page Default (ASYN PPP)") << 4 << true << false;
    }
    void groupsFollowTheDataPortPage() {
        QFETCH(int, setup);
        QFETCH(bool, async);
        QFETCH(bool, v120);
        // validRecord: ASYN with V.120. The page's controls are changed before opening.
        openData(validRecord(kLongProfileLength, 6), [setup](CDataPortPage& p) {
            if (setup == 0) { click(&p, 1005); pick(&p, 1012, 2); }
            if (setup == 1) pick(&p, 1013, 2);
            if (setup == 3) { click(&p, 1005); pick(&p, 1012, 0); }
            if (setup == 4) click(&p, 1084);
        });
        QWidget* d = data.get();
        for (int id : {1091, 1015, 1018, 1020, 1021})
            QVERIFY2(combo(d, id) ? combo(d, id)->isEnabled() == async : button(d, id)->isEnabled() == async,
                     qPrintable(QString::number(id)));
        QCOMPARE(combo(d, 1022)->isEnabled(), v120);
        QCOMPARE(button(d, 1009)->isEnabled(), v120);
        QCOMPARE(button(d, 1010)->isEnabled(), v120);
        QCOMPARE(lineEdit(d, 1097)->isEnabled(), v120);
        // Always enabled (the three text edits subject to their boxes).
        for (int id : {1094, 1109, 1092, 1034, 1035, 1038, 1039, 1110, 1111})
            QVERIFY(button(d, id)->isEnabled());
        for (int id : kQuickIds) QVERIFY(lineEdit(d, id)->isEnabled());
        QVERIFY(combo(d, 1102)->isEnabled());
    }

    void disabledGroupsStillWriteTheirValues() {
        ProfileRecord r = validRecord(kLongProfileLength, 6);
        r.setByte(f::V120Window, 200);
        openData(r, [](CDataPortPage& p) { click(&p, 1005); }); // SYNC, all transparent
        QVERIFY(!lineEdit(data.get(), 1097)->isEnabled() && !combo(data.get(), 1015)->isEnabled());
        const ProfileRecord after = okData();
        QCOMPARE(int(after.byte(f::V120Window)), 200); // shown as 7, never changed: as read
        QCOMPARE(int(after.byte(f::AsyncBaud)), 8);
    }

    void validationMessages_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onLeaving"); // raised when the field is left, not only on OK
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("exclamation");
        QTest::newRow("K 128") << 1097 << "128" << true << "Please enter an integer between 1 and 127." << true;
        QTest::newRow("K 0") << 1097 << "0" << true << "Please enter an integer between 1 and 127." << true;
        QTest::newRow("K x") << 1097 << "x" << true << "Please enter an integer." << false;
        QTest::newRow("27-digit quick dial 1") << 1199 << QString(27, u'1') << true
                                               << "Please enter no more than 26 characters." << true;
        QTest::newRow("27-digit quick dial 4") << 1098 << QString(27, u'4') << true
                                               << "Please enter no more than 26 characters." << true;
    }
    void validationMessages() {
        QFETCH(int, id);
        QFETCH(QString, text);
        QFETCH(bool, onLeaving);
        QFETCH(QString, message);
        QFETCH(bool, exclamation);
        LanguageMode = 0; // the same English messages in both language modes
        const ProfileRecord r = validRecord(kLongProfileLength, 8);
        openData(r);
        QWidget* d = data.get();
        lineEdit(d, id)->setFocus();
        setQuietly(d, id, text);
        button(d, 1094)->setFocus(); // the field is left
        QCOMPARE(boxes->texts(), onLeaving ? QStringList{message} : QStringList());
        boxes->shown.clear();
        click(d, kOk);
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(boxes->shown[0].icon, exclamation ? platform::BoxIcon::Warning : platform::BoxIcon::None);
        QVERIFY2(data->isVisible() && data->result() != QDialog::Accepted, "the dialog stays open");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(lineEdit(d, id)));
        QVERIFY(imageUnchanged(r));
        QCOMPARE(writesSinceOpen(), std::vector<std::string>());
        // Once corrected, OK goes through.
        setQuietly(d, id, QStringLiteral("12"));
        okData();
    }

    void textsAreLimitedAtInput() {
        openData(validRecord(kLongProfileLength, 8));
        QWidget* d = data.get();
        click(d, 1109);
        type(d, 1040, "12345678901234567890");
        type(d, 1041, "ABCDEFGHIJKLMNOPQRST");
        type(d, 1096, "abcdefghijklmnopqrst");
        QCOMPARE(lineEdit(d, 1040)->text(), QStringLiteral("123456789012345"));
        QCOMPARE(lineEdit(d, 1041)->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(lineEdit(d, 1096)->text(), QStringLiteral("abcdefghijklmnop"));
        QVERIFY(boxes->shown.empty());
        const ProfileRecord after = okData();
        QCOMPARE(after.text(f::DataSubaddress, 17), std::string("ABCDEFGHIJKLMNOP"));
        QCOMPARE(int(after.byte(f::DataSubaddress + 16)), 0);
    }

    void msnCheck_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<bool>("refused");
        QTest::newRow("letter, English") << 1 << "12a" << true;
        QTest::newRow("letter, Chinese") << 0 << "12a" << true;
        QTest::newRow("a star gets no exception") << 1 << "12*3" << true;
        QTest::newRow("digits") << 1 << "0123" << false;
    }
    void msnCheck() {
        QFETCH(int, language);
        QFETCH(QString, pasted);
        QFETCH(bool, refused);
        LanguageMode = language;
        openData(validRecord(kLongProfileLength, 8));
        paste(data.get(), 1040, pasted);
        if (refused) {
            QCOMPARE(boxes->texts(), QStringList{language ? QString::fromUtf8("MSN should be numerical！")
                                                          : QString::fromUtf8("多用户号号码应为数字！")});
            QCOMPARE(boxes->shown[0].caption, QStringLiteral("Omniset"));
            QCOMPARE(boxes->shown[0].owner, static_cast<QObject*>(data.get()));
            QVERIFY(lineEdit(data.get(), 1040)->text().isEmpty());
            QVERIFY(data->m_strMsn.empty());
        } else {
            QVERIFY(boxes->shown.empty());
            QCOMPARE(lineEdit(data.get(), 1040)->text(), pasted);
        }
        boxes->shown.clear();
        type(data.get(), 1040, "9z"); // typed letters never arrive
        QCOMPARE(lineEdit(data.get(), 1040)->text(), QStringLiteral("9"));
        QVERIFY(boxes->shown.empty());
    }

    void quickDialQueries_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("number");
        QTest::newRow("echo, digits among line ends")
            << QString("at&z0?\r\r\n5\r\n5\r\n5\r\n1\r\nOK\r\n") << "5551";
        QTest::newRow("no echo loses seven characters") << QString("\r\n5551234\r\nOK\r\n") << "34";
        QTest::newRow("no reply") << QString() << "";
        QTest::newRow("a full 40-byte reply") << QString("at&z0?\r\n") + QString(26, u'8') + "\r\nOK\r\n"
                                              << QString(26, u'8');
    }
    void quickDialQueries() {
        QFETCH(QString, reply);
        QFETCH(QString, number);
        replies[0] = reply.toStdString();
        openData(validRecord(kLongProfileLength, 2));
        QCOMPARE(lineEdit(data.get(), 1199)->text(), number);
        QCOMPARE(lineEdit(data.get(), 1098)->text(), QStringLiteral("7"));
        // One query per slot, in order, each after a purge, under the reading window.
        const auto& w = adapter().writes;
        QCOMPARE(std::vector<std::string>(w.end() - 4, w.end()),
                 (std::vector<std::string>{"at&z0?\r", "at&z1?\r", "at&z2?\r", "at&z3?\r"}));
        QCOMPARE(statusShownAtQuery, std::vector<bool>(4, true));
        QVERIFY2(!readingStatus(), "the reading window is closed once the numbers are read");
    }

    void eachQueryFollowsAPurge() {
        std::vector<int> purgesAtQuery;
        auto respond = adapter().respond;
        adapter().respond = [&, respond](std::string_view w, const platform::LineSettings& s) {
            if (w.substr(0, 4) == "at&z") purgesAtQuery.push_back(adapter().purges);
            return respond(w, s);
        };
        const int before = adapter().purges;
        openData(validRecord(kLongProfileLength, 2));
        QCOMPARE(purgesAtQuery, (std::vector<int>{before + 1, before + 2, before + 3, before + 4}));
    }

    void storeCommandsOnEveryOk_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("unchanged numbers") << QStringList() << QStringList{"5551", "", "0123456789", "7"};
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << QStringList{"", "", "", ""};
        QTest::newRow("new numbers") << QStringList{"1", "22", "", QString(26, u'9')}
                                     << QStringList{"1", "22", "", QString(26, u'9')};
    }
    void storeCommandsOnEveryOk() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        openData(validRecord(kLongProfileLength, 2));
        for (int i = 0; i < typed.size(); ++i) type(data.get(), kQuickIds[i], typed[i]);
        const int purges = adapter().purges;
        const std::size_t writes = adapter().writes.size();
        okData();
        std::vector<std::string> expected;
        for (int slot = 0; slot < 4; ++slot)
            expected.push_back(kx220::quickDialStore(slot, stored[slot].toStdString()));
        QCOMPARE(std::vector<std::string>(adapter().writes.begin() + long(writes), adapter().writes.end()),
                 expected);
        // Back to back: no purge, no wait between them, and their replies are left unread.
        QCOMPARE(adapter().purges, purges);
        const auto& t = adapter().writeTimes;
        QCOMPARE(t.back(), t[t.size() - 4]);
        QVERIFY(!adapter().incoming.empty());
    }

    void pastedNonDigitsNeverReachAStore() {
        openData(validRecord(kLongProfileLength, 2));
        QWidget* d = data.get();
        paste(d, 1199, QStringLiteral("55a-12\r3"));
        paste(d, 1200, QStringLiteral("\r\nATH;"));
        type(d, 1095, "7b8");
        lineEdit(d, 1098)->setText(QStringLiteral("+86 10")); // text set by code, not typed
        QCOMPARE(lineEdit(d, 1199)->text(), QStringLiteral("55123"));
        QCOMPARE(lineEdit(d, 1200)->text(), QString());
        QCOMPARE(lineEdit(d, 1095)->text(), QStringLiteral("78"));
        QCOMPARE(lineEdit(d, 1098)->text(), QStringLiteral("8610"));
        const std::size_t writes = adapter().writes.size();
        okData();
        QCOMPARE(std::vector<std::string>(adapter().writes.begin() + long(writes), adapter().writes.end()),
                 (std::vector<std::string>{"at&z0=55123\r", "at&z1=\r", "at&z2=78\r", "at&z3=8610\r"}));
    }

    void repaintFollowsTheLanguage() {
        ProfileRecord r = validRecord(kLongProfileLength, 2);
        r.setByte(f::RingKeypadBits, 1);
        openData(r);
        QWidget* d = data.get();
        QCOMPARE(d->windowTitle(), QStringLiteral("DTE Advanced Settings"));
        QCOMPARE(button(d, 1034)->text(), QStringLiteral("Yes"));
        pick(d, 1020, 1);
        LanguageMode = 0;
        d->repaint();
        QCOMPARE(d->windowTitle(), QString::fromUtf8("数据端口高级设置"));
        QCOMPARE(res::control<QWidget>(d, 1171)->property("text").toString(),
                 QString::fromUtf8("第一条号码(对应NVRAM中S0):"));
        QCOMPARE(combo(d, 1020)->currentText(), QString::fromUtf8("偶"));
        QCOMPARE(combo(d, 1102)->currentText(), QString::fromUtf8("只输出一次"));
        QCOMPARE(combo(d, 1022)->itemText(0), QString::fromUtf8("UI帧模式"));
        QCOMPARE(combo(d, 1015)->currentText(), QStringLiteral("115.2K"));
        LanguageMode = 1;
        d->repaint();
        QCOMPARE(combo(d, 1020)->currentText(), QStringLiteral("Even"));
        QCOMPARE(combo(d, 1018)->itemText(0), QStringLiteral("7bits"));
    }

    // --- telephone port advanced dialog -------------------------------------------

    void telOpensAndWritesItsFields() {
        ProfileRecord r = validRecord(kLongProfileLength, 12);
        r.setByte(f::RingKeypadBits, 3);
        r.setByte(f::CodingLaw, 0);
        r.setByte(f::NationalPrefix + 5, 0x31); // byte 315 is zero after any write
        openTel(r);
        QWidget* d = tel.get();
        QVERIFY(button(d, 1025)->isChecked());                 // A law
        QVERIFY(button(d, 1024)->isChecked() && button(d, 1128)->isChecked()); // speech, 3.1 kHz
        QCOMPARE(combo(d, 1099)->currentText(), QStringLiteral("Using called number mode"));
        QCOMPARE(lineEdit(d, 1095)->text(), QStringLiteral("0"));
        QCOMPARE(lineEdit(d, 1096)->text(), QStringLiteral("00"));
        QCOMPARE(lineEdit(d, 1095)->maxLength(), 5);
        QCOMPARE(lineEdit(d, 1096)->maxLength(), 5);
        click(d, 1026); // μ law
        QCOMPARE(tel->m_nCodingLaw, 1);
        pick(d, 1099, 0);
        click(d, 1023);
        type(d, 1096, "001");
        click(d, kOk);
        QCOMPARE(tel->result(), int(QDialog::Accepted));
        const Bytes expected = Bytes().set(f::CodingLaw, 1).set(f::RingKeypadBits, 1).set(f::Tel1Bearer, 1)
                                   .text(f::NationalPrefix, "0").zero(f::NationalPrefix + 2, 4)
                                   .text(f::InternationalPrefix, "001").zero(f::InternationalPrefix + 4, 2);
        QCOMPARE(unexpectedBytes(r, ProfileImage(), expected), QStringList());
        QCOMPARE(ProfileImage().checksumByte(), kSlotSentinel);
        QCOMPARE(adapter().writes.size(), writesAtOpen); // the dialog never sends
        QVERIFY(boxes->shown.empty());
    }

    void telCancelWritesNothing() {
        const ProfileRecord r = validRecord(kLongProfileLength, 12);
        openTel(r);
        QWidget* d = tel.get();
        click(d, 1026);
        click(d, 1127);
        pick(d, 1099, 1);
        type(d, 1095, "12");
        click(d, kCancel);
        QCOMPARE(tel->result(), int(QDialog::Rejected));
        QVERIFY(imageUnchanged(r));
    }

    void prefixCheck_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("national, English") << 1095 << 1
            << QString::fromUtf8("The Long distance call prefix should be digital！\nPlease check the chracters just input！");
        QTest::newRow("international, Chinese") << 1096 << 0
            << QString::fromUtf8("长途电话的字冠应为数字,请检查您所输入的字符！");
    }
    void prefixCheck() {
        QFETCH(int, id);
        QFETCH(int, language);
        QFETCH(QString, message);
        LanguageMode = language;
        openTel(validRecord(kLongProfileLength, 12));
        QWidget* d = tel.get();
        type(d, id, "0a");
        QCOMPARE(boxes->texts(), QStringList{message});
        QVERIFY2(!boxes->shown[0].owner, "an application box");
        QCOMPARE(boxes->shown[0].caption, QStringLiteral("Omniset"));
        QVERIFY(lineEdit(d, id)->text().isEmpty());
        boxes->shown.clear();
        type(d, id, "086");
        QVERIFY(boxes->shown.empty());
        QCOMPARE(lineEdit(d, id)->text(), QStringLiteral("086"));
    }

    void telRepaintKeepsTheSelection() {
        ProfileRecord r = validRecord(kLongProfileLength, 12);
        r.setByte(f::RingKeypadBits, 2);
        openTel(r);
        QWidget* d = tel.get();
        for (int language : {0, 1, 0}) {
            LanguageMode = language;
            d->repaint();
            QCOMPARE(combo(d, 1099)->currentIndex(), 1);
        }
        QCOMPARE(combo(d, 1099)->currentText(), QString::fromUtf8("使用被叫号码方式"));
        QCOMPARE(d->windowTitle(), QString::fromUtf8("电话端口高级设置"));
        LanguageMode = 1;
        d->repaint();
        QCOMPARE(button(d, kOk)->text(), QStringLiteral("Ok"));
    }

    void telShortRecordStopsAtByte313() {
        ProfileRecord r = validRecord(kShortProfileLength, 13);
        r.setByte(f::RingKeypadBits, 0);
        r.setText(f::NationalPrefix, 4, "021");
        openTel(r);
        QWidget* d = tel.get();
        for (int id : {1024, 1023, 1127, 1128, 1025, 1026}) {
            QVERIFY2(!button(d, id)->isEnabled(), qPrintable(QString::number(id)));
            QVERIFY2(!button(d, id)->isChecked(), "no value shown");
        }
        QVERIFY(!lineEdit(d, 1096)->isEnabled() && lineEdit(d, 1096)->text().isEmpty());
        QVERIFY(lineEdit(d, 1095)->isEnabled() && combo(d, 1099)->isEnabled());
        QCOMPARE(lineEdit(d, 1095)->text(), QStringLiteral("021"));
        QCOMPARE(lineEdit(d, 1095)->maxLength(), 3);
        type(d, 1095, "01234");
        QCOMPARE(lineEdit(d, 1095)->text(), QStringLiteral("012"));
        pick(d, 1099, 1);
        click(d, kOk);
        QCOMPARE(tel->result(), int(QDialog::Accepted));
        const ProfileRecord& after = ProfileImage();
        QCOMPARE(after.raw().size(), std::size_t(kShortProfileLength + 1));
        QCOMPARE(after.checksumByte(), kSlotSentinel);
        const Bytes expected = Bytes().set(f::RingKeypadBits, 2).text(f::NationalPrefix, "012");
        QCOMPARE(unexpectedBytes(r, after, expected), QStringList());
    }

    // --- the pages' Advanced buttons ------------------------------------------------

    void advancedButtonsRunTheDialogs() {
        AllocateProfile(kLongProfileLength);
        ProfileImage() = validRecord(kLongProfileLength, 14);
        dataPage = std::make_unique<CDataPortPage>();
        dataPage->initialise();
        telPage = std::make_unique<CTelPortPage>();
        telPage->initialise();
        UiScript script;
        QWidget* dataParent = nullptr;
        QWidget* telParent = nullptr;
        script.when(activeModal<CDataPortAdvDlg>, [&] {
            dataParent = activeModal<CDataPortAdvDlg>()->parentWidget();
            type(activeModal<CDataPortAdvDlg>(), 1097, "99");
            clickButton(activeModal<CDataPortAdvDlg>(), kOk);
        });
        script.start();
        click(dataPage.get(), 1090);
        QCOMPARE(int(ProfileImage().byte(f::V120Window)), 99);
        QCOMPARE(dataParent, static_cast<QWidget*>(dataPage.get()));
        UiScript telScript;
        telScript.when(activeModal<CTelAdvDlg>, [&] {
            telParent = activeModal<CTelAdvDlg>()->parentWidget();
            clickButton(activeModal<CTelAdvDlg>(), 1026);
            clickButton(activeModal<CTelAdvDlg>(), kOk);
        });
        telScript.start();
        click(telPage.get(), 1104);
        QVERIFY(script.done() && telScript.done());
        QCOMPARE(int(ProfileImage().byte(f::CodingLaw)), 1);
        QCOMPARE(telParent, static_cast<QWidget*>(telPage.get()));
    }
};

OMNISET_QTEST_MAIN(AdvancedDialogsTest)
#include "test_adv_dialogs.moc"
