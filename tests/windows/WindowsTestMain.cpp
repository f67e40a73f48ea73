// The suite runs inside a QApplication on the offscreen platform, with the views' style, and
// keeps its settings in a scratch file so that no user setting is read or written.
#include <gtest/gtest.h>

#include <QApplication>

#include "ViewStyle.h"

int main(int argc, char** argv) {
    // Also when CTest lists the tests, which it does without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ConverterTests"));
    QApplication::setApplicationName(QStringLiteral("windows_tests"));
    ViewStyle::applyTo(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
