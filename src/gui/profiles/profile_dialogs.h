// profile_dialogs.h - the sheet's small modal dialogs around stored profiles.
//
//   CLoadProfileDlg(parent, confirmed)    template 145: current configuration, Profile 0 or
//                                         Profile 1 to read; opens on ProfileNumber's entry
//                                         and writes ProfileNumber as the user picks
//   CSaveProfileDlg(parent, confirmed)    template 146: Profile 0 or Profile 1 to write into;
//                                         opens on Profile 0 and sets ProfileNumber to 0
//   CCurrentProfileDlg(parent, confirmed) template 148: "Saving as current profile?"
//   loadIndexOf(profile) / profileOfLoadIndex(index)   list entry <-> ProfileNumber
//
// Each is run with exec() and sets the sheet's flag `confirmed` to 1 on OK (also Return)
// and to 0 on Cancel, Escape or the close box. The lists are rebuilt in the current
// language on every repaint, the selection kept. ProfileNumber follows user choices
// only; the sheet restores it when the dialog is cancelled or the exchange fails.
#pragma once

#include "gui/toolkit/language_window.h"

#include <QDialog>

class QComboBox;

namespace omniset {

// The OK/Cancel ending shared by the three dialogs.
class ConfirmDialog : public LanguageWindow<QDialog> {
  public:
    void accept() override;
    void reject() override;

  protected:
    ConfirmDialog(QWidget* parent, int& confirmed);

  private:
    int& m_confirmed;
};

class CLoadProfileDlg final : public ConfirmDialog {
  public:
    CLoadProfileDlg(QWidget* parent, int& confirmed);

  protected:
    void refreshTexts() override;

  private:
    QComboBox* m_list;
};

class CSaveProfileDlg final : public ConfirmDialog {
  public:
    CSaveProfileDlg(QWidget* parent, int& confirmed);

  protected:
    void refreshTexts() override;

  private:
    QComboBox* m_list;
};

class CCurrentProfileDlg final : public ConfirmDialog {
  public:
    CCurrentProfileDlg(QWidget* parent, int& confirmed);

  protected:
    void refreshTexts() override;
};

int loadIndexOf(int profile);
int profileOfLoadIndex(int index);

} // namespace omniset
