#include "ui_test.h"

#include <QTest>

QTEST_MAIN(UiTest)
