#include "tests/qml/harness/setup.h"

#include <QtQuickTest>

QUICK_TEST_MAIN_WITH_SETUP(VANDRA_QUICK_TEST_NAME, QuickTestSetup)
