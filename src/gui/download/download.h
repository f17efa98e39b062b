// download.h - the firmware download procedure.
//
//   RunDownload(sender)          the whole procedure on a fresh sender (its completion is
//                                CompleteDownload unless one was set, and its release closes
//                                the preparing status window): find and open the
//                                firmware file, the boot loader dialogue, the progress
//                                window, the transfer; returns when the download did not
//                                happen or failed (the progress window closed after the
//                                failure's message), ends the program after a successful one
//   findUpgradeFile(dir)         the automatic upgrade's file in dir: the newest (latest
//                                last-write time) whose name is "kx220a20.dl" in any case;
//                                empty when there is none
//   chooseFirmwareFile(owner)    the open-file dialog ("download files(*.DL)", proposing
//                                kx220a20.DL in the installation folder); empty on Cancel
//   PrepareDevice()              the boot loader dialogue (boot_loader.h) under the preparing
//                                status window; false (after its box) when a prompt is missing
//   CompleteDownload(sender)     after the final ACK: repaint the owner, close the progress
//                                window, the closing status window for 10 s, the success
//                                box, exit code 0
//   closePreparingStatus()       close the preparing status window if it is still open
#pragma once

#include "core/download/boot_loader.h"
#include "core/download/xmodem_sender.h"

#include <QString>

class QWidget;

namespace omniset {

void RunDownload(CXModemSender& sender);

QString findUpgradeFile(const QString& dir);
QString chooseFirmwareFile(QWidget* owner);
bool PrepareDevice();
void CompleteDownload(CXModemSender& sender);
void closePreparingStatus();

} // namespace omniset
