// identification.h - who the adapter is: the "ati3", "ati4" and "ati6" exchanges.
//
//   identifyAdapter()                   the three exchanges (purge, write, one blocking read
//                                       of up to 50 bytes each, no events dispatched) and
//                                       the texts taken from their replies
//   general::isCurrentFirmware(reply)   the "ati3" reply holds "2.0" anywhere
//   general::versionText(reply)         from "Version" up to the next CR ("" without either)
//   general::portTypeText(reply)        12 characters from position 28 (fewer, or none)
//   general::modelText(reply)           from "Velmar" up to the next CR ("" without either)
//   adapterExchange(command, limit, whole)   purge, write, read up to limit bytes (ending
//                                       early, where reads may, once whole says so: by
//                                       default at the final result line); the reply
//                                       ends at its first zero byte
#pragma once

#include "core/link/reply_checks.h"

#include <QString>

#include <string>
#include <string_view>

namespace omniset {

namespace general {
bool isCurrentFirmware(std::string_view reply);
QString versionText(std::string_view reply);
QString portTypeText(std::string_view reply);
QString modelText(std::string_view reply);
} // namespace general

struct AdapterIdentity {
    std::string versionReply; // the whole "ati3" reply (the record length follows from it)
    QString version;          // "Version ..." as the General page shows it
    QString portType;
    QString model;
    bool current = false; // firmware 2.0
};

AdapterIdentity identifyAdapter();
std::string adapterExchange(std::string_view command, int limit,
                            const platform::ReplyCheck& whole = resultLineCheck());

} // namespace omniset
