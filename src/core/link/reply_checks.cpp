#include "core/link/reply_checks.h"

#include "core/record/adapter_commands.h"
#include "core/record/profile_codec.h"

#include <algorithm>
#include <string>

namespace omniset {

int quietMs(const platform::LineSettings& s) {
    // Start bit, data bits, parity bit, stop bits.
    const int bits = 1 + s.dataBits + (s.parity == platform::ParityNone ? 0 : 1) +
                     (s.stopBits == platform::TwoStopBits ? 2 : 1);
    const long long baud = s.baudRate > 0 ? s.baudRate : 1;
    const int threeCharacters = static_cast<int>((3LL * bits * 1000 + baud - 1) / baud);
    return std::max(20, threeCharacters);
}

platform::ReplyCheck resultLineCheck() {
    return [](std::string_view received) {
        for (std::string_view result : {std::string_view("\nOK\r\n"), std::string_view("\nERROR\r\n")})
            if (received.find(result) != std::string_view::npos) return 0;
        return platform::kReplyPartial;
    };
}

platform::ReplyCheck promptCheck(std::string_view prompt, int quiet) {
    return [prompt = std::string(prompt), quiet](std::string_view received) {
        return received.find(prompt) != std::string_view::npos ? quiet : platform::kReplyPartial;
    };
}

platform::ReplyCheck profileReplyCheck(int length, int quiet) {
    const auto echo = static_cast<std::size_t>(kx220::kProfileCommandLength);
    const auto hex = 2 * static_cast<std::size_t>(length + 1);
    return [=](std::string_view received) {
        if (received.size() < echo + hex) return platform::kReplyPartial;
        return decodeProfileHex(received.substr(echo, hex), length) ? quiet
                                                                    : platform::kReplyPartial;
    };
}

} // namespace omniset
