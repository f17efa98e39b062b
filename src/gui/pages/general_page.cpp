#include "gui/pages/general_page.h"

#include "core/app/app_state.h"
#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/link/exchange_entry.h"
#include "core/link/general_exchanges.h"
#include "core/link/identification.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"
#include "core/platform/cursor.h"
#include "core/platform/process.h"
#include "gui/download/download.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"
#include "gui/toolkit/input_guard.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace omniset {

using namespace general;

namespace {

// Controls of template 152.
constexpr int kPortTypeId = 1208;
constexpr int kVersionId = 1210;
constexpr int kModelId = 1218;
constexpr int kDownloadId = 1205;
constexpr int kClockId = 1206;
constexpr int kResetId = 1222;

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

BoxAnswer showBox(QWidget* owner, const res::TextPair& t, BoxButtons buttons = BoxButtons::Ok,
                  BoxIcon icon = BoxIcon::None, bool cancelIsDefault = false) {
    return ownedBox(owner, t.zh, t.en, buttons, icon, cancelIsDefault);
}

// An OK/Cancel question with the question icon and Cancel as the default button.
bool confirmed(const res::TextPair& t) {
    return showBox(nullptr, t, BoxButtons::OkCancel, BoxIcon::Question, true) == BoxAnswer::Ok;
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

// Each command reconnects a lost port (whose waits dispatch events) under the same guard
// as its own exchange: what can be pressed meanwhile is what its exchange allows.
void CGeneralPage::startDownload() {
    if (!confirmed(kConfirmDownload)) return;
    setButtonsEnabled(false);
    setEnabled(false);
    DownloadActive = 1;
    repaintSheet();
    {
        InputGuard guard(window());
        BeginExchange();
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
    setButtonsEnabled(false);
    ClockOutcome outcome;
    {
        InputGuard guard(window());
        platform::WaitCursor wait;
        BeginExchange();
        outcome = setAdapterClock().outcome;
    }
    // A prompt missing because the port went away: the loss was told, the one message.
    const bool lost = SerialLost();
    switch (outcome) {
    case ClockOutcome::NoDatePrompt:
        if (!lost) showBox(this, kDateNotAccepted);
        break;
    case ClockOutcome::NoTimePrompt:
        if (!lost) showBox(this, kTimeNotAccepted);
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
    repaintSheet();
    bool restored;
    {
        InputGuard guard(window());
        platform::WaitCursor wait;
        BeginExchange();
        restored = restoreFactory();
    }
    if (!restored) {
        if (!SerialLost()) showBox(nullptr, kResetFailed); // a lost port said so already
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
