#include "core/link/exchange_entry.h"

#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"

namespace omniset {

bool BeginExchange() {
    if (!SerialCheckLost()) return SerialIsOpen();
    if (!SerialReopen()) return false;
    // The adapter may have been powered off: its profile access is locked again.
    UnlockProfiles();
    return SerialIsOpen();
}

} // namespace omniset
