// Widget tests run without a display unless the caller chose a platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TestPlatform.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
