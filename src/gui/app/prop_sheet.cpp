#include "gui/app/prop_sheet.h"

#include "core/app/app_state.h"
#include "core/app/messages.h"
#include "core/app/settings_store.h"
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/cursor.h"
#include "core/platform/process.h"
#include "gui/pages/general_page.h"
#include "gui/pages/port_pages.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/app_strings.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/program_icon.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/input_guard.h"

#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

namespace omniset {

namespace {

constexpr int kOkId = 1;
constexpr int kExitId = 2;
constexpr int kApplyId = 12321;

// The sheet's own geometry in dialog units (the pages bring theirs).
constexpr int kMarginDlu = 7;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kButtonSpacingDlu = 4;

void firstReadFailedBox() {
    appBox("Omniset搜索不到Brantis KX220! 请检查以下几项：\n\n"
           "- 1. KX220是否上电，并且和计算机COM口正确连接\n"
           "- 2. 与KX220相连的计算机COM口是否被其它应用程序\n"
           "      (如：超级终端等)占用\n"
           "- 3. KX220是否正在进行数据呼叫(或通信)\n"
           "- 4. 如果TXD灯常亮，KX220的串口工作在同步方式下，\n"
           "     请将DIP1置为ON，重新上电，再试一次。",
           "Omniset Can't find Brantis KX220! Please check and\n"
           " ensure the following items:\n\n"
           "- 1: The power of KX220 has been turned on and KX220\n"
           "     has been correctly connected to the COM port of \n"
           "     your computer correctly.\n"
           "- 2: The COM port of computer has not been used by other\n"
           "     applications(such as Hyperterminal,etc).\n"
           "- 3: There is no data call or communication in KX220. \n"
           "- 4: If the DTE port of KX220 woks in synchronous mode, \n"
           "     please shut off the power,set DIP1 to ON, and then retry.");
}

QPushButton* makeButton(QWidget* parent, int id) {
    auto* b = new QPushButton(parent);
    res::setControlId(b, id);
    b->setAutoDefault(true); // Return presses a push button that has the focus
    return b;
}

} // namespace

CPropSheet::CPropSheet(const QString& caption, QWidget* parent)
    : LanguageWindow<QDialog>(parent) {
    // 1. The sheet with its caption and its pages.
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    tabs_ = new QTabWidget(this);
    general_ = new CGeneralPage;
    telPort_ = new CTelPortPage;
    dataPort_ = new CDataPortPage;
    // 2. The program's icon.
    setWindowIcon(res::programIcon());
    // 3. The record length of this run.
    DetermineProfileLength();
    // 4. The pages in tab order, General information first.
    for (QWidget* page : {static_cast<QWidget*>(general_), static_cast<QWidget*>(telPort_),
                          static_cast<QWidget*>(dataPort_)})
        tabs_->addTab(page, QString());
    tabs_->setCurrentIndex(0);
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int index) { activate(tabs_->widget(index)); });

    ok_ = makeButton(this, kOkId);
    exit_ = makeButton(this, kExitId);
    apply_ = makeButton(this, kApplyId);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CPropSheet::accept);
    connect(exit_, &QPushButton::clicked, this, &CPropSheet::reject);
    layOut();
    setSynchronousModeQuery([this] { return dataPort_->synchronousMode(); });
}

CPropSheet::~CPropSheet() {
    setSynchronousModeQuery({});
    closeReadingStatus();
    closeSavingStatus();
}

QPushButton* CPropSheet::button(int id) const { return res::control<QPushButton>(
    const_cast<CPropSheet*>(this), id); }

int CPropSheet::run() {
    if (!initialise()) return QDialog::Rejected;
    return exec();
}

