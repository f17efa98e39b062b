#include "fuzz_input.h"

#include <algorithm>

namespace fuzz {

std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size,
                                         std::size_t max) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < max) {
        auto at = rest.find(kPartSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kPartSeparator.size());
    }
    parts.push_back(rest);
    return parts;
}

std::vector<ScriptEvent> parseByteScript(const std::uint8_t* data, std::size_t size) {
    std::vector<ScriptEvent> events;
    auto addData = [&](char c) {
        if (events.empty() || events.back().kind != ScriptEvent::Data)
            events.push_back({ScriptEvent::Data, {}, 0});
        events.back().bytes.push_back(c);
    };
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0xFF) {
            addData(static_cast<char>(data[i]));
            continue;
        }
        if (i + 1 == size) break; // a lone escape at the end means nothing
        const std::uint8_t code = data[++i];
        switch (code) {
        case 0x00: addData(static_cast<char>(0xFF)); break;
        case 0xFD: events.push_back({ScriptEvent::HostClosed, {}, 0}); break;
        case 0xFE: events.push_back({ScriptEvent::LineNoise, {}, 0}); break;
        case 0xFF: events.push_back({ScriptEvent::Pause, {}, kScriptLongSilenceMs}); break;
        default: events.push_back({ScriptEvent::Pause, {}, code * kScriptTimeStepMs}); break;
        }
    }
    return events;
}

std::string escapeScriptData(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        out.push_back(c);
        if (static_cast<std::uint8_t>(c) == 0xFF) out.push_back('\0');
    }
    return out;
}

std::string scriptPause(std::int64_t ms) {
    std::string out;
    while (ms >= kScriptLongSilenceMs) {
        out += "\xFF\xFF";
        ms -= kScriptLongSilenceMs;
    }
    while (ms > 0) {
        const std::int64_t steps = std::min<std::int64_t>(0xFC, (ms + kScriptTimeStepMs - 1) /
                                                                     kScriptTimeStepMs);
        out.push_back(static_cast<char>(0xFF));
        out.push_back(static_cast<char>(steps));
        ms -= steps * kScriptTimeStepMs;
    }
    return out;
}

} // namespace fuzz
