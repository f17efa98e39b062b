// The General information page against a fake adapter on a virtual clock: parsing of the
// identification replies, the out-of-date question, the clock setting, the factory reset,
// the confirmation boxes and the page's texts in both languages.
#include "qtest_main.h"

#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "gui/pages/general_page.h"
#include "gui/platform/file_dialog.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"
#include "testkit.h"

#include <QLabel>
#include <QPushButton>

#include <map>
#include <string>
#include <vector>

using namespace omniset;
using platform::BoxAnswer;
using platform::BoxButtons;
using platform::BoxIcon;

namespace {

using Writes = std::vector<std::string>;

const std::string kGoodVersion = "ati3\r\r\nKX220 Version 2.0\r\nOK\r\n";
// The port type stands at characters 28..39, after this 28-character head.
const std::string kPortTypeHead = "ati4\r\r\nISDN interface type: ";
const std::string kGoodPortType = kPortTypeHead + "S/T bus     \r\nOK\r\n";
const std::string kGoodModel = "ati6\r\r\nVelmar KX220-S\r\nOK\r\n";

// The page on COM1 of a fake adapter that answers each command with a fixed reply
// (echo included); commands without a reply are only echoed.
struct Rig {
    test::VirtualClock clock;
    test::FakePorts ports;
    test::ScriptedBoxes boxes;
    test::ExitRecorder exits;
    test::FakeAdapter* adapter = &ports.on(1);
    std::map<std::string, std::string> replies{
        {"ati3\r", kGoodVersion}, {"ati4\r", kGoodPortType}, {"ati6\r", kGoodModel}};
    std::function<void(std::string_view)> onWrite;
    CGeneralPage page;

    explicit Rig(int language = 1) {
        LanguageMode = language;
        adapter->respond = [this](std::string_view w, const platform::LineSettings&) {
            if (onWrite) onWrite(w);
            auto it = replies.find(std::string(w));
            return it == replies.end() ? std::string(w) : it->second;
        };
        SerialOpen(1);
        adapter->writes.clear();
        platform::setLocalTimeSource([] { return QDateTime(QDate(2001, 3, 5), QTime(9, 7, 3)); });
    }
    ~Rig() {
        SerialClose();
        platform::setLocalTimeSource({});
        DownloadActive = AutoUpgrade = DownloadFinished = 0;
        LanguageMode = 1;
    }
    QPushButton* button(int id) { return res::control<QPushButton>(&page, id); }
    QString shown(int id) { return res::control<QLabel>(&page, id)->text(); }
    bool buttonsEnabled() {
        return button(1205)->isEnabled() && button(1206)->isEnabled() && button(1222)->isEnabled();
    }
};

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// Box texts, both languages.
const char* const kDeclinedEn =
    "Sorry! You have choosen the \"Cancel\" Button,      the Omniset program will exit!";
const char* const kDeclinedZh = "对不起！您选择了\"取消\"按钮，Omniset配置管理程序将会终止！";
const char* const kOutOfDateEn =
    "Omniset has detected the version of KX220 is out of date, Do you want to upgrade it to "
    "V1.62? Choose \"Ok\" to accept it, \"Cancel\" to give it up!";
const char* const kOutOfDateZh =
    "Omniset检测到KX220主机软件版本已经过时，\n强烈建议您自动升级到最新的软件版本V2.0。\n"
    "在升级软件之前，请从维尔马公司网页上获取该 \n软件,并确认已将V2.0版本的软件kx220a20.dl "
    "\n安装到C:\\BKX220目录下.\n\n-  如果需要自动升级， 请选择\"确定\"\n-  如果想退出Omniset，"
    "请选择\"取消\"";

} // namespace

class GeneralPageTest : public QObject {
    Q_OBJECT

  private slots:
    void versionReply_data();
    void versionReply();
    void portTypeReply_data();
    void portTypeReply();
    void modelReply_data();
    void modelReply();
    void initialiseShowsTheIdentification();
    void aReplyEndsAtItsFirstZeroByte();
    void outOfDate_data();
    void outOfDate();
    void clock_data();
    void clock();
    void factoryReset_data();
    void factoryReset();
    void cancelledConfirmationSendsNothing_data();
    void cancelledConfirmationSendsNothing();
    void downloadRestoresThePage();
    void pageTexts_data();
    void pageTexts();
};

