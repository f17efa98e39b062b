// scripted_link.h - the program's link layer against replies taken from a fuzz input.
//
//   initProgram(argc, argv)   once per process: a QApplication on the offscreen platform,
//                             a scratch settings home, an instant clock (waits pass at
//                             once), message boxes answered from boxAnswer, endProcess()
//                             recorded instead of ending, COM1..COM4 served by the script
//   ScriptedLink::start(replies, boxAnswer)
//                             opens COM1 and queues one reply per command the program
//                             writes from now on (the first write gets replies[0], ...;
//                             writes beyond the list get nothing); resets the records
//   ScriptedLink::finish()    closes the channel
//   writes / boxesShown / exitCode   what happened during the input
#pragma once

#include "core/platform/message_box.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

void initProgram(int* argc, char*** argv);

struct ScriptedLink {
    static void start(const std::vector<std::string_view>& replies,
                      omniset::platform::BoxAnswer boxAnswer = omniset::platform::BoxAnswer::Ok);
    static void finish();

    static std::vector<std::string> writes;
    static int boxesShown;
    static std::optional<int> exitCode;
};

} // namespace fuzz
