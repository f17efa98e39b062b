#include "general_page.h"

#include "app/app_state.h"
#include "app/data_exchange.h"
#include "app/input_guard.h"
#include "app/language.h"
#include "app/messages.h"
#include "download/download.h"
#include "link/adapter_commands.h"
#include "link/identification.h"
#include "link/exchange_entry.h"
#include "link/serial_channel.h"
#include "platform/clock.h"
#include "platform/cursor.h"
#include "platform/process.h"
#include "res/dialog_builder.h"
#include "res/templates.h"
#include "res/window_texts.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace omniset {

namespace {

// Controls of template 152.
constexpr int kPortTypeId = 1208;
constexpr int kVersionId = 1210;
constexpr int kModelId = 1218;
constexpr int kDownloadId = 1205;
constexpr int kClockId = 1206;
constexpr int kResetId = 1222;

// The reply to the factory reset is read up to this many bytes.
constexpr int kResetReplyLimit = 50;

// Both ways out of this page end the process with this code.
constexpr int kExitCode = 0;

// Message boxes of the page, Chinese and English.
constexpr res::TextPair kOutOfDate{
    "Omniset检测到KX220主机软件版本已经过时，\n强烈建议您自动升级到最新的软件版本V2."
    "0。\n在升级软件之前，请从维尔马公司网页上获取该 \n软件,并确认已将V2.0版本的软件kx220a20.dl "
    "\n安装到C:\\BKX220目录下.\n\n-  如果需要自动升级， 请选择\"确定\"\n-  "
    "如果想退出Omniset，请选择\"取消\"",
    "Omniset has detected the version of KX220 is out of date, Do you want to upgrade it to V1.62? "
    "Choose \"Ok\" to accept it, \"Cancel\" to give it up!"};

constexpr res::TextPair kUpgradeDeclined{
    "对不起！您选择了\"取消\"按钮，Omniset配置管理程序将会终止！",
    "Sorry! You have choosen the \"Cancel\" Button,      the Omniset program will exit!"};

constexpr res::TextPair kConfirmDownload{
    "您确定要下载软件吗?"
    "注意：为确保下载\nKX220主机软件成功，在下载软件之前，\n请关闭屏幕保护等其它应用程序!\n\n- "
    "选择\"确定\"进入下载软件.\n- 选择\"取消\"退出软件下载.",
    "Are you sure to download software?\nNOTICE: To ensure downloading KX220 software "
    "successful,\nplease exit the applications such as screen saver before\ndownloading KX220 "
    "software!\n\n- Choose \"OK\" to run into downloading.\n- Choose \"Cancel\" to exit "
    "downloading. "};

constexpr res::TextPair kDateNotAccepted{"收到的日期数据错误！", "The date data receiving error！"};

constexpr res::TextPair kTimeNotAccepted{"收到的时间数据错误！", "The time data receiving error！"};

constexpr res::TextPair kClockSet{"设置日期和时间成功！", "Set date and time successfully！"};

constexpr res::TextPair kConfirmReset{
    "确实要将当前配置恢复为KX220的出厂设置吗？当您错误地设置了\nKX220的某些工作参数(例如:"
    "多用户号设置不当，或在中国误将电\n话口的编解码律设置为μ律时，将无法打电话), "
    "从而导致KX220\n不能正常工作时,建议您这么做。\n\n- "
    "如果选择\"确定\"按钮，Omniset将会以出厂设置来配置KX220,\n- "
    "如果选择\"取消\"按钮，Omniset将保留原来对KX220的设置。",
    "Are you sure to restore the factory settings of KX220?\nWhen you find you have set some "
    "parameters incorrectly and\nthen KX220 cann't work normally(For example: Incorrectly \nset "
    "MSN, or the codec law of telephone port as μ Law in \nChina ), you can do it.\n\n- If choose "
    "\"OK\",Omniset will reset KX220 as factory settings\n- If choose \"Cancel\", Omniset will "
    "keep the original settings."};

constexpr res::TextPair kResetDone{
    "恢复KX220出厂设置成功，请重新启动Omniset!",
    "Restoring KX220 factory settings is successful,\nplease restart Omniset!"};

constexpr res::TextPair kResetFailed{
    "恢复KX220出厂设置失败，请再试一次",
    "Restoring KX220 factory settings is not successful, please retry it!"};

BoxAnswer showBox(QWidget* owner, const res::TextPair& t, BoxButtons buttons = BoxButtons::Ok,
                  BoxIcon icon = BoxIcon::None, bool cancelIsDefault = false) {
    return ownedBox(owner, t.zh, t.en, buttons, icon, cancelIsDefault);
}

// An OK/Cancel question with the question icon and Cancel as the default button.
bool confirmed(const res::TextPair& t) {
    return showBox(nullptr, t, BoxButtons::OkCancel, BoxIcon::Question, true) == BoxAnswer::Ok;
}

bool contains(std::string_view reply, std::string_view marker) {
    return reply.find(marker) != std::string_view::npos;
}

enum class ClockOutcome { NoDatePrompt, NoTimePrompt, Rejected, Set };

// The date and time exchanges, under the wait cursor.
ClockOutcome exchangeClock() {
    platform::WaitCursor wait;
    if (!contains(adapterExchange(kx220::kDateQuery, kx220::kClockReplyLimit), kx220::kDatePrompt))
        return ClockOutcome::NoDatePrompt;
    const QDate d = platform::localNow().date();
    const std::string dateReply =
        adapterExchange(kx220::dateText(d.month(), d.day(), d.year()), kx220::kClockReplyLimit);
    const bool dateAccepted = !contains(dateReply, kx220::kDateRejected);
    if (!contains(adapterExchange(kx220::kTimeQuery, kx220::kClockReplyLimit), kx220::kTimePrompt))
        return ClockOutcome::NoTimePrompt;
    const QTime t = platform::localNow().time();
    const std::string timeReply =
        adapterExchange(kx220::timeText(t.hour(), t.minute(), t.second()), kx220::kClockReplyLimit);
    const bool timeAccepted = !contains(timeReply, kx220::kTimeRejected);
    return dateAccepted && timeAccepted ? ClockOutcome::Set : ClockOutcome::Rejected;
}

} // namespace

