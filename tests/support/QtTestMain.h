// The main() of the window tests: QTEST_MAIN with Outlook's stand-in installed first, as the
// program's own main() installs it.
#pragma once

#include "platform/outlook/OutlookApplication.h"

#include <QApplication>
#include <QTest>

#define TWINLEAF_QTEST_MAIN(TestObject)                                                           \
    int main(int argc, char** argv) {                                                              \
        twinleaf::outlook::registerOutlookApplication();                                           \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