void GeneralPageTest::versionReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("current");
    QTest::addColumn<QString>("version");
    QTest::newRow("2.0 current") << QByteArray("Version 2.0\r") << true << "Version 2.0";
    QTest::newRow("echo and banner") << QByteArray(kGoodVersion.c_str()) << true << "Version 2.0";
    QTest::newRow("1.62 out of date")
        << QByteArray("ati3\r\r\nVersion 1.62\r\nOK\r\n") << false << "Version 1.62";
    QTest::newRow("2.0 inside a longer number")
        << QByteArray("ati3\r\nVersion 1.6 build 12.05\r\n") << true << "Version 1.6 build 12.05";
    QTest::newRow("no CR after Version") << QByteArray("ati3\r\r\nVersion 1.5") << false << "";
    QTest::newRow("CR only before Version") << QByteArray("\rVersion 2.0") << true << "";
    QTest::newRow("no Version") << QByteArray("ati3\r\r\n1.3\r\nOK\r\n") << false << "";
    QTest::newRow("first Version counts")
        << QByteArray("Version A\rVersion B\r") << false << "Version A";
    QTest::newRow("silence") << QByteArray() << false << "";
}

void GeneralPageTest::versionReply() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, current);
    QFETCH(QString, version);
    QCOMPARE(general::isCurrentFirmware(reply.toStdString()), current);
    QCOMPARE(general::versionText(reply.toStdString()), version);
}

void GeneralPageTest::portTypeReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("portType");
    const QByteArray head(kPortTypeHead.c_str());
    QCOMPARE(head.size(), 28);
    QTest::newRow("exactly 30 characters") << head + "S/"
                                           << "S/";
    QTest::newRow("exactly 28 characters") << head << "";
    QTest::newRow("shorter") << QByteArray("ati4\r") << "";
    QTest::newRow("29 characters") << head + "U"
                                   << "U";
    QTest::newRow("exactly 40 characters") << head + "S/T bus  ABC"
                                           << "S/T bus  ABC";
    QTest::newRow("longer: 12 characters") << QByteArray(kGoodPortType.c_str()) << "S/T bus     ";
}

void GeneralPageTest::portTypeReply() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, portType);
    QCOMPARE(general::portTypeText(reply.toStdString()), portType);
}

void GeneralPageTest::modelReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("model");
    QTest::newRow("model") << QByteArray(kGoodModel.c_str()) << "Velmar KX220-S";
    QTest::newRow("Velmar without CR") << QByteArray("ati6\r\r\nVelmar KX220-S") << "";
    QTest::newRow("no Velmar") << QByteArray("ati6\r\r\nKX220\r\nOK\r\n") << "";
    QTest::newRow("Velmar alone") << QByteArray("Velmar\r") << "Velmar";
}

void GeneralPageTest::modelReply() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, model);
    QCOMPARE(general::modelText(reply.toStdString()), model);
}

void GeneralPageTest::initialiseShowsTheIdentification() {
    Rig rig;
    QWidget sheet;
    rig.replies["ati4\r"] = kPortTypeHead + "S/"; // 30 characters
    QVERIFY(rig.page.initialise(&sheet));
    QCOMPARE(rig.adapter->writes, (Writes{"ati3\r", "ati4\r", "ati6\r"}));
    QCOMPARE(rig.adapter->purges, 3);
    QCOMPARE(rig.shown(1210), u("Version 2.0"));
    QCOMPARE(rig.shown(1208), u("S/"));
    QCOMPARE(rig.shown(1218), u("Velmar KX220-S"));
    QCOMPARE(rig.page.m_strVersion, u("Version 2.0"));
    QCOMPARE(rig.page.m_pSheet, &sheet);
    QVERIFY(rig.boxes.shown.empty());
    QVERIFY(!rig.exits.code);
    // The values are plain text, never markup, and no repaint relabels them.
    rig.replies["ati6\r"] = "ati6\r\r\nVelmar <b>X</b>\r\n";
    CGeneralPage other;
    QVERIFY(other.initialise(&sheet));
    QCOMPARE(res::control<QLabel>(&other, 1218)->textFormat(), Qt::PlainText);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    LanguageMode = 0;
    other.repaint();
    QCOMPARE(res::control<QLabel>(&other, 1218)->text(), u("Velmar <b>X</b>"));
    QCOMPARE(res::control<QLabel>(&other, 1210)->text(), u("Version 2.0"));
}

