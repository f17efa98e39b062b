// main() of the GoogleTest programs: every test runs in a scratch home.
#include "test_env.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    omniset::test::setUpScratchHome();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
