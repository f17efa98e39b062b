// The boot loader dialogue before a firmware download: the three prompt searches of
// PrepareDevice() ("Are you sure to download?(Y/N)", "with current speed? (y/n)",
// "Waiting...") in replies of up to 1024 bytes.
//
// Input: reply to "at&l" |~| reply to the first "y" |~| reply to the second "y".
#include "fuzz_input.h"
#include "scripted_link.h"

#include "gui/download/download.h"

#include <cstdlib>

using namespace omniset;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size, 3);
    fuzz::ScriptedLink::start(parts);
    const bool ready = PrepareDevice();
    const auto writes = fuzz::ScriptedLink::writes.size();
    if (ready && writes != 3) std::abort();
    if (writes < 1 || writes > 3) std::abort();
    // A failure leaves the preparing window to the caller; close it as the sender would.
    closePreparingStatus();
    fuzz::ScriptedLink::finish();
    return 0;
}
