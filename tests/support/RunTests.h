#pragma once

#include <QTest>

template <class Test> int runTest(int argc, char** argv)
{
    Test t;
    return QTest::qExec(&t, argc, argv);
}

// Runs several test classes in one program, in order; non-zero when any of them failed.
template <class... Tests> int runTests(int argc, char** argv)
{
    int status = 0;
    ((status |= runTest<Tests>(argc, argv)), ...);
    return status;
}
