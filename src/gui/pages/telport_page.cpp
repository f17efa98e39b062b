// The Telephone port page: fill, handlers, Defaults, command filter and repaint; the byte
// rules are in telport_rules.cpp.
#include "gui/pages/telport_page.h"

#include "core/app/app_state.h"
#include "core/app/messages.h"
#include "core/link/profile_transfer.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHideEvent>
#include <QLineEdit>

#include <array>

namespace omniset {

using namespace telport;

namespace {

// Control identifiers of template 130.
enum : int {
    kClir1Id = 1034, kColr1Id = 1038, kMsn1Id = 1040, kSubaddr1Id = 1041, kUus1Id = 1100,
    kMsn1BoxId = 1092, kSubaddr1BoxId = 1093, kUus1BoxId = 1101,
    kClir2Id = 1136, kColr2Id = 1144, kMsn2Id = 1142, kSubaddr2Id = 1143, kUus2Id = 1103,
    kMsn2BoxId = 1115, kSubaddr2BoxId = 1196, kUus2BoxId = 1202,
    kTel1DefaultId = 1150, kTel2DefaultId = 1085, kAdvancedId = 1104,
};

struct BoxEdit {
    int box;
    int edit;
};
constexpr std::array kBoxes{BoxEdit{kMsn1BoxId, kMsn1Id},   BoxEdit{kSubaddr1BoxId, kSubaddr1Id},
                            BoxEdit{kUus1BoxId, kUus1Id},   BoxEdit{kMsn2BoxId, kMsn2Id},
                            BoxEdit{kSubaddr2BoxId, kSubaddr2Id}, BoxEdit{kUus2BoxId, kUus2Id}};

// The edits in which a TEL1 Default command is not carried out.
constexpr std::array kTextEdits{kSubaddr1Id, kMsn1Id, kUus1Id, kSubaddr2Id, kMsn2Id, kUus2Id};

} // namespace

CTelPortPage::CTelPortPage(QWidget* parent) : LanguageWindow<QWidget>(parent) {
    res::buildWindow(this, res::kTelPortTemplate);
    connectHandlers();
}

void CTelPortPage::connectHandlers() {
    for (const BoxEdit& b : kBoxes)
        connect(res::control<QAbstractButton>(this, b.box), &QAbstractButton::clicked, this,
                [this, b] { onBox(b.box, b.edit); });
    connect(res::control<QLineEdit>(this, kMsn1Id), &QLineEdit::textChanged, this,
            [this] { checkMsn(m_strMsn1); });
    connect(res::control<QLineEdit>(this, kMsn2Id), &QLineEdit::textChanged, this,
            [this] { checkMsn(m_strMsn2); });
    for (int id : {kTel1DefaultId, kTel2DefaultId, kAdvancedId})
        connect(res::control<QAbstractButton>(this, id), &QAbstractButton::clicked, this,
                [this, id] { command(id); });
    res::control<QLineEdit>(this, kMsn1Id)->installEventFilter(this);
}

void CTelPortPage::initialise() {
    m_bPageReady = true;
    FillFromImage();
}

void CTelPortPage::FillFromImage() {
    fillTelPort(ProfileImage(), *this);
    const struct {
        int edit;
        int ticked;
        int limit;
    } edits[] = {{kUus1Id, m_bUus1, kTextChars},         {kUus2Id, m_bUus2, kTextChars},
                 {kMsn1Id, m_bMsn1, kMsnChars},          {kSubaddr1Id, m_bSubaddr1, kTextChars},
                 {kMsn2Id, m_bMsn2, kMsnChars},          {kSubaddr2Id, m_bSubaddr2, kTextChars}};
    for (const auto& e : edits) {
        enable(e.edit, e.ticked == 1);
        res::control<QLineEdit>(this, e.edit)->setMaxLength(e.limit);
    }
    pushValues();
}

void CTelPortPage::exchange(DataExchange& dx) {
    dx.radio(kClir1Id, m_nClir1);
    dx.radio(kColr1Id, m_nColr1);
    dx.byteText(kMsn1Id, m_strMsn1, kMsnChars);
    dx.byteText(kSubaddr1Id, m_strSubaddr1, kTextChars);
    dx.check(kSubaddr2BoxId, m_bSubaddr2);
    dx.check(kSubaddr1BoxId, m_bSubaddr1);
    dx.check(kMsn2BoxId, m_bMsn2);
    dx.check(kMsn1BoxId, m_bMsn1);
    dx.byteText(kMsn2Id, m_strMsn2, kMsnChars);
    dx.byteText(kSubaddr2Id, m_strSubaddr2, kTextChars);
    dx.radio(kClir2Id, m_nClir2);
    dx.radio(kColr2Id, m_nColr2);
    dx.check(kUus1BoxId, m_bUus1);
    dx.check(kUus2BoxId, m_bUus2);
    dx.byteText(kUus1Id, m_strUus1, kTextChars);
    dx.byteText(kUus2Id, m_strUus2, kTextChars);
}

bool CTelPortPage::takeValues() {
    DataExchange dx(this, true);
    exchange(dx);
    return dx.ok();
}

void CTelPortPage::pushValues() {
    DataExchange dx(this, false);
    exchange(dx);
}

void CTelPortPage::packServices(ProfileRecord& image) const { packTelServices(*this, image); }

void CTelPortPage::packTexts(ProfileRecord& image) const { packTelTexts(*this, image); }

void CTelPortPage::enable(int id, bool on) { res::control<QWidget>(this, id)->setEnabled(on); }

void CTelPortPage::onBox(int boxId, int editId) {
    takeValues();
    // A cleared box keeps the text in its (disabled) edit; packing drops it.
    enable(editId, res::control<QAbstractButton>(this, boxId)->isChecked());
}

void CTelPortPage::checkMsn(std::string& msn) {
    takeValues();
    if (msnAcceptable(msn)) return;
    ownedBox(this, "多用户号号码应为数字！", "MSN should be numerical！");
    msn.clear();
    pushValues();
}

bool CTelPortPage::focusInTextEdit() const {
    const QWidget* focus = QApplication::focusWidget();
    for (int id : kTextEdits)
        if (focus && focus == res::control<QWidget>(const_cast<CTelPortPage*>(this), id)) return true;
    return false;
}

void CTelPortPage::command(int id) {
    if (id == kTel1DefaultId && focusInTextEdit()) {
        // Not carried out: the focus moves on to the next control instead.
        QMetaObject::invokeMethod(this, [this] { focusNextChild(); }, Qt::QueuedConnection);
        return;
    }
    if (id == kTel1DefaultId) defaultTel1();
    else if (id == kTel2DefaultId) defaultTel2();
    else if (id == kAdvancedId && TelPortAdvancedDialog) TelPortAdvancedDialog(*this);
}

void CTelPortPage::defaultTel1() {
    applyTel1Default(*this);
    enable(kMsn1Id, m_bMsn1 == 1);
    enable(kUus1Id, m_bUus1 == 1);
    enable(kSubaddr1Id, m_bSubaddr1 == 1);
    pushValues();
}

void CTelPortPage::defaultTel2() {
    applyTel2Default(*this);
    enable(kMsn2Id, m_bMsn2 == 1);
    enable(kUus2Id, m_bUus2 == 1);
    enable(kSubaddr2Id, m_bSubaddr2 == 1);
    pushValues();
}

void CTelPortPage::refreshTexts() {
    res::applyTexts(this, res::kTelPortTexts);
    auto* advanced = res::control<QWidget>(this, kAdvancedId);
    if (advanced->isEnabled() != (DownloadActive == 0)) advanced->setEnabled(DownloadActive == 0);
}

void CTelPortPage::hideEvent(QHideEvent* event) {
    if (m_bPageReady && !event->spontaneous()) takeValues();
    LanguageWindow<QWidget>::hideEvent(event);
}

bool CTelPortPage::eventFilter(QObject* watched, QEvent* event) {
    // Edit 1040 losing the focus takes the values.
    if (takesValuesOnFocusLoss(watched, event)) takeValues();
    return LanguageWindow<QWidget>::eventFilter(watched, event);
}

} // namespace omniset
