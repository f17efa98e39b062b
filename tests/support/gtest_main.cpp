// main() of the GoogleTest programs: every test runs in a scratch home, with a
// QCoreApplication so that event dispatching can be tested.
#include "test_env.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    omniset::test::setUpScratchHome();
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
