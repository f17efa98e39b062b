// The profile read as a whole: DetermineProfileLength() on the "ati3" reply, then
// ReadProfile() on the reply to "AT&Y5\r" (echo, hex text, closing text), both through
// a scripted COM1.
//
// Input: version reply |~| profile read reply. A read that succeeds must leave a record of
// the length the version reply fixed with a matching XOR byte; a read that fails must leave
// the record as it was.
#include "fuzz_input.h"
#include "scripted_link.h"

#include "core/link/profile_transfer.h"
#include "core/record/profile_codec.h"

#include <cstdlib>

using namespace omniset;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::initProgram(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size, 2);
    fuzz::ScriptedLink::start(parts);
    DetermineProfileLength();
    const int length = ProfileLength;
    if (length != kShortProfileLength && length != kLongProfileLength) std::abort();
    // A known record, so that a failed read can be told from one that changed it.
    ProfileRecord before(length);
    for (int i = 0; i < length; ++i) before.setByte(i, static_cast<std::uint8_t>(i * 7 + 3));
    before.setChecksumByte(before.computeChecksum());
    ProfileImage() = before;

    const bool ok = ReadProfile(profileReadCommand(kCurrentProfile));
    const ProfileRecord& after = ProfileImage();
    if (after.length() != length) std::abort();
    if (ok && after.computeChecksum() != after.checksumByte()) std::abort();
    if (!ok && !(after == before)) std::abort();
    fuzz::ScriptedLink::finish();
    return 0;
}
