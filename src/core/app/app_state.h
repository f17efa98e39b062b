// app_state.h - process-wide flags of the firmware download.
//
//   DownloadActive     a download runs: the sheet and its pages disable their buttons when
//                      they repaint, and the transfer loop runs only while it is set
//   AutoUpgrade        the running download is the automatic upgrade offered at start-up
//   DownloadFinished   the transfer has been acknowledged (selects the closing status text)
#pragma once

namespace omniset {

extern int DownloadActive;
extern int AutoUpgrade;
extern int DownloadFinished;

} // namespace omniset