void GeneralPageTest::aReplyEndsAtItsFirstZeroByte() {
    Rig rig;
    QWidget sheet;
    rig.replies["ati6\r"] = std::string("ati6\r\0\nVelmar KX220\r\n", 21);
    rig.replies["ati3\r"] = std::string("ati3\r\0Version 2.0\r\n", 19);
    rig.boxes.answer(BoxAnswer::Ok); // the firmware no longer reads as current
    QVERIFY(rig.page.initialise(&sheet));
    QCOMPARE(rig.shown(1218), QString());
    QCOMPARE(rig.shown(1210), QString());
    QCOMPARE(rig.boxes.shown.size(), size_t(1));
}

void GeneralPageTest::outOfDate_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("declined");
    const int info = int(BoxIcon::Information), none = int(BoxIcon::None);
    QTest::newRow("en accepted") << 1 << true << u(kOutOfDateEn) << none << u(kDeclinedEn);
    QTest::newRow("en declined") << 1 << false << u(kOutOfDateEn) << none << u(kDeclinedEn);
    QTest::newRow("zh accepted") << 0 << true << u(kOutOfDateZh) << info << u(kDeclinedZh);
    QTest::newRow("zh declined") << 0 << false << u(kOutOfDateZh) << info << u(kDeclinedZh);
}

void GeneralPageTest::outOfDate() {
    QFETCH(int, language);
    QFETCH(bool, accept);
    QFETCH(QString, question);
    QFETCH(int, icon);
    QFETCH(QString, declined);
    Rig rig(language);
    QWidget sheet;
    rig.replies["ati3\r"] = "ati3\r\r\nVersion 1.62\r\nOK\r\n";
    rig.boxes.answer(accept ? BoxAnswer::Ok : BoxAnswer::Cancel);
    int upgradeFlag = -1;
    rig.boxes.onShow = [&](const platform::BoxRequest&) {
        if (upgradeFlag < 0) upgradeFlag = AutoUpgrade;
    };

    const bool opened = rig.page.initialise(&sheet);

    QCOMPARE(rig.adapter->writes, (Writes{"ati3\r", "ati4\r", "ati6\r"}));
    QVERIFY(rig.boxes.shown.size() >= 1);
    const auto& box = rig.boxes.shown[0];
    QCOMPARE(box.text, question);
    QCOMPARE(box.caption, u("Omniset"));
    QVERIFY(box.owner == nullptr);
    QVERIFY(box.buttons == BoxButtons::OkCancel);
    QCOMPARE(int(box.icon), icon);
    QVERIFY(!box.cancelIsDefault);
    QCOMPARE(upgradeFlag, 1);
    if (accept) {
        // The (not yet built) download returned: the sheet opens with the texts shown.
        QVERIFY(opened);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(!rig.exits.code);
        QCOMPARE(AutoUpgrade, 0);
        QCOMPARE(DownloadActive, 0);
        QCOMPARE(rig.shown(1210), u("Version 1.62"));
        QCOMPARE(rig.page.m_pSheet, &sheet);
    } else {
        QVERIFY(!opened);
        QCOMPARE(rig.boxes.shown.size(), size_t(2));
        QCOMPARE(rig.boxes.shown[1].text, declined);
        QVERIFY(rig.boxes.shown[1].buttons == BoxButtons::Ok);
        QVERIFY(rig.boxes.shown[1].icon == BoxIcon::None);
        QVERIFY(rig.boxes.shown[1].owner == nullptr);
        QCOMPARE(rig.exits.code, std::optional<int>(0));
        QVERIFY(rig.page.m_pSheet == nullptr);
        QCOMPARE(rig.shown(1210), QString());
    }
}

