// The identification of the General page: the "ati3", "ati4" and "ati6" replies.
//
// Input: version reply |~| port type reply |~| model reply. The pure reply functions run
// on each part, then CGeneralPage::initialise() runs the whole identification through a
// scripted COM1 (old firmware: the upgrade offer is declined, the process "ends").
#include "fuzz_input.h"
#include "scripted_link.h"

#include "gui/pages/general_page.h"

#include <cstdlib>
#include <string>

using namespace omniset;

namespace {
CGeneralPage* g_page = nullptr;

void checkPure(std::string_view reply) {
    (void)general::isCurrentFirmware(reply);
    const QString version = general::versionText(reply);
    if (!version.isEmpty() && !version.startsWith(QLatin1String("Version"))) std::abort();
    const QString portType = general::portTypeText(reply);
    if (portType.size() > 12) std::abort();
    const QString model = general::modelText(reply);
    if (!model.isEmpty() && !model.startsWith(QLatin1String("Velmar"))) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    g_page = new CGeneralPage(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size, 3);
    for (auto p : parts) checkPure(p);

    fuzz::ScriptedLink::start(parts, platform::BoxAnswer::Cancel);
    const bool shown = g_page->initialise(nullptr);
    // Current firmware opens the page; old firmware offers the upgrade, which is declined.
    if (shown == fuzz::ScriptedLink::exitCode.has_value()) std::abort();
    if (fuzz::ScriptedLink::writes.size() != 3) std::abort();
    fuzz::ScriptedLink::finish();
    return 0;
}
