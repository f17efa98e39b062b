// OMNISET_QTEST_MAIN(TestClass): QtTest main() running in a scratch home with a
// QApplication (the offscreen platform is set by CTest).
#pragma once

#include "test_env.h"

#include <QApplication>
#include <QtTest>

#define OMNISET_QTEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                            \
        omniset::test::setUpScratchHome();                                                       \
        QApplication app(argc, argv);                                                            \
        TestClass tc;                                                                            \
        return QTest::qExec(&tc, argc, argv);                                                    \
    }
