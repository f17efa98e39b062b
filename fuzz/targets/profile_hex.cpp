// The hex text of a profile read and the version reply that fixes its length.
//
// Input: the text after the command's echo. Both record lengths are tried; a record that
// decodes must encode back to the same digits (upper case) and carry a matching XOR byte.
#include "core/record/profile_codec.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace omniset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int length : {kShortProfileLength, kLongProfileLength}) {
        auto record = decodeProfileHex(text, length);
        if (!record) continue;
        if (record->length() != length) std::abort();
        if (record->computeChecksum() != record->checksumByte()) std::abort();
        const std::string again = encodeProfileHex(*record);
        if (again.size() != 2 * (static_cast<std::size_t>(length) + 1)) std::abort();
        for (std::size_t i = 0; i < again.size(); ++i)
            if (again[i] != std::toupper(static_cast<unsigned char>(text[i]))) std::abort();
    }
    // Lengths other than the two real ones must be refused or decoded within bounds.
    if (size > 0) (void)decodeProfileHex(text.substr(1), static_cast<int>(data[0]) - 8);

    const std::string version = versionTextForReply(text);
    const int length = profileLengthForReply(text);
    if (length != kShortProfileLength && length != kLongProfileLength) std::abort();
    if ((version == "V2.0") != (length == kLongProfileLength)) std::abort();
    return 0;
}
