// profile_transfer.h - reading and writing the adapter's configuration record.
//
//   ProfileLength / ProfileNumber    record length of this run (314 or 326); the profile
//                                    the sheet shows (0..5, 5 = current configuration)
//   ProfileImage()                   the process-wide record
//   DetermineProfileLength()         "ati3\r", reply of up to 50 bytes, fixes ProfileLength
//                                    and allocates ProfileImage
//   UnlockProfiles()                 "AT&P\r" + access code + "\r", then the two waits
//   ReadProfile(command)             read a record; true and ProfileImage replaced when its
//                                    checksum holds, false and nothing changed otherwise
//   LastReadOutcome()                why the last ReadProfile failed (None after a success):
//                                    silence, a short or garbled reply, a bad checksum, a
//                                    port that went away; with the hex digits that came
//   EncodeProfile()                  checksum and hex text of ProfileImage (ProfileHexText)
//   WriteProfile(command, owner)     send the hex text, wait up to 60 s for "OK"; the
//                                    failure box is owned by owner (the sheet); a port
//                                    that went away fails it at once, with no box but
//                                    the channel's
//   profileReadCommand(n) / profileWriteCommand(n) / profileName(n)
//   setSynchronousModeQuery(fn)      tells WriteProfile whether the data port page has the
//                                    synchronous serial mode selected (default: no)
#pragma once

#include "core/platform/message_box.h"
#include "core/record/profile_layout.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace omniset {

extern int ProfileLength;
extern int ProfileNumber;

inline constexpr int kCurrentProfile = 5;
inline constexpr int kWriteAckLimitMs = 60000;

ProfileRecord& ProfileImage();
const std::string& ProfileHexText();

void AllocateProfile(int length);
void DetermineProfileLength();
void UnlockProfiles();
bool ReadProfile(std::string_view command);

enum class ReadFailure {
    None,
    Silence,     // nothing came after the command's echo (received: 0 when not even that)
    ShortReply,  // hexDigits of hexWanted hex digits came, then the reply ended
    Garbled,     // a character that is no hex digit after hexDigits of them
    BadChecksum, // the whole record came and its checksum does not hold
    PortLost,    // the port went away during the read
};
struct ReadOutcome {
    ReadFailure failure = ReadFailure::None;
    int received = 0;  // bytes of the reply, the echo included
    int hexDigits = 0; // hex digits in a row after the echo
    int hexWanted = 0; // 2 * (ProfileLength + 1)
};
const ReadOutcome& LastReadOutcome();
void EncodeProfile();
bool WriteProfile(std::string_view command, platform::BoxOwner owner = nullptr);

std::string profileReadCommand(int profile);
std::string profileWriteCommand(int profile);
QString profileName(int profile); // in the current language

void setSynchronousModeQuery(std::function<bool()> query);

// The text of the synchronous-mode notice shown before a write.
QString synchronousModeNotice();

} // namespace omniset
