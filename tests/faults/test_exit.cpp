// Ending the process from deep inside the program (std::exit, as the platform's X11
// plugin does when the display goes away) with the serial channel still open: the
// static objects go in any order and none may use another that is already gone. The
// address sanitizer turns such a use into a failed exit.
#include "core/link/serial_channel.h"
#include "pty_pair.h"
#include "test_env.h"

#include <cstdlib>

#include <gtest/gtest.h>

using namespace omniset;

TEST(ProcessEnd, ExitWithTheChannelOpenIsClean) {
    test::PtyPair pty;
    test::pointPortAt(1, pty.slavePath());
    EXPECT_EXIT(
        {
            if (!SerialOpen(1)) std::_Exit(2);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    test::makePortDangling(1);
}
