#include "tests/qml/harness/setup.h"

#include <QtQuickTest>

// Written out rather than through QUICK_TEST_MAIN_WITH_SETUP, which would
// stringify the macro's name instead of the suite's.
int main(int argc, char **argv)
{
    QTEST_SET_MAIN_SOURCE_PATH
    QuickTestSetup setup;
    return quick_test_main_with_setup(argc, argv, VANDRA_QUICK_TEST_NAME, nullptr, &setup);
}
