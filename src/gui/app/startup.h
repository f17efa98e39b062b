// startup.h - the program's start-up sequence.
//
//   runStartup()   language from the system setting, detection, the main sheet; returns
//                  when the sheet has closed (or at once when the process was ended in a
//                  test, where ending the process returns)
#pragma once

namespace omniset {

void runStartup();

} // namespace omniset