bool CPropSheet::initialise() {
    // Creating the window marks the settings file.
    PutSettingInt(settings::PotsSection, settings::Init, 1);
    // 1. Icons are the window's; Exit is enabled; the telephone port page is not filled yet.
    exit_->setEnabled(true);
    telPort_->m_bPageReady = false;
    // 2.-5. Read the current configuration under the reading status window.
    showReadingStatus(this);
    UnlockProfiles();
    bool read = ReadProfile(profileReadCommand(kCurrentProfile));
    if (!read) {
        firstReadFailedBox(); // the status window stays up behind it
        closeReadingStatus();
        SerialClose();
        platform::endProcess(1);
        return false;
    }
    ProfileNumber = kCurrentProfile;
    closeReadingStatus();
    // 6. The first page initialises: identification and the out-of-date check.
    if (!general_->initialise(this) || platform::processEnded()) return false;
    // 7.-8. No Apply button; the three extra buttons beside OK and Exit.
    apply_->hide();
    apply_->setEnabled(false);
    placeExtraButtons();
    return true;
}

void CPropSheet::layOut() {
    const auto units = res::dialogBaseUnits(res::dialogFont(res::kGeneralTemplate));
    auto px = [&](int dluX, int dluY, int w, int h) {
        return res::dluToPixels({dluX, dluY, w, h}, units);
    };
    const QRect margin = px(kMarginDlu, kMarginDlu, 0, 0);
    tabs_->setFont(res::dialogFont(res::kGeneralTemplate));
    tabs_->move(margin.x(), margin.y());
    // Room for the largest page, the tab bar and the pane's frame.
    QSize page;
    for (int i = 0; i < tabs_->count(); ++i) page = page.expandedTo(tabs_->widget(i)->size());
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs_) + 2;
    tabs_->resize(page.width() + frame, page.height() + frame + tabs_->tabBar()->sizeHint().height());
    const QRect b = px(0, 0, kButtonWidthDlu, kButtonHeightDlu);
    const int gap = b.width() + px(kButtonSpacingDlu, 0, 0, 0).x();
    const int width = tabs_->width() + 2 * margin.x();
    const int top = tabs_->geometry().bottom() + 1 + margin.y();
    const int applyLeft = width - margin.x() - b.width();
    apply_->setGeometry(applyLeft, top, b.width(), b.height());
    exit_->setGeometry(applyLeft - gap, top, b.width(), b.height());
    ok_->setGeometry(applyLeft - 2 * gap, top, b.width(), b.height());
    for (auto* btn : {ok_, exit_, apply_}) btn->setFont(tabs_->font());
    setFixedSize(width, top + b.height() + margin.y());
}

void CPropSheet::placeExtraButtons() {
    const QRect okRect = ok_->geometry();
    const int gap = exit_->geometry().left() - okRect.left();
    auto place = [&](int id, int left) {
        auto* b = makeButton(this, id);
        b->setGeometry(left, okRect.top(), okRect.width(), okRect.height());
        b->setFont(ok_->font());
        b->show();
        return b;
    };
    auto* language = place(res::kLanguageButtonId, okRect.left() - 2 * gap);
    auto* load = place(res::kLoadButtonId, okRect.left() - gap);
    auto* save = place(res::kSaveButtonId, exit_->geometry().left() + gap);
    res::applyTexts(this, res::kSheetButtonInitial);
    connect(language, &QPushButton::clicked, this, &CPropSheet::onLanguage);
    connect(load, &QPushButton::clicked, this, &CPropSheet::onLoad);
    connect(save, &QPushButton::clicked, this, &CPropSheet::onSave);
    // Tab order: the pages, then the buttons from left to right.
    setTabOrder(tabs_, language);
    setTabOrder(language, load);
    setTabOrder(load, ok_);
    setTabOrder(ok_, exit_);
    setTabOrder(exit_, save);
}

void CPropSheet::showEvent(QShowEvent* e) {
    LanguageWindow<QDialog>::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The focus starts on the tab bar, so Return presses OK.
    tabs_->tabBar()->setFocus();
}

void CPropSheet::refreshTexts() {
    for (int i = 0; i < tabs_->count() && i < static_cast<int>(res::kSheetTabs.size()); ++i) {
        auto text = res::textFor(res::kSheetTabs[static_cast<std::size_t>(i)]);
        if (tabs_->tabText(i) != text) tabs_->setTabText(i, text);
    }
    res::applyTexts(this, res::kSheetTexts);
    SetSheetCaption(ProfileNumber);
    const bool enable = DownloadActive == 0;
    for (int id : {res::kLoadButtonId, res::kSaveButtonId, kOkId, res::kLanguageButtonId, kExitId})
        if (auto* b = button(id); b && b->isEnabled() != enable) b->setEnabled(enable);
}

