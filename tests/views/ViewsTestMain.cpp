// The views suites run inside one QApplication on Qt's offscreen platform (also when
// CTest lists the tests), with the views' pinned style.
#include <QApplication>
#include <gtest/gtest.h>

#include "ViewStyle.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ViewStyle::applyTo(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
