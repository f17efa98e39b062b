// telport_page.h - CTelPortPage, the Telephone port page of the sheet (template 130).
//
//   initialise()        first activation: m_bPageReady = 1, then FillFromImage()
//   FillFromImage()     members and controls from ProfileImage (also after a load)
//   takeValues()        controls to members (the edits' lengths are the only checks)
//   pushValues()        members to controls (no change handler runs)
//   packServices(image) bytes 251, 257, 252, 258 from the CLIR and COLR values last taken
//   packTexts(image)    the MSN, subaddress and user-to-user texts of both ports
//   command(id)         the page's buttons (1150, 1085, 1104) pass through here: a TEL1
//                       Default (1150) arriving while the focus is in one of the six text
//                       edits moves the focus to the next control instead
//   TelPortAdvancedDialog   the Advanced button's dialog: runTelPortAdvancedDialog
//                       (teladv.h) unless replaced; while empty, Advanced does nothing
//
// Leaving the page (hiding it) takes its values, as a deactivated property page does, so
// that the services the sheet packs before reactivating the page are those on screen.
#pragma once

#include "core/record/profile_layout.h"
#include "core/record/telport_rules.h"
#include "gui/toolkit/language_window.h"

#include <QWidget>

#include <functional>

namespace omniset {

class DataExchange;

class CTelPortPage final : public LanguageWindow<QWidget>, public TelPortMembers {
  public:
    explicit CTelPortPage(QWidget* parent = nullptr);

    void initialise();
    void FillFromImage();
    bool takeValues();
    void pushValues();
    void packServices(ProfileRecord& image) const;
    void packTexts(ProfileRecord& image) const;
    void command(int id);

    bool m_bPageReady = false;

  protected:
    void refreshTexts() override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectHandlers();
    void exchange(DataExchange& dx);
    void enable(int id, bool on);
    void onBox(int boxId, int editId);
    void checkMsn(std::string& msn);
    bool focusInTextEdit() const;
    void defaultTel1();
    void defaultTel2();
};

void runTelPortAdvancedDialog(CTelPortPage& page); // teladv.cpp
inline std::function<void(CTelPortPage& page)> TelPortAdvancedDialog = runTelPortAdvancedDialog;

} // namespace omniset
