// The General page's clock setting: the prompt checks on the "at$q" and "at$t" replies
// and the rejection checks on the replies to the date and time sent.
//
// Input: date prompt reply |~| date answer |~| time prompt reply |~| time answer, through
// a scripted COM1 into CGeneralPage::setDeviceClock().
#include "fuzz_input.h"
#include "scripted_link.h"

#include "gui/pages/general_page.h"

#include <cstdlib>

using namespace omniset;

namespace {
CGeneralPage* g_page = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    g_page = new CGeneralPage(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size, 4);
    fuzz::ScriptedLink::start(parts);
    g_page->setDeviceClock();
    // At most one box, and the exchange stops at the first missing prompt.
    if (fuzz::ScriptedLink::boxesShown > 1) std::abort();
    const auto writes = fuzz::ScriptedLink::writes.size();
    if (writes != 1 && writes != 2 && writes != 3 && writes != 4) std::abort();
    fuzz::ScriptedLink::finish();
    return 0;
}
