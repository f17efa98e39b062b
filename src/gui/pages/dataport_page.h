// dataport_page.h - CDataPortPage, the Data port page of the sheet (template 151).
//
//   initialise()        first activation: fills the page from ProfileImage
//   initialised()       the page has been initialised
//   refreshFromImage()  fills the page again (after a load)
//   takeValues()        controls to members with validation; false: the message was shown
//                       and the focus is on the offending control
//   pushValues()        members to controls (no change handler runs)
//   packInto(image)     the page's bytes into the record (the packing rules); a byte the
//                       last fill found outside its codes stays as read while the user
//                       leaves its control as filled (Default counts as a change)
//   synchronousMode()   SYNC is the serial mode the page last took
//   checkDtr()          the state of check box 1073 (kept on the control only)
//   DataPortAdvancedDialog   the Advanced button's dialog: runDataPortAdvancedDialog
//                       (dataport_adv.h) unless replaced; while empty, Advanced only takes
//                       the values
//
// The members (DataPortMembers) hold one value per control group; m_bSyn and the V.120
// indicators m_nSynProto / m_nASynProto are read by the advanced dialog.
#pragma once

#include "core/record/dataport_rules.h"
#include "core/record/profile_layout.h"
#include "gui/toolkit/language_window.h"

#include <QWidget>

#include <functional>

namespace omniset {

class DataExchange;

class CDataPortPage final : public LanguageWindow<QWidget>, public DataPortMembers {
  public:
    explicit CDataPortPage(QWidget* parent = nullptr);

    void initialise();
    bool initialised() const { return initialised_; }
    void refreshFromImage();
    bool takeValues();
    void pushValues();
    void packInto(ProfileRecord& image) const;
    bool synchronousMode() const { return initialised_ && m_nSerialMode == dataport::kSync; }
    bool checkDtr() const;

    int m_bSyn = 0;
    int m_nSynProto = dataport::kOtherIndicator;
    int m_nASynProto = dataport::kOtherIndicator;

  protected:
    void refreshTexts() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectHandlers();
    void exchange(DataExchange& dx);
    void enable(std::initializer_list<int> ids, bool on);
    void enableSerialGroups(bool sync);
    void setCheckDtr(bool on);

    void onSync();
    void onAsync();
    void onSynProto();
    void onASynProto();
    void onSynBaud();
    void onAutoDial();
    void onManualDial();
    void onNumberChanged();
    void onCheckDtr();
    void onUpperBox();
    void onReleaseBox();
    void onFareUnitChanged();
    void onAdvanced();
    void onDefault();

    bool initialised_ = false;
    DataPortFill asRead_;         // what the last fill found and showed
    bool checkingNumber_ = false; // scratch flag of the number check
};

void runDataPortAdvancedDialog(CDataPortPage& page); // dataport_adv.cpp
inline std::function<void(CDataPortPage& page)> DataPortAdvancedDialog = runDataPortAdvancedDialog;

} // namespace omniset