CGeneralPage::CGeneralPage(QWidget* parent) : LanguageWindow<QWidget>(parent) {
    res::buildWindow(this, res::kGeneralTemplate);
    // The values come from the adapter: shown as they are, never as markup.
    for (int id : {kPortTypeId, kVersionId, kModelId})
        res::control<QLabel>(this, id)->setTextFormat(Qt::PlainText);
    connect(res::control<QPushButton>(this, kDownloadId), &QPushButton::clicked, this,
            &CGeneralPage::startDownload);
    connect(res::control<QPushButton>(this, kClockId), &QPushButton::clicked, this,
            &CGeneralPage::setDeviceClock);
    connect(res::control<QPushButton>(this, kResetId), &QPushButton::clicked, this,
            &CGeneralPage::restoreFactorySettings);
}

void CGeneralPage::refreshTexts() {
    res::applyTexts(this, res::kGeneralTexts);
}

bool CGeneralPage::initialise(QWidget* sheet) {
    if (!identify() && !offerUpgrade()) return false;
    DataExchange dx(this, false);
    dx.text(kPortTypeId, m_strPortType);
    dx.text(kVersionId, m_strVersion);
    dx.text(kModelId, m_strModel);
    m_pSheet = sheet;
    return true;
}

bool CGeneralPage::identify() {
    InputGuard guard(window());
    BeginExchange();
    const AdapterIdentity id = identifyAdapter();
    m_strVersion = id.version;
    m_strPortType = id.portType;
    m_strModel = id.model;
    return id.current;
}

// The automatic upgrade: declined, the process ends; accepted, the download runs and,
// unless it ended the process, the sheet opens afterwards whatever its outcome.
bool CGeneralPage::offerUpgrade() {
    AutoUpgrade = 1;
    const BoxIcon icon = LanguageMode == 0 ? BoxIcon::Information : BoxIcon::None;
    if (showBox(nullptr, kOutOfDate, BoxButtons::OkCancel, icon) != BoxAnswer::Ok) {
        showBox(nullptr, kUpgradeDeclined);
        platform::endProcess(kExitCode);
        return false;
    }
    {
        CXModemSender sender(this);
        RunDownload(sender);
    }
    DownloadActive = 0;
    AutoUpgrade = 0;
    return !platform::processEnded(); // a successful download ends the process
}

void CGeneralPage::startDownload() {
    if (!confirmed(kConfirmDownload)) return;
    BeginExchange();
    setButtonsEnabled(false);
    setEnabled(false);
    DownloadActive = 1;
    repaintSheet();
    {
        InputGuard guard(window());
        CXModemSender sender(this);
        RunDownload(sender);
    }
    DownloadActive = 0;
    repaint();
    setEnabled(true);
    setButtonsEnabled(true);
    update();
    repaintSheet();
}

void CGeneralPage::setDeviceClock() {
    BeginExchange();
    setButtonsEnabled(false);
    ClockOutcome outcome;
    {
        InputGuard guard(window());
        outcome = exchangeClock();
    }
    switch (outcome) {
    case ClockOutcome::NoDatePrompt:
        showBox(this, kDateNotAccepted);
        break;
    case ClockOutcome::NoTimePrompt:
        showBox(this, kTimeNotAccepted);
        break;
    case ClockOutcome::Set:
        showBox(nullptr, kClockSet, BoxButtons::Ok, BoxIcon::Information);
        break;
    case ClockOutcome::Rejected:
        break; // the adapter said why; the page says nothing
    }
    setButtonsEnabled(true);
}

void CGeneralPage::restoreFactorySettings() {
    if (!confirmed(kConfirmReset)) return;
    BeginExchange();
    repaintSheet();
    std::string reply;
    {
        InputGuard guard(window());
        platform::WaitCursor wait;
        reply = adapterExchange(kx220::kFactoryReset, kResetReplyLimit);
    }
    if (!contains(reply, kx220::kOk)) {
        showBox(nullptr, kResetFailed);
        return;
    }
    showBox(nullptr, kResetDone);
    platform::endProcess(kExitCode);
}

void CGeneralPage::setButtonsEnabled(bool on) {
    for (int id : {kClockId, kDownloadId, kResetId})
        res::control<QPushButton>(this, id)->setEnabled(on);
}

void CGeneralPage::repaintSheet() {
    if (m_pSheet) m_pSheet->update();
}

} // namespace omniset