void GeneralPageTest::clock_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QByteArray>("dateReply"); // after the echo of the date query
    QTest::addColumn<QByteArray>("dateAnswer");
    QTest::addColumn<QByteArray>("timeReply");
    QTest::addColumn<QByteArray>("timeAnswer");
    QTest::addColumn<int>("sent");        // how many commands reach the adapter
    QTest::addColumn<QString>("boxText"); // empty: no box
    QTest::addColumn<bool>("pageOwned");

    const QByteArray datePrompt("\r\nCurrent date is 01-01-1999\r\nEnter new date (mm-dd-yyyy):");
    const QByteArray timePrompt("\r\nCurrent time is 00:00:00\r\nEnter new time:");
    const QByteArray ok("\r\nOK\r\n");
    QTest::newRow("set, en") << 1 << datePrompt << ok << timePrompt << ok << 4
                             << u("Set date and time successfully！") << false;
    QTest::newRow("set, zh") << 0 << datePrompt << ok << timePrompt << ok << 4
                             << u("设置日期和时间成功！") << false;
    QTest::newRow("date rejected") << 1 << datePrompt << QByteArray("\r\nInvalid date\r\n")
                                   << timePrompt << ok << 4 << QString() << false;
    QTest::newRow("time rejected") << 1 << datePrompt << ok << timePrompt
                                   << QByteArray("\r\nInvalid time\r\n") << 4 << QString() << false;
    QTest::newRow("no date prompt, en") << 1 << QByteArray("\r\nERROR\r\n") << ok << timePrompt
                                        << ok << 1 << u("The date data receiving error！") << true;
    QTest::newRow("no date prompt, zh")
        << 0 << QByteArray() << ok << timePrompt << ok << 1 << u("收到的日期数据错误！") << true;
    QTest::newRow("no time prompt, en") << 1 << datePrompt << ok << QByteArray("\r\nERROR\r\n")
                                        << ok << 3 << u("The time data receiving error！") << true;
    QTest::newRow("no time prompt, zh") << 0 << datePrompt << ok << QByteArray("\r\nEnter time")
                                        << ok << 3 << u("收到的时间数据错误！") << true;
}

void GeneralPageTest::clock() {
    QFETCH(int, language);
    QFETCH(QByteArray, dateReply);
    QFETCH(QByteArray, dateAnswer);
    QFETCH(QByteArray, timeReply);
    QFETCH(QByteArray, timeAnswer);
    QFETCH(int, sent);
    QFETCH(QString, boxText);
    QFETCH(bool, pageOwned);
    Rig rig(language);
    rig.replies["at$q\r"] = "at$q\r" + dateReply.toStdString();
    rig.replies["3-5-2001\r"] = "3-5-2001\r" + dateAnswer.toStdString();
    rig.replies["at$t\r"] = "at$t\r" + timeReply.toStdString();
    rig.replies["9:7:3\r"] = "9:7:3\r" + timeAnswer.toStdString();
    bool enabledDuringExchange = false;
    rig.onWrite = [&](std::string_view) { enabledDuringExchange |= rig.buttonsEnabled(); };
    bool enabledDuringBox = true;
    rig.boxes.onShow = [&](const platform::BoxRequest&) {
        enabledDuringBox = rig.buttonsEnabled();
    };

    rig.button(1206)->click();

    const Writes all{"at$q\r", "3-5-2001\r", "at$t\r", "9:7:3\r"};
    QCOMPARE(rig.adapter->writes, Writes(all.begin(), all.begin() + sent));
    QCOMPARE(rig.adapter->purges, sent);
    if (boxText.isEmpty()) {
        QVERIFY(rig.boxes.shown.empty());
    } else {
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        const auto& box = rig.boxes.shown[0];
        QCOMPARE(box.text, boxText);
        QCOMPARE(box.caption, u("Omniset"));
        QVERIFY(box.buttons == BoxButtons::Ok);
        QCOMPARE(box.owner, pageOwned ? static_cast<QObject*>(&rig.page) : nullptr);
        QVERIFY(box.icon == (pageOwned ? BoxIcon::None : BoxIcon::Information));
        QVERIFY(!enabledDuringBox);
    }
    QVERIFY(!enabledDuringExchange);
    QVERIFY(rig.buttonsEnabled());
    QVERIFY(!QGuiApplication::overrideCursor()); // the wait cursor is gone
    QVERIFY(!rig.exits.code);
}

