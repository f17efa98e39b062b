// telport_rules.h - the telephone port page's values and their byte rules, as plain functions.
//
//   TelPortMembers                  the page's members, in their exchange order
//   fillTelPort(image, m)           members from the record (texts, flags, CLIR, COLR; a
//                                   service byte other than 0 and 1 checks neither button)
//   packTelServices(m, image)       bytes 251, 257, 252, 258 from the CLIR and COLR values;
//                                   a group with neither button checked leaves its byte
//   packTelTexts(m, image)          the six text fields, in the packing order
//   applyTel1Default(m) / applyTel2Default(m)   the Default buttons (the other port kept)
//   msnAcceptable(text)             only the digits "0".."9" (empty passes)
//
// Plain C++: texts hold one character per byte.
#pragma once

#include "core/record/profile_layout.h"

#include <string>

namespace omniset {

namespace telport {
inline constexpr int kMsnChars = 15;  // MSN texts
inline constexpr int kTextChars = 16; // subaddress and user-to-user texts
inline constexpr int kRestriction = 0, kPresentation = 1; // radio indexes
} // namespace telport

struct TelPortMembers {
    int m_nClir1 = -1;
    int m_nColr1 = -1;
    std::string m_strMsn1;
    std::string m_strSubaddr1;
    int m_bSubaddr2 = 0;
    int m_bSubaddr1 = 0;
    int m_bMsn2 = 0;
    int m_bMsn1 = 0;
    std::string m_strMsn2;
    std::string m_strSubaddr2;
    int m_nClir2 = -1;
    int m_nColr2 = -1;
    int m_bUus1 = 0;
    int m_bUus2 = 0;
    std::string m_strUus1;
    std::string m_strUus2;

    bool operator==(const TelPortMembers&) const = default;
};

void fillTelPort(const ProfileRecord& image, TelPortMembers& m);
void packTelServices(const TelPortMembers& m, ProfileRecord& image);
void packTelTexts(const TelPortMembers& m, ProfileRecord& image);
void applyTel1Default(TelPortMembers& m);
void applyTel2Default(TelPortMembers& m);
bool msnAcceptable(const std::string& text);

} // namespace omniset
