// boot_loader.h - the dialogue that talks the adapter's boot loader into receiving a
// firmware image; below the windows, its messages go through the message service.
//
//   runBootLoaderDialogue(onStep)   the three steps ("at&l\r\n" for the question, "y" for
//                                   the speed, "y" for "Waiting..."), each: purge, send, one
//                                   read of up to 1024 bytes, the prompt looked for in it;
//                                   the notice box between steps 1 and 2; onStep(n) after
//                                   step n was answered; false after the acknowledge-error
//                                   box when a prompt is missing
//   BootLoaderStep                  how far the dialogue got (for saying where it stopped)
//   kFinishingWaitMs                the pause the adapter needs after the final ACK while
//                                   it takes the new firmware in
#pragma once

#include <functional>

namespace omniset {

enum class BootLoaderStep {
    None = 0,     // nothing answered: the adapter is still in its commands
    Question = 1, // "Are you sure to download?(Y/N)" answered
    Speed = 2,    // "with current speed? (y/n)" answered
    Waiting = 3,  // "Waiting...": the boot loader waits for the transfer
};

// The pause after a successful transfer, before the adapter answers again.
inline constexpr int kFinishingWaitMs = 10000;

bool runBootLoaderDialogue(const std::function<void(BootLoaderStep)>& onStep = {});

} // namespace omniset
