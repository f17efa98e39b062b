// reply_checks.h - when a reply of the adapter is whole, for reads that end with it
// (SerialReadReply under EndReadsWhenWhole).
//
//   quietMs(settings)              three character times at those line settings, at least
//                                  20 ms: the silence that shows a reply has ended
//   resultLineCheck()              whole once a line "OK" or "ERROR" with its line end has
//                                  come (the final result of an AT command)
//   promptCheck(prompt, quiet)     whole once the prompt has come and the line then stayed
//                                  quiet (prompts end without a line end)
//   profileReplyCheck(length, quiet)   whole once the command's echo and 2(length + 1) hex
//                                  digits with a valid checksum have come and the line then
//                                  stayed quiet (the adapter's closing text is let in)
#pragma once

#include "core/platform/serial_device.h"

#include <string_view>

namespace omniset {

int quietMs(const platform::LineSettings& settings);
platform::ReplyCheck resultLineCheck();
platform::ReplyCheck promptCheck(std::string_view prompt, int quiet);
platform::ReplyCheck profileReplyCheck(int length, int quiet);

} // namespace omniset
