// download_dlg.h - CDownloadDlg, the progress window of the firmware transfer (template 167).
//
//   CDownloadDlg(parent)         modeless; error check "CRC", the three numbers 0, path empty
//   setFile(path, sizeK)         the firmware path and its size in K; the bar's range becomes
//                                0..sizeK (0..1 for a file under 1 K) with step 1
//   Refresh()                    push the six values into their controls and redraw at once
//   Step()                       advance the bar by its step (it stays at its maximum)
//   showCounts(packet, resends)  the sender's counts, then Refresh
//   Cancel (button 2, Escape, the close box)   clears DownloadActive and closes the window,
//                                which destroys it
//   downloadWindow()             the one that exists, or nullptr
#pragma once

#include "core/download/xmodem_sender.h"
#include "gui/toolkit/language_window.h"

#include <QDialog>
#include <QString>

class QProgressBar;

namespace omniset {

class CDownloadDlg final : public LanguageWindow<QDialog>, public TransferView {
  public:
    explicit CDownloadDlg(QWidget* parent);
    ~CDownloadDlg() override;

    void setFile(const QString& path, int sizeK);
    void Refresh();
    void Step();
    void Cancel();

    void showCounts(int packet, int resends) override;
    void step() override { Step(); }

    QProgressBar* progressBar() const;

    QString m_strFileName;
    int m_nFileSize = 0;
    int m_nPacket = 0;
    int m_nResend = 0;
    QString m_strCheck;

  protected:
    void refreshTexts() override;
    void reject() override { Cancel(); }
    void closeEvent(QCloseEvent* e) override;

  private:
    void pushValues();
    int m_nStep = 1;
};

CDownloadDlg* downloadWindow();

} // namespace omniset
