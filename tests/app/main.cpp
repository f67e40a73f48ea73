// The suite runs inside a QApplication with the application's style: on the offscreen platform
// unless one is chosen (the screenshot tests run again under Xvfb on xcb).
#include <QApplication>

#include <gtest/gtest.h>

#include "ViewStyle.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ConverterTests"));
    QCoreApplication::setApplicationName(QStringLiteral("app_tests"));
    ViewStyle::applyTo(application);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
