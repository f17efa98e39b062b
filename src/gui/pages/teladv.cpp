// The telephone port advanced dialog: initialisation, OK, handlers and repaint; the byte
// rules are in teladv_rules.cpp.
#include "gui/pages/teladv.h"

#include "core/app/messages.h"
#include "core/link/profile_transfer.h"
#include "gui/pages/telport_page.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace omniset {

using namespace teladv;

namespace {

// Control identifiers of template 160.
enum : int {
    kOkId = 1, kCancelId = 2,
    kALawId = 1025, kMuLawId = 1026, kBearer1Id = 1024, kBearer1AudioId = 1023,
    kBearer2Id = 1127, kBearer2AudioId = 1128, kKeypadId = 1099,
    kNationalId = 1095, kInternationalId = 1096,
};

const char kPrefixNotDigitsZh[] = "长途电话的字冠应为数字,请检查您所输入的字符！";
const char kPrefixNotDigitsEn[] =
    "The Long distance call prefix should be digital！\nPlease check the chracters just input！";

} // namespace

CTelAdvDlg::CTelAdvDlg(CTelPortPage& page) : LanguageWindow<QDialog>(&page) {
    res::buildWindow(this, res::kTelAdvTemplate);
    setModal(true);
    connectHandlers();
}

void CTelAdvDlg::connectHandlers() {
    auto onClick = [this](int id, auto handler) {
        connect(res::control<QAbstractButton>(this, id), &QAbstractButton::clicked, this, handler);
    };
    onClick(kOkId, [this] { accept(); });
    onClick(kCancelId, [this] { reject(); });
    onClick(kALawId, [this] { onCodingLaw(kALaw); });
    onClick(kMuLawId, [this] { onCodingLaw(kMuLaw); });
    connect(res::control<QLineEdit>(this, kNationalId), &QLineEdit::textChanged, this,
            [this] { checkPrefix(m_strNational); });
    connect(res::control<QLineEdit>(this, kInternationalId), &QLineEdit::textChanged, this,
            [this] { checkPrefix(m_strInternational); });
    res::control<QWidget>(this, kNationalId)->installEventFilter(this);
}

void CTelAdvDlg::exchange(DataExchange& dx) {
    dx.radio(kALawId, m_nCodingLaw);
    dx.radio(kBearer1Id, m_nBearer1);
    dx.radio(kBearer2Id, m_nBearer2);
    dx.combo(kKeypadId, m_nKeypad);
    dx.byteText(kNationalId, m_strNational, reach_.nationalChars);
    dx.byteText(kInternationalId, m_strInternational, kPrefixChars);
}

bool CTelAdvDlg::takeValues() {
    DataExchange dx(this, true);
    exchange(dx);
    return dx.ok();
}

void CTelAdvDlg::pushValues() {
    DataExchange dx(this, false);
    exchange(dx);
}

void CTelAdvDlg::initialise() {
    reach_ = telAdvReach(ProfileImage().length());
    fillTelAdv(ProfileImage(), *this);
    enableReach();
    pushValues();
}

int CTelAdvDlg::run() {
    initialise();
    return exec();
}

// A 314-byte record ends inside the national prefix: what lies past it cannot be edited.
void CTelAdvDlg::enableReach() {
    res::control<QLineEdit>(this, kNationalId)->setMaxLength(reach_.nationalChars);
    res::control<QLineEdit>(this, kInternationalId)->setMaxLength(kPrefixChars);
    const std::pair<int, bool> controls[] = {
        {kInternationalId, reach_.international}, {kBearer1Id, reach_.bearer1},
        {kBearer1AudioId, reach_.bearer1},         {kBearer2Id, reach_.bearer2},
        {kBearer2AudioId, reach_.bearer2},         {kALawId, reach_.codingLaw},
        {kMuLawId, reach_.codingLaw}};
    for (auto [id, on] : controls) res::control<QWidget>(this, id)->setEnabled(on);
}

void CTelAdvDlg::accept() {
    if (!takeValues()) return;
    packTelAdv(*this, ProfileImage());
    QDialog::accept();
}

void CTelAdvDlg::onCodingLaw(int law) {
    takeValues();
    m_nCodingLaw = law;
    pushValues();
}

void CTelAdvDlg::checkPrefix(std::string& prefix) {
    takeValues();
    if (prefixAcceptable(prefix)) return;
    appBox(kPrefixNotDigitsZh, kPrefixNotDigitsEn);
    prefix.clear();
    pushValues();
}

void CTelAdvDlg::refreshTexts() {
    res::applyTexts(this, res::kTelAdvTexts);
    res::applyItemTexts(this, res::kTelAdvItems); // the selection is kept
}

bool CTelAdvDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the edit takes the values; see takesValuesOnFocusLoss for when it does not.
    if (takesValuesOnFocusLoss(watched, event)) takeValues();
    return LanguageWindow<QDialog>::eventFilter(watched, event);
}

void runTelPortAdvancedDialog(CTelPortPage& page) {
    CTelAdvDlg dlg(page);
    dlg.run();
}

} // namespace omniset
