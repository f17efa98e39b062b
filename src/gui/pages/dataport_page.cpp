// The Data port page: fill, handlers, Default and repaint; the byte rules are in
// dataport_rules.cpp.
#include "gui/pages/dataport_page.h"

#include "core/app/app_state.h"
#include "core/app/messages.h"
#include "core/app/settings_store.h"
#include "core/link/profile_transfer.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <climits>

namespace omniset {

using namespace dataport;

namespace {

// Control identifiers of template 151.
enum : int {
    kDialAutoId = 1064, kDialManualId = 1065, kNumberId = 1063,
    kAnswerAutoId = 1071, kCheckDtrId = 1073, kCallControlId = 1007,
    kUpperBoxId = 1091, kUpperId = 1106, kLowerId = 1096, kReleaseBoxId = 1108,
    kReleaseId = 1107, kFareUnitId = 1095,
    kSyncId = 1005, kAsyncId = 1006,
    kSynProtoId = 1012, kSynBaudId = 1014, kSynFlowId = 1016, kASynProtoId = 1013, kASynFlowId = 1017,
    kAdvancedId = 1090, kDefaultId = 1084,
};

const char kNumberNotDigits[] = "自动拨号号码部分应为数字！";

const char kFareUnitNoticeZh[] =
    "注意：\n\n请根据本地电信局关于\"一线通\"的收费时间单位，准确设定该时间项,这样您在用2B上网，"
    "因数据流量不够大而拆掉1B前，有一个最佳的时间段可获得128K的带宽，同时节省电话费用。例如："
    "北京和深圳的\"一线通\"都是按每3分钟收取通话费，不足3分钟仍按3分钟计，即180秒,该项设置为180"
    "(单位:秒)较合适。";
const char kFareUnitNoticeEn[] =
    "Notice:\n\nPlease set this time item according to the fare unit made by local telecom "
    "office. If so, You can get enought bandwidth and save monney. For example: In Beijing ,ISDN "
    "fare unit are 3 minutes. That is, 180 seconds. If you explore internet in 1 minutes, you "
    "will pay for the fare as 3 minutes. So it will be better for you to set the item to 180 (s).";

void putSyncSetting(const char* key, int value) { PutSettingInt(settings::SyncSection, key, value); }

} // namespace

CDataPortPage::CDataPortPage(QWidget* parent) : LanguageWindow<QWidget>(parent) {
    res::buildWindow(this, res::kDataPortTemplate);
    connectHandlers();
}

void CDataPortPage::connectHandlers() {
    auto onClick = [this](int id, void (CDataPortPage::*handler)()) {
        connect(res::control<QAbstractButton>(this, id), &QAbstractButton::clicked, this,
                [this, handler] { (this->*handler)(); });
    };
    auto onPick = [this](int id, void (CDataPortPage::*handler)()) {
        connect(res::control<QComboBox>(this, id), &QComboBox::activated, this,
                [this, handler] { (this->*handler)(); });
    };
    auto onText = [this](int id, void (CDataPortPage::*handler)()) {
        connect(res::control<QLineEdit>(this, id), &QLineEdit::textChanged, this,
                [this, handler] { (this->*handler)(); });
    };
    onClick(kSyncId, &CDataPortPage::onSync);
    onClick(kAsyncId, &CDataPortPage::onAsync);
    onPick(kSynProtoId, &CDataPortPage::onSynProto);
    onPick(kASynProtoId, &CDataPortPage::onASynProto);
    onPick(kSynBaudId, &CDataPortPage::onSynBaud);
    onClick(kDialAutoId, &CDataPortPage::onAutoDial);
    onClick(kDialManualId, &CDataPortPage::onManualDial);
    onText(kNumberId, &CDataPortPage::onNumberChanged);
    onClick(kCheckDtrId, &CDataPortPage::onCheckDtr);
    onClick(kUpperBoxId, &CDataPortPage::onUpperBox);
    onClick(kReleaseBoxId, &CDataPortPage::onReleaseBox);
    onText(kFareUnitId, &CDataPortPage::onFareUnitChanged);
    onClick(kAdvancedId, &CDataPortPage::onAdvanced);
    onClick(kDefaultId, &CDataPortPage::onDefault);
    res::control<QLineEdit>(this, kUpperId)->installEventFilter(this);
}

void CDataPortPage::initialise() {
    initialised_ = true;
    refreshFromImage();
}

void CDataPortPage::refreshFromImage() {
    asRead_ = fillDataPort(ProfileImage(), *this);
    const DataPortFill& fill = asRead_;
    enable({kUpperId}, m_bUpperOn);
    enable({kReleaseId, kLowerId}, m_bReleaseOn);
    setCheckDtr(fill.checkDtr);
    if (fill.serialModeKnown) enableSerialGroups(m_nSerialMode == kSync);
    m_nSynProto = synV120Indicator(m_nSynProtoItem);
    m_nASynProto = asynV120Indicator(m_nASynProtoItem);
    enable({kNumberId}, m_nDialMode == kDialAuto);
    res::control<QLineEdit>(this, kNumberId)->setMaxLength(kNumberInput);
    pushValues();
}

void CDataPortPage::exchange(DataExchange& dx) {
    dx.radio(kDialAutoId, m_nDialMode);
    dx.byteText(kNumberId, m_strNumber, kNumberChars);
    dx.radio(kAnswerAutoId, m_nAnswerMode);
    dx.radio(kCallControlId, m_nCallControl);
    dx.check(kUpperBoxId, m_bUpperOn);
    dx.integer(kUpperId, m_nUpper, INT_MIN, INT_MAX);
    dx.integer(kLowerId, m_nLower, INT_MIN, INT_MAX);
    dx.check(kReleaseBoxId, m_bReleaseOn);
    dx.integer(kReleaseId, m_nReleaseTime, INT_MIN, INT_MAX);
    dx.integer(kFareUnitId, m_nFareUnit, 0, kMaxSeconds);
    dx.radio(kSyncId, m_nSerialMode);
    dx.combo(kSynProtoId, m_nSynProtoItem);
    dx.combo(kSynBaudId, m_nSynBaud);
    dx.combo(kSynFlowId, m_nSynFlow);
    dx.combo(kASynProtoId, m_nASynProtoItem);
    dx.combo(kASynFlowId, m_nASynFlow);
}

bool CDataPortPage::takeValues() {
    DataExchange dx(this, true);
    exchange(dx);
    return dx.ok();
}

void CDataPortPage::pushValues() {
    DataExchange dx(this, false);
    exchange(dx);
}

void CDataPortPage::packInto(ProfileRecord& image) const {
    packDataPort(*this, checkDtr(), image, asRead_);
}

bool CDataPortPage::checkDtr() const {
    return res::control<QAbstractButton>(const_cast<CDataPortPage*>(this), kCheckDtrId)->isChecked();
}

void CDataPortPage::setCheckDtr(bool on) {
    auto* box = res::control<QAbstractButton>(this, kCheckDtrId);
    QSignalBlocker block(box);
    box->setChecked(on);
}

void CDataPortPage::enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids)
        if (auto* w = res::control<QWidget>(this, id)) w->setEnabled(on);
}

