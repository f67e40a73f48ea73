// The suite runs inside a QCoreApplication so that queued calls and timers work.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ConverterTests"));
    QCoreApplication::setApplicationName(QStringLiteral("session_tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
