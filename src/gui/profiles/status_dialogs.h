// status_dialogs.h - the modeless waiting windows shown around long exchanges.
//
//   CReadingDlg(parent)           template 144: "Reading profile" or, while a download runs,
//                                 its preparing / finishing texts; visible from creation
//   CSavingDlg(parent)            template 143: "Saving profile"; each repaint shows the wait
//                                 cursor, which it holds until it is closed (boxes shown
//                                 meanwhile have the arrow)
//   readingTexts()                the texts CReadingDlg shows now (by DownloadActive and
//                                 DownloadFinished)
//   showReadingStatus(parent)     create and paint the process-wide CReadingDlg; a second
//                                 call while one exists returns that one
//   closeReadingStatus()          close and destroy it (nothing when none exists)
//   readingStatus()               the one that exists, or nullptr
//   showSavingStatus(parent) / closeSavingStatus() / savingStatus()   the same for CSavingDlg
//
// Neither window takes input: no buttons, no close box, Escape and close requests are
// ignored, and showing them does not take the focus from the sheet. Their creator closes
// them; a window whose parent is destroyed goes with it.
#pragma once

#include "core/platform/cursor.h"
#include "gui/res/dialog_template.h"
#include "gui/res/text_table.h"
#include "gui/toolkit/language_window.h"

#include <QDialog>

#include <optional>

namespace omniset {

class StatusWindow : public LanguageWindow<QDialog> {
  public:
    void reject() override {} // Escape does not close a status window

  protected:
    StatusWindow(QWidget* parent, const res::DialogTemplate& tpl);
    void closeEvent(QCloseEvent* e) override;
    void showNow(); // show and let the first paint happen before the caller goes on
};

class CReadingDlg final : public StatusWindow {
  public:
    explicit CReadingDlg(QWidget* parent);

  protected:
    void refreshTexts() override;
};

class CSavingDlg final : public StatusWindow {
  public:
    explicit CSavingDlg(QWidget* parent);

  protected:
    void refreshTexts() override;

  private:
    std::optional<platform::WaitCursor> m_waitCursor;
};

res::TextTable readingTexts();

CReadingDlg* showReadingStatus(QWidget* parent);
void closeReadingStatus();
CReadingDlg* readingStatus();

CSavingDlg* showSavingStatus(QWidget* parent);
void closeSavingStatus();
CSavingDlg* savingStatus();

} // namespace omniset
