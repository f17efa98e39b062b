// teladv_rules.h - the telephone port advanced dialog's values and byte rules, as plain
// functions.
//
//   TelAdvMembers              the dialog's members, in their exchange order
//   TelAdvReach                which of the dialog's fields the record holds
//   telAdvReach(length)        326 bytes: all, a national prefix of up to 5 digits;
//                              314 bytes (ending at byte 313): a national prefix of up to 3
//                              digits and the keypad protocol only
//   fillTelAdv(image, m)       the members from the record; a field outside it shows no
//                              value (-1 or empty)
//   packTelAdv(m, image)       the members into the record: the fields it holds only, byte
//                              98's other bits kept; a radio group without a selection
//                              leaves its byte as read
//   prefixAcceptable(text)     only "0".."9" (empty passes)
//
// Plain C++: texts hold one character per byte. Nothing is read or written past the
// record's last byte.
#pragma once

#include "core/record/profile_layout.h"

#include <string>
#include <string_view>

namespace omniset {

namespace teladv {
inline constexpr int kPrefixChars = 5; // either prefix in a 326-byte record
inline constexpr int kSpeech = 0, kAudio31 = 1;
inline constexpr int kALaw = 0, kMuLaw = 1;
inline constexpr int kKeypadMode = 0, kCalledNumberMode = 1;
} // namespace teladv

struct TelAdvMembers {
    int m_nCodingLaw = -1;
    int m_nBearer1 = -1;
    int m_nBearer2 = -1;
    int m_nKeypad = -1;
    std::string m_strNational;
    std::string m_strInternational;

    bool operator==(const TelAdvMembers&) const = default;
};

struct TelAdvReach {
    int nationalChars = 0; // the longest national prefix the record holds
    bool international = false;
    bool bearer1 = false;
    bool bearer2 = false;
    bool codingLaw = false;
};

TelAdvReach telAdvReach(int length);
void fillTelAdv(const ProfileRecord& image, TelAdvMembers& m);
void packTelAdv(const TelAdvMembers& m, ProfileRecord& image);
bool prefixAcceptable(std::string_view text);

} // namespace omniset