void CPropSheet::SetSheetCaption(int profile) {
    QString caption = QString::fromLatin1(res::kDeviceTitle) + QLatin1Char('(') +
                      profileName(profile) + QLatin1Char(')');
    if (windowTitle() != caption) setWindowTitle(caption);
}

void CPropSheet::activate(QWidget* page) {
    if (tabs_->currentWidget() != page) tabs_->setCurrentWidget(page); // comes back here
    if (page == telPort_ && !telPort_->m_bPageReady) telPort_->initialise();
    if (page == dataPort_ && !dataPort_->initialised()) dataPort_->initialise();
}

// The commands show the wait cursor only while they talk to the adapter (the exchanges
// set it) and while they pack: never over a dialog or a box that waits for the user.
bool CPropSheet::PackPages() {
    platform::WaitCursor wait; // until EncodeProfile shows the arrow
    auto& image = ProfileImage();
    // The data port page first (activated so that its controls exist). A page whose
    // values fail their checks stops the packing: nothing is written.
    activate(dataPort_);
    if (!dataPort_->takeValues()) return false;
    dataPort_->packInto(image);
    // The telephone ports' services from the values the page last took.
    if (telPort_->m_bPageReady) telPort_->packServices(image);
    activate(telPort_);
    if (!telPort_->takeValues()) return false;
    telPort_->packTexts(image);
    EncodeProfile();
    return true;
}

void CPropSheet::onLoad() {
    const int old = ProfileNumber;
    LoadConfirmed = 0;
    CLoadProfileDlg(this, LoadConfirmed).exec();
    if (!LoadConfirmed) {
        ProfileNumber = old;
        return afterCommand();
    }
    bool read = false;
    {
        InputGuard guard(this);
        showReadingStatus(this);
        read = ReadProfile(profileReadCommand(ProfileNumber));
        closeReadingStatus();
    }
    if (!read) {
        ProfileNumber = old; // the record and the caption stay as they were
        return afterCommand();
    }
    activate(dataPort_);
    dataPort_->refreshFromImage();
    SetSheetCaption(ProfileNumber);
    if (telPort_->m_bPageReady) telPort_->FillFromImage();
    afterCommand();
}

void CPropSheet::onSave() {
    const int old = ProfileNumber;
    SaveConfirmed = 0;
    CSaveProfileDlg(this, SaveConfirmed).exec();
    // Packed also when the user cancelled: a later OK writes the same values.
    const bool packed = PackPages();
    if (!SaveConfirmed || !packed) {
        ProfileNumber = old;
        return afterCommand();
    }
    bool written = false;
    {
        InputGuard guard(this);
        showSavingStatus(this);
        written = WriteProfile(profileWriteCommand(ProfileNumber), this);
        closeSavingStatus();
    }
    if (!written) ProfileNumber = old;
    else SetSheetCaption(ProfileNumber);
    afterCommand();
}

void CPropSheet::onLanguage() {
    toggleLanguage();
    afterCommand();
}

void CPropSheet::afterCommand() {
    // The sheet's own texts and enabled states follow at once (a repaint request may be
    // served only some milliseconds later); then the whole sheet repaints.
    refreshTexts();
    update();
    tabs_->currentWidget()->update();
}

void CPropSheet::accept() {
    CurrentConfirmed = 0;
    CCurrentProfileDlg(this, CurrentConfirmed).exec();
    if (!CurrentConfirmed) return;
    bool written = false;
    {
        InputGuard guard(this);
        showSavingStatus(this);
        if (PackPages()) written = WriteProfile(profileWriteCommand(kCurrentProfile), this);
        closeSavingStatus();
    }
    if (!written) return; // the write showed its box; the sheet stays open
    SerialClose();
    QDialog::accept();
}

void CPropSheet::reject() {
    SerialClose();
    QDialog::reject();
}

} // namespace omniset
