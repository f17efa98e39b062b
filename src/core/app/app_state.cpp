#include "core/app/app_state.h"

namespace omniset {

int DownloadActive = 0;
int AutoUpgrade = 0;
int DownloadFinished = 0;

} // namespace omniset
