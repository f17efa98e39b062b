// teladv.h - CTelAdvDlg, the telephone port advanced dialog (template 160).
//
//   CTelAdvDlg(page)     the dialog owned by its telephone port page; nothing read yet
//   initialise()         members from ProfileImage, then to the controls; the fields a
//                        314-byte record does not hold are disabled and show no value, and
//                        the national prefix takes at most 3 characters there
//   run()                initialise(), then the modal run; its result
//   takeValues()         controls to members (the prefixes' lengths are the only checks)
//   pushValues()         members to controls (no change handler runs)
//   accept()             OK: take the values, write them into ProfileImage (the fields the
//                        record holds only), close; the dialog never sends anything
//   Cancel, Escape and the close box close the dialog (reject); nothing is written
//   runTelPortAdvancedDialog(page)   the page's Advanced button: one dialog, run modally
#pragma once

#include "core/record/teladv_rules.h"
#include "gui/toolkit/language_window.h"

#include <QDialog>

#include <string>

namespace omniset {

class CTelPortPage;
class DataExchange;

class CTelAdvDlg final : public LanguageWindow<QDialog>, public TelAdvMembers {
  public:
    explicit CTelAdvDlg(CTelPortPage& page);

    void initialise();
    int run();
    bool takeValues();
    void pushValues();
    void accept() override;

  protected:
    void refreshTexts() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectHandlers();
    void exchange(DataExchange& dx);
    void enableReach();
    void onCodingLaw(int law);
    void checkPrefix(std::string& prefix);

    TelAdvReach reach_;
};

void runTelPortAdvancedDialog(CTelPortPage& page);

} // namespace omniset
