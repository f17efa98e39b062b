// dataport_adv_rules.h - the data port advanced dialog's values and byte rules, as plain
// functions.
//
//   DataAdvMembers                 one value per control group, in the exchange order
//   fillDataAdv(image, m)          the values from the record (K outside 1..127 shows 7,
//                                  bytes 106 and 109 above 1 show off); returns which of
//                                  those bytes held no code, with what was shown
//   packDataAdv(m, image, asRead)  the dialog's bytes into the record, in the OK order;
//                                  bytes 47 and 98 keep their other bits; a byte the fill
//                                  found outside its codes stays as read while its control
//                                  shows what the fill put there (asRead empty: all written)
//   asyncLineEnabled(mode)         the asynchronous group: the page's serial mode is ASYN
//   v120Enabled(mode, syn, asyn)   the V.120 group: the page's V.120 indicator of its
//                                  serial mode (m_nASynProto or m_nSynProto) is 2
//   parseQuickDialReply / quickDialDigits   in link/quick_dial.h (the core's exchanges)
//   allDigits(text)                only "0".."9" (empty passes): the MSN check
//
// Plain C++: texts hold one character per byte. A combo or radio group without a
// selection (-1, a byte outside its codes) leaves its byte as read.
#pragma once

#include "core/record/dataport_rules.h"
#include "core/record/profile_layout.h"
#include "core/record/quick_dial_text.h"

#include <array>
#include <string>
#include <string_view>

namespace omniset {

namespace dataadv {
inline constexpr int kMsnChars = 15;       // data port MSN
inline constexpr int kTextChars = 16;      // subaddress and user-to-user text
inline constexpr int kQuickDialChars = 26; // each quick-dial number
inline constexpr int kMinK = 1, kMaxK = 127, kDefaultK = 7;
inline constexpr int kNegotiate = 0, kNoNegotiation = 1; // radio 1009 / 1010
inline constexpr int kRestrict = 0, kIdentify = 1;       // CLIR and COLR radios
} // namespace dataadv

struct DataAdvMembers {
    int m_nK = dataadv::kDefaultK;
    int m_nBaud = -1;
    int m_nDataBits = -1;
    int m_nParity = -1;
    int m_nStopBits = -1;
    int m_nService = -1;
    int m_nClir = -1;
    int m_nColr = -1;
    std::string m_strMsn;
    std::string m_strSubaddr;
    std::string m_strUus;
    int m_bMsn = 0;
    int m_bSubaddr = 0;
    int m_bUus = 0;
    int m_bDsr = 0;
    int m_bDcd = 0;
    int m_bAutobaud = 0;
    std::array<std::string, 4> m_strQuick; // numbers 1..4, device slots 0..3
    int m_nNegotiate = -1;
    int m_nRing = -1;

    bool operator==(const DataAdvMembers&) const = default;
};

struct DataAdvFill {
    bool oddK = false;   // byte 94 was 0 or above 127
    bool oddDsr = false; // byte 109 above 1
    bool oddDcd = false; // byte 106 above 1
    DataAdvMembers shown;
};

DataAdvFill fillDataAdv(const ProfileRecord& image, DataAdvMembers& m);
void packDataAdv(const DataAdvMembers& m, ProfileRecord& image, const DataAdvFill& asRead = {});

bool asyncLineEnabled(int serialMode);
bool v120Enabled(int serialMode, int synProto, int asynProto);

bool allDigits(std::string_view text);

} // namespace omniset
