// download.h - the firmware download.
//
//   CXModemSender(owner)   the 1K-XModem sender of one download attempt
//   RunDownload(sender)    the whole download procedure on a fresh sender; returns when the
//                          download did not happen or failed, ends the program after a
//                          successful transfer
//
// Not built yet: RunDownload returns at once, as a download whose firmware file is not
// found does.
#pragma once

class QWidget;

namespace omniset {

class CXModemSender {
  public:
    explicit CXModemSender(QWidget* owner) : owner_(owner) {}
    QWidget* owner() const { return owner_; }

  private:
    QWidget* owner_;
};

void RunDownload(CXModemSender& sender);

} // namespace omniset
