// flash_progress.h - the firmware transfer's progress on standard error.
//
//   FlashProgress(size, terminal)  for a file of size bytes; on a terminal one line redrawn
//                                  in place, otherwise a plain line at every 10 %
//   showCounts / acknowledged / step   the sender's reports (TransferView); before every
//                                  read it also turns a Ctrl-C into the progress window's
//                                  Cancel (DownloadActive cleared)
//   finish()                       ends the redrawn line (a newline), once; a message said
//                                  while it is open ends it first
//   blocksTotal() / blocksDone() / resends() / rate() / elapsedSeconds()
//   progressLine(...)              the line's text: "blocks 12/98  12.0 KB/98.0 KB
//                                  11.2 KB/s  0:08 left  resends 0"
#pragma once

#include "core/download/xmodem_sender.h"

#include <QElapsedTimer>
#include <QString>

namespace omniset::cli {

QString progressLine(int blocks, int total, qint64 bytes, qint64 size, double bytesPerSecond,
                     int resends);

class FlashProgress final : public TransferView {
  public:
    FlashProgress(qint64 size, bool terminal);
    ~FlashProgress() override { finish(); }

    void showCounts(int packet, int resends) override;
    void acknowledged(qint64 bytes) override;
    void step() override;
    void finish();

    int blocksTotal() const { return total_; }
    int blocksDone() const { return blocks_; }
    int resends() const { return resends_; }
    double rate() const;           // bytes per second from the first block's ACK to the latest's
    double elapsedSeconds() const; // since the progress began (the boot loader's start included)

  private:
    void draw();

    qint64 size_;
    bool terminal_;
    int total_;
    int blocks_ = 0;
    int resends_ = 0;
    qint64 bytes_ = 0;
    int lastTenth_ = -1;
    QElapsedTimer clock_;
    qint64 firstAckMs_ = -1;  // when the first block was acknowledged
    qint64 lastAckMs_ = -1;   // when the latest one was
    qint64 firstBytes_ = 0;   // the bytes it carried
};

} // namespace omniset::cli
