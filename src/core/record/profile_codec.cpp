#include "core/record/profile_codec.h"

#include "core/record/adapter_commands.h"

namespace omniset {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::string encodeProfileHex(const ProfileRecord& record) {
    std::string text;
    text.reserve(2 * record.raw().size());
    std::uint8_t sum = record.computeChecksum();
    auto put = [&](std::uint8_t b) {
        text.push_back(kHexDigits[b >> 4]);
        text.push_back(kHexDigits[b & 0x0F]);
    };
    for (int i = 0; i < record.length(); ++i) put(record.byte(i));
    put(sum);
    return text;
}

std::optional<ProfileRecord> decodeProfileHex(std::string_view text, int length) {
    if (length <= 0) return std::nullopt;
    const auto needed = 2 * (static_cast<std::size_t>(length) + 1);
    if (text.size() < needed) return std::nullopt;
    ProfileRecord record(length);
    auto& raw = record.raw();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        int hi = hexValue(text[2 * i]);
        int lo = hexValue(text[2 * i + 1]);
        // Line noise must never pass as a record: anything but a hex digit fails.
        if (hi < 0 || lo < 0) return std::nullopt;
        raw[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    if (record.computeChecksum() != record.checksumByte()) return std::nullopt;
    return record;
}

std::string versionTextForReply(std::string_view reply) {
    auto has = [&](std::string_view s) { return reply.find(s) != std::string_view::npos; };
    if (has(kx220::kVersion16)) return "V1.6";
    if (has(kx220::kCurrentVersion)) return "V2.0";
    if (has(kx220::kVersion15)) return "V1.5";
    if (has(kx220::kVersion12)) return "V1.2";
    if (has(kx220::kVersion13)) return "V1.3";
    return "";
}

int profileLengthForReply(std::string_view reply) {
    // A byte-wise comparison with "V2.0": empty and every "V1..." text are lower.
    return versionTextForReply(reply) < std::string("V2.0") ? kShortProfileLength
                                                            : kLongProfileLength;
}

} // namespace omniset
