// The quick-dial reply parsing: readQuickDialNumbers() on the replies to the four
// "at&zN?" queries through a scripted COM1, and parseQuickDialReply() on each reply.
//
// Input: reply for slot 0 |~| slot 1 |~| slot 2 |~| slot 3. Every number read holds only
// digits and fits the 40-byte read less the echo; storing the numbers sends them unchanged.
#include "fuzz_input.h"
#include "scripted_link.h"

#include "core/link/quick_dial.h"
#include "core/record/dataport_adv_rules.h"

#include <cstdlib>

using namespace omniset;

namespace {
bool onlyDigits(const std::string& s) {
    return s.find_first_not_of("0123456789") == std::string::npos;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size, kx220::kQuickDialSlots);
    for (auto p : parts)
        if (!onlyDigits(parseQuickDialReply(p))) std::abort();

    fuzz::ScriptedLink::start(parts);
    const QuickDialNumbers numbers = readQuickDialNumbers();
    if (fuzz::ScriptedLink::writes.size() != kx220::kQuickDialSlots) std::abort();
    const std::size_t room = kx220::kQuickDialReplyLimit - kx220::quickDialQuery(0).size();
    for (const auto& n : numbers)
        if (!onlyDigits(n) || n.size() > room) std::abort();

    fuzz::ScriptedLink::writes.clear();
    storeQuickDialNumbers(numbers);
    if (fuzz::ScriptedLink::writes.size() != kx220::kQuickDialSlots) std::abort();
    for (int slot = 0; slot < kx220::kQuickDialSlots; ++slot)
        if (fuzz::ScriptedLink::writes[static_cast<std::size_t>(slot)] !=
            kx220::quickDialStore(slot, numbers[static_cast<std::size_t>(slot)]))
            std::abort();
    fuzz::ScriptedLink::finish();
    return 0;
}
