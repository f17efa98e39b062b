// process.h - ending the process.
//
//   endProcess(code)     end the process at once with an exit code (ports are released)
//   setExitHook(fn)      replace the ending (tests record the code and return instead);
//                        an empty function restores the real ending
//   processEnded()       whether endProcess() was called since the hook was set (only a
//                        hook lets the program run on after it)
//
// Callers return right after endProcess(), so that a test hook that does return leaves
// the program on a path that does nothing more.
#pragma once

#include <functional>

namespace omniset::platform {

void endProcess(int code);
void setExitHook(std::function<void(int)> hook);
bool processEnded();

} // namespace omniset::platform
