#include "gui/profiles/profile_dialogs.h"

#include "core/link/profile_transfer.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"

#include <QComboBox>
#include <QPushButton>

namespace omniset {

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kLoadListId = 1079;
constexpr int kSaveListId = 1081;
// The load list: entry 0 is the current configuration, entries 1 and 2 Profiles 0 and 1.
constexpr int kCurrentEntry = 0;
constexpr int kFirstStoredEntry = 1;

QComboBox* fillList(QWidget* dlg, int id, res::ItemTable items) {
    res::applyItemTexts(dlg, items);
    return res::control<QComboBox>(dlg, id);
}

} // namespace

int loadIndexOf(int profile) {
    return profile == kCurrentProfile ? kCurrentEntry : profile + kFirstStoredEntry;
}

int profileOfLoadIndex(int index) {
    return index == kCurrentEntry ? kCurrentProfile : index - kFirstStoredEntry;
}

ConfirmDialog::ConfirmDialog(QWidget* parent, int& confirmed)
    : LanguageWindow<QDialog>(parent), m_confirmed(confirmed) {}

void ConfirmDialog::accept() {
    m_confirmed = 1;
    QDialog::accept();
}

// Cancel, Escape and the close box all end here.
void ConfirmDialog::reject() {
    m_confirmed = 0;
    QDialog::reject();
}

// Builds the template and wires OK and Cancel; the template makes OK the default button.
static void buildConfirmDialog(QDialog* dlg, const res::DialogTemplate& tpl) {
    res::buildWindow(dlg, tpl);
    dlg->setModal(true);
    QObject::connect(res::control<QPushButton>(dlg, kOkId), &QPushButton::clicked, dlg,
                     &QDialog::accept);
    QObject::connect(res::control<QPushButton>(dlg, kCancelId), &QPushButton::clicked, dlg,
                     &QDialog::reject);
}

CLoadProfileDlg::CLoadProfileDlg(QWidget* parent, int& confirmed)
    : ConfirmDialog(parent, confirmed) {
    buildConfirmDialog(this, res::kLoadTemplate);
    m_list = fillList(this, kLoadListId, res::kLoadItems);
    m_list->setCurrentIndex(loadIndexOf(ProfileNumber));
    // activated: the user's choices only, not the rebuilds of the repaint.
    connect(m_list, &QComboBox::activated, this,
            [](int index) { ProfileNumber = profileOfLoadIndex(index); });
}

void CLoadProfileDlg::refreshTexts() {
    res::applyTexts(this, res::kLoadTexts);
    res::applyItemTexts(this, res::kLoadItems);
}

CSaveProfileDlg::CSaveProfileDlg(QWidget* parent, int& confirmed)
    : ConfirmDialog(parent, confirmed) {
    buildConfirmDialog(this, res::kSaveTemplate);
    m_list = fillList(this, kSaveListId, res::kSaveItems);
    m_list->setCurrentIndex(0);
    ProfileNumber = m_list->currentIndex();
    connect(m_list, &QComboBox::activated, this, [](int index) { ProfileNumber = index; });
}

void CSaveProfileDlg::refreshTexts() {
    res::applyTexts(this, res::kSaveTexts);
    res::applyItemTexts(this, res::kSaveItems);
}

CCurrentProfileDlg::CCurrentProfileDlg(QWidget* parent, int& confirmed)
    : ConfirmDialog(parent, confirmed) {
    buildConfirmDialog(this, res::kCurrentTemplate);
}

void CCurrentProfileDlg::refreshTexts() {
    res::applyTexts(this, res::kCurrentTexts);
}

} // namespace omniset
