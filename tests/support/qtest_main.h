// OMNISET_QTEST_MAIN(TestClass): QtTest main() running in a scratch home with a
// QApplication (the offscreen platform is set by CTest) and the window program's wait
// cursor.
//
// With OMNISET_TEST_SHARD="i/n" in the environment and no test functions named on the
// command line, it runs only shard i (0-based) of n: every n-th test function from the
// i-th, in declaration order, so that CTest can run a long test class as n entries.
#pragma once

#include "gui/platform/window_presenters.h"
#include "test_env.h"

#include <QApplication>
#include <QMetaMethod>
#include <QtTest>

#include <cstdlib>

namespace omniset::test {

// The arguments for QTest::qExec: argv, plus the functions of this run's shard.
inline QStringList shardArguments(const QObject& testObject, int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const char* shard = std::getenv("OMNISET_TEST_SHARD");
    int index = 0;
    int count = 0;
    if (argc > 1 || !shard || std::sscanf(shard, "%d/%d", &index, &count) != 2 || count < 1)
        return args;
    const QMetaObject* meta = testObject.metaObject();
    const QStringList fixtures{"initTestCase", "cleanupTestCase", "init", "cleanup"};
    int n = 0;
    for (int m = meta->methodOffset(); m < meta->methodCount(); ++m) {
        const QMetaMethod method = meta->method(m);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private ||
            method.parameterCount() != 0 || fixtures.contains(name) || name.endsWith("_data"))
            continue;
        if (n++ % count == index) args << name;
    }
    return args;
}

} // namespace omniset::test

#define OMNISET_QTEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                            \
        omniset::test::setUpScratchHome();                                                       \
        QApplication app(argc, argv);                                                            \
        omniset::platform::installWidgetWaitCursor();                                            \
        TestClass tc;                                                                            \
        return QTest::qExec(&tc, omniset::test::shardArguments(tc, argc, argv));                 \
    }
