#include "core/link/identification.h"

#include "core/link/serial_channel.h"
#include "core/record/adapter_commands.h"

#include <algorithm>

namespace omniset {

namespace {

bool contains(std::string_view reply, std::string_view marker) {
    return reply.find(marker) != std::string_view::npos;
}

// The part of reply from word up to (not including) the next carriage return after it.
QString fromWordToCr(std::string_view reply, std::string_view word) {
    const auto begin = reply.find(word);
    if (begin == std::string_view::npos) return {};
    const auto end = reply.find('\r', begin + word.size());
    if (end == std::string_view::npos) return {};
    return QString::fromLatin1(reply.substr(begin, end - begin));
}

} // namespace

namespace general {

bool isCurrentFirmware(std::string_view reply) {
    return contains(reply, kx220::kCurrentVersion);
}

QString versionText(std::string_view reply) {
    return fromWordToCr(reply, kx220::kVersionWord);
}

QString portTypeText(std::string_view reply) {
    if (reply.size() <= static_cast<std::size_t>(kx220::kPortTypeOffset)) return {};
    return QString::fromLatin1(reply.substr(kx220::kPortTypeOffset, kx220::kPortTypeWidth));
}

QString modelText(std::string_view reply) {
    return fromWordToCr(reply, kx220::kModelWord);
}

} // namespace general

std::string adapterExchange(std::string_view command, int limit,
                            const platform::ReplyCheck& whole) {
    SerialPurge();
    SerialWrite(command);
    std::string reply = SerialReadReply(limit, 0, whole);
    reply.resize(std::min(reply.size(), reply.find('\0')));
    return reply;
}

AdapterIdentity identifyAdapter() {
    AdapterIdentity id;
    id.versionReply = adapterExchange(kx220::kVersionQuery, kx220::kIdentReplyLimit);
    id.version = general::versionText(id.versionReply);
    id.portType =
        general::portTypeText(adapterExchange(kx220::kPortTypeQuery, kx220::kIdentReplyLimit));
    id.model = general::modelText(adapterExchange(kx220::kModelQuery, kx220::kIdentReplyLimit));
    id.current = general::isCurrentFirmware(id.versionReply);
    return id;
}

} // namespace omniset
