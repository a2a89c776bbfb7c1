#include "catalogue_test.h"

void TestCatalogue::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestCatalogue)
