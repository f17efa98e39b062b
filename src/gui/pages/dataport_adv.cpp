// The data port advanced dialog: opening, OK, handlers and repaint; the byte rules are in
// dataport_adv_rules.cpp, the quick-dial exchanges in quick_dial.cpp.
#include "gui/pages/dataport_adv.h"

#include "core/app/messages.h"
#include "core/app/settings_store.h"
#include "core/link/profile_transfer.h"
#include "core/link/quick_dial.h"
#include "gui/pages/dataport_page.h"
#include "gui/profiles/status_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/digits_only_filter.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"
#include "gui/toolkit/input_guard.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace omniset {

using namespace dataadv;

namespace {

// Control identifiers of template 159.
enum : int {
    kOkId = 1, kCancelId = 2,
    kKId = 1097, kBaudId = 1015, kDataBitsId = 1018, kParityId = 1020, kStopBitsId = 1021,
    kServiceId = 1022, kClirId = 1034, kColrId = 1038,
    kMsnId = 1040, kSubaddrId = 1041, kUusId = 1096,
    kMsnBoxId = 1094, kSubaddrBoxId = 1109, kUusBoxId = 1092,
    kDsrId = 1110, kDcdId = 1111, kAutobaudId = 1091,
    kNegotiateId = 1009, kNoNegotiationId = 1010, kRingId = 1102,
};

// Quick-dial edits of numbers 1..4 (device slots 0..3).
constexpr int kQuickIds[] = {1199, 1200, 1095, 1098};

// Edits whose values are taken when the focus leaves them.
constexpr int kTakeOnLeaveIds[] = {kMsnId, kKId, 1199, 1200, 1095, 1098};

} // namespace

CDataPortAdvDlg::CDataPortAdvDlg(CDataPortPage& page)
    : LanguageWindow<QDialog>(&page), page_(page) {
    res::buildWindow(this, res::kDataAdvTemplate);
    setModal(true);
    // Their numbers go to the adapter inside a command line: digits only, however they come.
    for (int id : kQuickIds) res::keepDigitsOnly(res::control<QLineEdit>(this, id));
    res::control<QLineEdit>(this, kMsnId)->setMaxLength(kMsnChars);
    res::control<QLineEdit>(this, kSubaddrId)->setMaxLength(kTextChars);
    res::control<QLineEdit>(this, kUusId)->setMaxLength(kTextChars);
    connectHandlers();
}

void CDataPortAdvDlg::connectHandlers() {
    auto onClick = [this](int id, auto handler) {
        connect(res::control<QAbstractButton>(this, id), &QAbstractButton::clicked, this, handler);
    };
    onClick(kOkId, [this] { accept(); });
    onClick(kCancelId, [this] { reject(); });
    onClick(kMsnBoxId, [this] { onTextBox(kMsnBoxId, kMsnId); });
    onClick(kSubaddrBoxId, [this] { onTextBox(kSubaddrBoxId, kSubaddrId); });
    onClick(kUusBoxId, [this] { onTextBox(kUusBoxId, kUusId); });
    onClick(kDcdId, [this] { takeValues(); });
    onClick(kAutobaudId, [this] { takeValues(); });
    connect(res::control<QLineEdit>(this, kMsnId), &QLineEdit::textChanged, this,
            [this] { onMsnChanged(); });
    for (int id : kTakeOnLeaveIds) res::control<QWidget>(this, id)->installEventFilter(this);
}

void CDataPortAdvDlg::exchange(DataExchange& dx) {
    dx.integer(kKId, m_nK, kMinK, kMaxK);
    dx.combo(kBaudId, m_nBaud);
    dx.combo(kDataBitsId, m_nDataBits);
    dx.combo(kParityId, m_nParity);
    dx.combo(kStopBitsId, m_nStopBits);
    dx.combo(kServiceId, m_nService);
    dx.radio(kClirId, m_nClir);
    dx.radio(kColrId, m_nColr);
    dx.byteText(kMsnId, m_strMsn, kMsnChars);
    dx.byteText(kSubaddrId, m_strSubaddr, kTextChars);
    dx.byteText(kUusId, m_strUus, kTextChars);
    dx.check(kMsnBoxId, m_bMsn);
    dx.check(kSubaddrBoxId, m_bSubaddr);
    dx.check(kUusBoxId, m_bUus);
    dx.check(kDsrId, m_bDsr);
    dx.check(kDcdId, m_bDcd);
    dx.check(kAutobaudId, m_bAutobaud);
    for (std::size_t i = 0; i < m_strQuick.size(); ++i)
        dx.byteText(kQuickIds[i], m_strQuick[i], kQuickDialChars);
    dx.radio(kNegotiateId, m_nNegotiate);
    dx.combo(kRingId, m_nRing);
}

