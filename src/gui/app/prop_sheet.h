// prop_sheet.h - CPropSheet, the main configuration sheet.
//
//   CPropSheet(caption)   sends "ati3\r" to fix ProfileLength, builds the three pages
//   run()                 initialises (unlock, read the current configuration, General page
//                         identification) and runs the sheet modally; returns at once when
//                         the process was ended during the initialisation
//   PackPages()           the pages' values into ProfileImage, then its hex text
//   SetSheetCaption(n)    "Velmar Brantis KX220(" + profile name + ")"
//   LoadConfirmed / SaveConfirmed / CurrentConfirmed   set by the small dialogs
//
// Buttons, left to right: language (2003), Load (2001), OK (1), Exit (2), Save (2002).
#pragma once

#include "gui/toolkit/language_window.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace omniset {

class CGeneralPage;
class CTelPortPage;
class CDataPortPage;

class CPropSheet final : public LanguageWindow<QDialog> {
  public:
    explicit CPropSheet(const QString& caption, QWidget* parent = nullptr);
    ~CPropSheet() override;

    int run();
    bool PackPages(); // false: a page's check failed, nothing packed past it
    void SetSheetCaption(int profile);

    int LoadConfirmed = 0;
    int SaveConfirmed = 0;
    int CurrentConfirmed = 0;

    CGeneralPage* generalPage() const { return general_; }
    CTelPortPage* telPortPage() const { return telPort_; }
    CDataPortPage* dataPortPage() const { return dataPort_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* button(int id) const;

  protected:
    void refreshTexts() override;
    void showEvent(QShowEvent* e) override;
    void accept() override; // OK: confirm, pack, write the current configuration
    void reject() override; // Exit, Escape, the close box: nothing is written

  private:
    bool initialise();
    void layOut();
    void placeExtraButtons();
    void activate(QWidget* page);
    void onLoad();
    void onSave();
    void onLanguage();
    void afterCommand();

    QTabWidget* tabs_ = nullptr;
    CGeneralPage* general_ = nullptr;
    CTelPortPage* telPort_ = nullptr;
    CDataPortPage* dataPort_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* apply_ = nullptr;
    bool shownOnce_ = false;
};

} // namespace omniset
