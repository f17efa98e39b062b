// exchange_entry.h - what every exchange the user starts does first.
//
//   BeginExchange()   when the adapter's port went away (told once by the channel) and the
//                     same COMn opens again (a re-plugged USB adapter, the adapter back on),
//                     reopens it under the line settings detection found and unlocks
//                     profile access again ("AT&P\r" and the access code, with its waits);
//                     true when the channel holds a port. A port that cannot be opened yet
//                     leaves the channel lost: the exchange then fails quietly.
#pragma once

namespace omniset {

bool BeginExchange();

} // namespace omniset
