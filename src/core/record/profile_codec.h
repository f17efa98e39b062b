// profile_codec.h - the wire form of the configuration record (pure functions).
//
//   encodeProfileHex(record)          record bytes and their XOR byte as upper-case hex
//                                     text, 2 * (length + 1) characters, no separators
//   decodeProfileHex(text, length)    the record from 2 * (length + 1) hex characters
//                                     (upper- or lower-case); nothing when a character is
//                                     not a hex digit, the text is short or the XOR byte
//                                     does not match
//   profileLengthForReply(reply)      314 or 326 from the reply to the version query
//   versionTextForReply(reply)        "V1.6", "V2.0", "V1.5", "V1.2", "V1.3" or ""
#pragma once

#include "core/record/profile_layout.h"

#include <optional>
#include <string>
#include <string_view>

namespace omniset {

std::string encodeProfileHex(const ProfileRecord& record);
std::optional<ProfileRecord> decodeProfileHex(std::string_view text, int length);
std::string versionTextForReply(std::string_view reply);
int profileLengthForReply(std::string_view reply);

} // namespace omniset
