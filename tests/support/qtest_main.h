// OMNISET_QTEST_MAIN(TestClass): QtTest main() running in a scratch home with a
// QApplication (the offscreen platform is set by CTest) and the window program's wait
// cursor.
#pragma once

#include "gui/platform/window_presenters.h"
#include "test_env.h"

#include <QApplication>
#include <QtTest>

#define OMNISET_QTEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                            \
        omniset::test::setUpScratchHome();                                                       \
        QApplication app(argc, argv);                                                            \
        omniset::platform::installWidgetWaitCursor();                                            \
        TestClass tc;                                                                            \
        return QTest::qExec(&tc, argc, argv);                                                    \
    }
