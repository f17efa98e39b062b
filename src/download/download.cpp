#include "download.h"

namespace omniset {

void RunDownload(CXModemSender&) {}

} // namespace omniset