void CDataPortPage::enableSerialGroups(bool sync) {
    enable({kSynProtoId, kSynBaudId, kSynFlowId}, sync);
    enable({kASynProtoId, kASynFlowId}, !sync);
}

void CDataPortPage::refreshTexts() {
    res::applyTexts(this, res::kDataPortTexts);
    res::applyItemTexts(this, res::kDataPortItems); // selections kept; 1014 is never touched
    auto* advanced = res::control<QWidget>(this, kAdvancedId);
    if (advanced->isEnabled() != (DownloadActive == 0)) advanced->setEnabled(DownloadActive == 0);
}

bool CDataPortPage::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the edit takes the values; see takesValuesOnFocusLoss for when it does not.
    if (takesValuesOnFocusLoss(watched, event)) takeValues();
    return LanguageWindow<QWidget>::eventFilter(watched, event);
}

void CDataPortPage::onSync() {
    m_bSyn = 1;
    putSyncSetting(settings::Syn, 1);
    enable({kSynProtoId}, true);
    takeValues();
    m_nSynProto = synV120Indicator(m_nSynProtoItem);
    putSyncSetting(settings::SynProto, m_nSynProto);
    enable({kSynBaudId, kSynFlowId}, true);
    enable({kASynProtoId, kASynFlowId}, false);
}

