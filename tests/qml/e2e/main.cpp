#include "tests/qml/e2e/roadfixture.h"

#include <QtQuickTest>

QUICK_TEST_MAIN_WITH_SETUP(tst_road, RoadFixture)
