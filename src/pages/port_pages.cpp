// The two port pages as the sheet sees them. Their fills, handlers and byte rules are
// not built yet: they show their controls and carry the record through unchanged.
#include "port_pages.h"

#include "res/dialog_builder.h"
#include "res/templates.h"
#include "res/window_texts.h"

namespace omniset {

CTelPortPage::CTelPortPage(QWidget* parent) : LanguageWindow<QWidget>(parent) {
    res::buildWindow(this, res::kTelPortTemplate);
}

void CTelPortPage::initialise() { m_bPageReady = true; }
void CTelPortPage::FillFromImage() {}
bool CTelPortPage::takeValues() { return true; }
void CTelPortPage::packServices(ProfileRecord&) {}
void CTelPortPage::packTexts(ProfileRecord&) {}
void CTelPortPage::refreshTexts() { res::applyTexts(this, res::kTelPortTexts); }

CDataPortPage::CDataPortPage(QWidget* parent) : LanguageWindow<QWidget>(parent) {
    res::buildWindow(this, res::kDataPortTemplate);
}

void CDataPortPage::initialise() { initialised_ = true; }
void CDataPortPage::refreshFromImage() {}
bool CDataPortPage::takeValues() { return true; }
void CDataPortPage::packInto(ProfileRecord&) {}
void CDataPortPage::refreshTexts() {
    res::applyTexts(this, res::kDataPortTexts);
    res::applyItemTexts(this, res::kDataPortItems);
}

} // namespace omniset