bool CDataPortAdvDlg::takeValues() {
    DataExchange dx(this, true);
    exchange(dx);
    return dx.ok();
}

void CDataPortAdvDlg::pushValues() {
    DataExchange dx(this, false);
    exchange(dx);
}

void CDataPortAdvDlg::enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids) res::control<QWidget>(this, id)->setEnabled(on);
}

void CDataPortAdvDlg::initialise() {
    asRead_ = fillDataAdv(ProfileImage(), *this);
    enable({kMsnId}, m_bMsn == 1);
    enable({kSubaddrId}, m_bSubaddr == 1);
    enable({kUusId}, m_bUus == 1);
    readQuickDial();
    pushValues();
    enableGroups();
    pushValues();
}

int CDataPortAdvDlg::run() {
    initialise();
    return exec();
}

// The queries themselves dispatch nothing, but a lost port's reconnect before them does:
// the dialog is not modal yet, so the sheet under it is kept out as well as the dialog.
void CDataPortAdvDlg::readQuickDial() {
    InputGuard sheet(page_.window());
    InputGuard dialog(this);
    showReadingStatus(this);
    m_strQuick = readQuickDialNumbers();
    closeReadingStatus();
}

void CDataPortAdvDlg::enableGroups() {
    page_.takeValues();
    const int mode = page_.m_nSerialMode;
    enable({kAutobaudId, kBaudId, kDataBitsId, kParityId, kStopBitsId}, asyncLineEnabled(mode));
    enable({kServiceId, kNegotiateId, kNoNegotiationId, kKId},
           v120Enabled(mode, page_.m_nSynProto, page_.m_nASynProto));
}

void CDataPortAdvDlg::accept() {
    if (!takeValues()) return;
    {
        // No Cancel and no second OK while a lost port's reconnect waits.
        InputGuard guard(this);
        storeQuickDialNumbers(m_strQuick);
    }
    packDataAdv(*this, ProfileImage(), asRead_);
    putAsyncSettings();
    QDialog::accept();
}

// The line settings detection uses on the next run; a list without a selection (its byte
// held no known code) leaves its setting as it was.
void CDataPortAdvDlg::putAsyncSettings() const {
    const std::pair<const char*, int> values[] = {{settings::BaudRate, m_nBaud},
                                                  {settings::DataBits, m_nDataBits},
                                                  {settings::Parity, m_nParity},
                                                  {settings::StopBits, m_nStopBits}};
    for (auto [key, index] : values)
        if (index >= 0) PutSettingInt(settings::AsyncSection, key, index);
}

void CDataPortAdvDlg::onTextBox(int boxId, int editId) {
    takeValues();
    enable({editId}, res::control<QAbstractButton>(this, boxId)->isChecked());
}

void CDataPortAdvDlg::onMsnChanged() {
    if (checkingMsn_) return;
    checkingMsn_ = true;
    takeValues();
    if (!allDigits(m_strMsn)) {
        ownedBox(this, "多用户号号码应为数字！", "MSN should be numerical！");
        m_strMsn.clear();
        pushValues();
    }
    checkingMsn_ = false;
}

void CDataPortAdvDlg::refreshTexts() {
    res::applyTexts(this, res::kDataAdvTexts);
    res::applyItemTexts(this, res::kDataAdvItems); // selections kept; 1015 is never touched
}

bool CDataPortAdvDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the edit takes the values; see takesValuesOnFocusLoss for when it does not.
    if (takesValuesOnFocusLoss(watched, event)) takeValues();
    return LanguageWindow<QDialog>::eventFilter(watched, event);
}

void runDataPortAdvancedDialog(CDataPortPage& page) {
    CDataPortAdvDlg dlg(page);
    dlg.run();
}

} // namespace omniset
