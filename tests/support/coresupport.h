#pragma once
// The main of a test program of the core library: no widgets, prompts answered by the test, the
// private servers' addresses taken from the fixture's environment file.

#include "platform/dialogseam.h"
#include "sandboxdb.h"

#include <QCoreApplication>
#include <QtTest>

#define RYN_CORE_TEST_MAIN(TestClass)                                                                                  \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QCoreApplication app(argc, argv);                                                                              \
        DialogSeam::setScripted(true);                                                                                 \
        SandboxDb::loadEnvironment();                                                                                  \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
