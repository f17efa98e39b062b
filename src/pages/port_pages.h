// port_pages.h - the Telephone port and Data port pages of the sheet.
//
//   CTelPortPage    template 130; m_bPageReady is set when the page is first initialised
//   CDataPortPage   template 151
//   initialise()    runs once, when the page is first shown (fills it from ProfileImage)
//   FillFromImage() / refreshFromImage()   fill the page again after a load
//   takeValues()    controls to members with validation; false leaves the user on the
//                   offending control
//   packInto(image) write the page's fields into the record
//   synchronousMode()   the data port page has SYNC selected
#pragma once

#include "app/language_window.h"
#include "link/profile_layout.h"

#include <QWidget>

namespace omniset {

class CTelPortPage final : public LanguageWindow<QWidget> {
  public:
    explicit CTelPortPage(QWidget* parent = nullptr);
    void initialise();
    void FillFromImage();
    bool takeValues();
    void packServices(ProfileRecord& image); // CLIR and COLR of both ports
    void packTexts(ProfileRecord& image);    // MSN, subaddress, user-to-user texts
    bool m_bPageReady = false;

  protected:
    void refreshTexts() override;
};

class CDataPortPage final : public LanguageWindow<QWidget> {
  public:
    explicit CDataPortPage(QWidget* parent = nullptr);
    void initialise();
    void refreshFromImage();
    bool takeValues();
    void packInto(ProfileRecord& image);
    bool synchronousMode() const { return false; }
    bool initialised() const { return initialised_; }

  protected:
    void refreshTexts() override;

  private:
    bool initialised_ = false;
};

} // namespace omniset