void GeneralPageTest::factoryReset_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("ends");
    const QString qEn =
        u("Are you sure to restore the factory settings of KX220?\nWhen you find you have set some "
          "parameters incorrectly and\nthen KX220 cann't work normally(For example: Incorrectly "
          "\nset MSN, or the codec law of telephone port as μ Law in \nChina ), you can do "
          "it.\n\n- If choose \"OK\",Omniset will reset KX220 as factory settings\n- If choose "
          "\"Cancel\", Omniset will keep the original settings.");
    const QString qZh =
        u("确实要将当前配置恢复为KX220的出厂设置吗？当您错误地设置了\nKX220的某些工作参数(例如:"
          "多用户号设置不当，或在中国误将电\n话口的编解码律设置为μ律时，将无法打电话), 从而导致"
          "KX220\n不能正常工作时,建议您这么做。\n\n- 如果选择\"确定\"按钮，Omniset将会以出厂设置"
          "来配置KX220,\n- 如果选择\"取消\"按钮，Omniset将保留原来对KX220的设置。");
    QTest::newRow("done, en")
        << 1 << QByteArray("at&f\r\r\nOK\r\n") << qEn
        << u("Restoring KX220 factory settings is successful,\nplease restart "
             "Omniset!")
        << true;
    QTest::newRow("done, zh") << 0 << QByteArray("at&f\r\r\nOK\r\n") << qZh
                              << u("恢复KX220出厂设置成功，请重新启动Omniset!") << true;
    QTest::newRow("failed, en")
        << 1 << QByteArray("at&f\r\r\nERROR\r\n") << qEn
        << u("Restoring KX220 factory settings is not successful, please retry it!") << false;
    QTest::newRow("silent, zh") << 0 << QByteArray() << qZh
                                << u("恢复KX220出厂设置失败，请再试一次") << false;
}

void GeneralPageTest::factoryReset() {
    QFETCH(int, language);
    QFETCH(QByteArray, reply);
    QFETCH(QString, question);
    QFETCH(QString, result);
    QFETCH(bool, ends);
    Rig rig(language);
    rig.replies["at&f\r"] = reply.toStdString();

    rig.button(1222)->click();

    QCOMPARE(rig.adapter->writes, Writes{"at&f\r"});
    QCOMPARE(rig.boxes.shown.size(), size_t(2));
    const auto& ask = rig.boxes.shown[0];
    QCOMPARE(ask.text, question);
    QVERIFY(ask.buttons == BoxButtons::OkCancel);
    QVERIFY(ask.icon == BoxIcon::Question);
    QVERIFY(ask.cancelIsDefault);
    QVERIFY(ask.owner == nullptr);
    const auto& told = rig.boxes.shown[1];
    QCOMPARE(told.text, result);
    QVERIFY(told.buttons == BoxButtons::Ok);
    QVERIFY(told.icon == BoxIcon::None);
    QVERIFY(told.owner == nullptr);
    QCOMPARE(told.caption, u("Omniset"));
    QCOMPARE(rig.exits.code, ends ? std::optional<int>(0) : std::nullopt);
}

void GeneralPageTest::cancelledConfirmationSendsNothing_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("question");
    QTest::newRow("download, en")
        << 1 << 1205
        << u("Are you sure to download software?\nNOTICE: To ensure downloading KX220 software "
             "successful,\nplease exit the applications such as screen saver before\n"
             "downloading KX220 software!\n\n- Choose \"OK\" to run into downloading.\n- Choose "
             "\"Cancel\" to exit downloading. ");
    QTest::newRow("download, zh")
        << 0 << 1205
        << u("您确定要下载软件吗?注意：为确保下载\nKX220主机软件成功，在下载软件之前，\n"
             "请关闭屏幕保护等其它应用程序!\n\n- 选择\"确定\"进入下载软件.\n- 选择\"取消\"退出软件"
             "下载.");
    QTest::newRow("factory reset, en")
        << 1 << 1222 << u("Are you sure to restore the factory settings of KX220?");
    QTest::newRow("factory reset, zh") << 0 << 1222 << u("确实要将当前配置恢复为KX220的出厂设置吗");
}

