// detection_dialog.h - CDetectDlg, the modal window that finds the adapter at start-up.
//
//   CDetectDlg()     template 137: text, progress bar 0..360, Stop button; while the scan
//                    runs, the text names the port being tried ("Detecting COM%d"), also
//                    after a repaint or a language switch
//   exec()           the second tick of its 50 ms timer runs the scan; the dialog ends with
//                    Accepted once the adapter answered (channel open); in every other
//                    outcome the process is ended from inside the dialog
//   Stop / Escape / close box: "Stop searching Brantis KX220!", then exit code 0
#pragma once

#include "core/link/detection.h"
#include "gui/toolkit/language_window.h"

#include <QDialog>

class QProgressBar;

namespace omniset {

class CDetectDlg final : public LanguageWindow<QDialog>, private DetectionView {
  public:
    explicit CDetectDlg(QWidget* parent = nullptr);
    int timerTicks() const { return timerTicks_; }
    bool found() const { return found_; }

  protected:
    void refreshTexts() override;
    void showEvent(QShowEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void reject() override; // the Stop button, Escape and the close box

  private:
    // DetectionView
    void showPort(int port) override;
    void setProgress(int position) override;
    void stepProgress() override;
    platform::BoxOwner boxOwner() override { return this; }
    static QString portText(int port);

    DetectionScan scan_;
    QProgressBar* progress_ = nullptr;
    int timer_ = 0;
    int timerTicks_ = 0;
    int port_ = 0; // the port being tried while the scan runs, else 0
    bool found_ = false;
};

} // namespace omniset
