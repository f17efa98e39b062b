// general_page.h - the General information page (template 152) and its replies.
//
//   CGeneralPage(parent)        the page, built as a child of the sheet's tab widget
//   initialise(sheet)           identify the adapter ("ati3", "ati4", "ati6"), offer the
//                               upgrade when the firmware is old, show the three texts and
//                               remember the sheet; false when the user declined the
//                               upgrade and the process was ended
//   startDownload()             button 1205: confirm, then the firmware download
//   setDeviceClock()            button 1206: the adapter's date and time from the PC's
//   restoreFactorySettings()    button 1222: confirm, "at&f", and end the process on success
//
// The identification and its reply texts (general::versionText etc.) live in
// link/identification.h, the clock and factory-reset exchanges and their texts in
// link/general_exchanges.h, both shared with omniset-cli.
// Every exchange of the page is purge, write, one blocking read of a stated limit; the
// page never dispatches events while it waits, and the sheet takes no input meanwhile.
#pragma once

#include "core/link/identification.h"
#include "gui/toolkit/language_window.h"

#include <QString>
#include <QWidget>

#include <string_view>

namespace omniset {

class CGeneralPage final : public LanguageWindow<QWidget> {
  public:
    explicit CGeneralPage(QWidget* parent = nullptr);

    bool initialise(QWidget* sheet);

    void startDownload();
    void setDeviceClock();
    void restoreFactorySettings();

    QString m_strPortType;
    QString m_strVersion;
    QString m_strModel;
    QWidget* m_pSheet = nullptr;

  protected:
    void refreshTexts() override;

  private:
    bool identify(); // true when the firmware is current
    bool offerUpgrade();
    void setButtonsEnabled(bool on);
    void repaintSheet();
};

} // namespace omniset