void CDataPortPage::onAsync() {
    m_bSyn = 0;
    putSyncSetting(settings::Syn, 0);
    enable({kASynProtoId}, true);
    takeValues();
    m_nASynProto = asynV120Indicator(m_nASynProtoItem);
    putSyncSetting(settings::ASynProto, m_nASynProto);
    enable({kASynFlowId}, true);
    enable({kSynProtoId, kSynBaudId, kSynFlowId}, false);
}

void CDataPortPage::onSynProto() {
    takeValues();
    if (m_nSynProtoItem == kAllTransparent) {
        m_nSynBaud = kBaud64kItem;
        pushValues();
    }
    m_nSynProto = synV120Indicator(m_nSynProtoItem);
    putSyncSetting(settings::SynProto, m_nSynProto);
}

void CDataPortPage::onASynProto() {
    takeValues();
    m_nASynProto = asynV120Indicator(m_nASynProtoItem);
    putSyncSetting(settings::ASynProto, m_nASynProto);
}

void CDataPortPage::onSynBaud() {
    takeValues();
    if (m_nSynProtoItem != kAllTransparent) return;
    m_nSynBaud = kBaud64kItem; // all transparent runs at 64K only
    pushValues();
}

void CDataPortPage::onAutoDial() {
    m_nDialMode = kDialAuto;
    setCheckDtr(true);
    enable({kNumberId}, true);
}

void CDataPortPage::onManualDial() {
    m_strNumber.clear(); // the edit keeps its text
    m_nDialMode = kDialManual;
    enable({kNumberId}, false);
}

void CDataPortPage::onNumberChanged() {
    if (checkingNumber_) return;
    checkingNumber_ = true;
    takeValues();
    if (!dialNumberAcceptable(m_strNumber)) {
        ownedBox(this, kNumberNotDigits, kNumberNotDigits);
        m_strNumber.clear();
        pushValues();
    }
    checkingNumber_ = false;
}

void CDataPortPage::onCheckDtr() {
    takeValues();
    if (m_nDialMode == kDialAuto) setCheckDtr(true); // automatic dialling checks DTR
}

void CDataPortPage::onUpperBox() {
    takeValues();
    enable({kUpperId}, res::control<QAbstractButton>(this, kUpperBoxId)->isChecked());
}

void CDataPortPage::onReleaseBox() {
    takeValues();
    enable({kReleaseId, kLowerId}, res::control<QAbstractButton>(this, kReleaseBoxId)->isChecked());
}

void CDataPortPage::onFareUnitChanged() {
    takeValues();
    appBox(kFareUnitNoticeZh, kFareUnitNoticeEn);
}

void CDataPortPage::onAdvanced() {
    takeValues();
    if (DataPortAdvancedDialog) DataPortAdvancedDialog(*this);
}

void CDataPortPage::onDefault() {
    applyDataPortDefault(*this);
    asRead_ = {}; // the factory values are the user's choice: every field is written
    m_nSynProto = synV120Indicator(m_nSynProtoItem);
    m_nASynProto = asynV120Indicator(m_nASynProtoItem);
    pushValues();
    enable({kNumberId}, m_nDialMode == kDialAuto);
    enableSerialGroups(m_nSerialMode == kSync);
    enable({kUpperId}, m_bUpperOn);
    enable({kReleaseId, kLowerId}, m_bReleaseOn);
}

} // namespace omniset
