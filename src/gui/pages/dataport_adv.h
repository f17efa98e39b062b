// dataport_adv.h - CDataPortAdvDlg, the data port advanced dialog (template 159).
//
//   CDataPortAdvDlg(page)   the dialog over its data port page (its parent); nothing read yet
//   initialise()            the opening: values from ProfileImage, the four quick-dial
//                           queries under the reading status window, the asynchronous and
//                           V.120 groups enabled from the page's serial mode and protocol
//   run()                   initialise(), then the modal run; its result
//   takeValues()            controls to members with validation; false: the message was
//                           shown and the focus is on the offending control
//   pushValues()            members to controls (no change handler runs)
//   accept()                OK: take the values (a failed check keeps the dialog open, and
//                           nothing is sent, written or stored), send the four store
//                           commands, write the record's bytes (a byte read outside its
//                           codes only when the user changed its control) and the
//                           "Asychron_set" settings, close
//   Cancel, Escape and the close box close the dialog (reject); nothing is sent or written
//   runDataPortAdvancedDialog(page)   the page's Advanced button: one dialog, run modally
#pragma once

#include "core/record/dataport_adv_rules.h"
#include "gui/toolkit/language_window.h"

#include <QDialog>

#include <initializer_list>

namespace omniset {

class CDataPortPage;
class DataExchange;

class CDataPortAdvDlg final : public LanguageWindow<QDialog>, public DataAdvMembers {
  public:
    explicit CDataPortAdvDlg(CDataPortPage& page);

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
    void enable(std::initializer_list<int> ids, bool on);
    void readQuickDial();
    void enableGroups();
    void putAsyncSettings() const;
    void onTextBox(int boxId, int editId);
    void onMsnChanged();

    CDataPortPage& page_;
    DataAdvFill asRead_; // what the opening found and showed
    bool checkingMsn_ = false; // the MSN check's own pushes raise no second check
};

void runDataPortAdvancedDialog(CDataPortPage& page);

} // namespace omniset