void GeneralPageTest::cancelledConfirmationSendsNothing() {
    QFETCH(int, language);
    QFETCH(int, button);
    QFETCH(QString, question);
    Rig rig(language);
    rig.boxes.answer(BoxAnswer::Cancel);
    rig.button(button)->click();
    QCOMPARE(rig.boxes.shown.size(), size_t(1));
    QVERIFY(rig.boxes.shown[0].text.startsWith(question));
    if (button == 1205) QCOMPARE(rig.boxes.shown[0].text, question);
    QVERIFY(rig.boxes.shown[0].buttons == BoxButtons::OkCancel);
    QVERIFY(rig.boxes.shown[0].icon == BoxIcon::Question);
    QVERIFY(rig.boxes.shown[0].cancelIsDefault);
    QVERIFY(rig.adapter->writes.empty());
    QCOMPARE(rig.adapter->purges, 0);
    QVERIFY(rig.buttonsEnabled());
    QVERIFY(rig.page.isEnabled());
    QCOMPARE(DownloadActive, 0);
    QVERIFY(!rig.exits.code);
}

void GeneralPageTest::downloadRestoresThePage() {
    Rig rig;
    QWidget sheet;
    QVERIFY(rig.page.initialise(&sheet));
    rig.adapter->writes.clear();
    // The scripted box answers OK; the download asks for a file, which is cancelled.
    bool asked = false, disabledMeanwhile = false;
    platform::setOpenFileHandler([&](const platform::OpenFileRequest&) {
        asked = true;
        disabledMeanwhile = DownloadActive == 1 && !rig.page.isEnabled() &&
                            !rig.button(1205)->isEnabled() && !rig.button(1206)->isEnabled() &&
                            !rig.button(1222)->isEnabled();
        return QString();
    });
    rig.button(1205)->click();
    platform::setOpenFileHandler({});
    QVERIFY(asked);
    QVERIFY(disabledMeanwhile);
    QCOMPARE(rig.boxes.shown.size(), size_t(1));
    QVERIFY2(rig.adapter->writes.empty(), "a cancelled file choice sends nothing");
    QCOMPARE(DownloadActive, 0);
    QVERIFY(rig.page.isEnabled());
    QVERIFY(rig.buttonsEnabled());
    QVERIFY(!rig.exits.code);
}

void GeneralPageTest::pageTexts_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    struct Row {
        int id;
        const char* zh;
        const char* en;
    };
    const Row rows[]{
        {1202, "KX220主机状况", "KX220 Information"},
        {1207, "ISDN端口类型:", "ISDN Port Type:"},
        {1209, "当前软件版本号:", "Version Number:"},
        {1217, "产品型号:", "Model:"},
        {1212, "Brantis KX220 配置程序 Omniset 2.0 发行版",
         "Brantis KX220 Omniset 2.0 Release Version"},
        {1205, "KX220主机软件下载", "Download   Software"},
        {1206, "KX220设置为PC机时间", "Set Date^Time as PC's"},
        {1222, "恢复KX220出厂设置", "Restore Factory Settings"},
    };
    for (const Row& r : rows) {
        QTest::addRow("%d zh", r.id) << 0 << r.id << u(r.zh);
        QTest::addRow("%d en", r.id) << 1 << r.id << u(r.en);
    }
}

void GeneralPageTest::pageTexts() {
    QFETCH(int, language);
    QFETCH(int, id);
    QFETCH(QString, text);
    Rig rig(1 - language);
    QWidget sheet;
    QVERIFY(rig.page.initialise(&sheet));
    rig.page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.page));
    LanguageMode = language;
    rig.page.repaint(); // the language switch shows at the next repaint
    QCOMPARE(res::widgetText(res::control<QWidget>(&rig.page, id)), text);
    QCOMPARE(rig.shown(1210), u("Version 2.0"));
    QCOMPARE(rig.shown(1218), u("Velmar KX220-S"));
}

OMNISET_QTEST_MAIN(GeneralPageTest)
#include "test_general_page.moc"
