#include "tests/qml/control/enginefixture.h"

#include <QtQuickTest>

QUICK_TEST_MAIN_WITH_SETUP(tst_qml_control, EngineFixture)
