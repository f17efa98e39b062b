// fuzz_input.h - ways of reading a fuzz input (plain C++, no Qt).
//
//   splitParts(data, size, max)   the input cut at every kPartSeparator into at most max
//                                 parts (the last part keeps any further separators);
//                                 the replies of a scripted exchange, one per command
//   ByteScript                    a byte stream with timing events for the simulated
//                                 adapter: 0xFF 0x00 is a literal 0xFF, 0xFF n (n = 1..0xFC)
//                                 lets n * kScriptTimeStepMs pass, 0xFF 0xFD is the host
//                                 closing the port, 0xFF 0xFE line noise, 0xFF 0xFF a
//                                 long silence (kScriptLongSilenceMs); everything else
//                                 is data
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

inline constexpr std::string_view kPartSeparator = "|~|";

std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size,
                                         std::size_t max);

inline constexpr std::int64_t kScriptTimeStepMs = 20;
inline constexpr std::int64_t kScriptLongSilenceMs = 15000;

struct ScriptEvent {
    enum Kind { Data, Pause, HostClosed, LineNoise } kind;
    std::string bytes;        // Data: the bytes, escapes resolved
    std::int64_t pauseMs = 0; // Pause: how long
};

// The whole script as events; consecutive data bytes form one Data event.
std::vector<ScriptEvent> parseByteScript(const std::uint8_t* data, std::size_t size);

// The other way round, for writing seed inputs.
std::string escapeScriptData(std::string_view bytes);
std::string scriptPause(std::int64_t ms); // one or more pause events covering ms

} // namespace fuzz
