#include <QDir>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/SingleInstance.h"

namespace app {
namespace {

class Instances : public testing::Test {
protected:
    QTemporaryDir dir;
    QString name = dir.filePath(QStringLiteral("instance"));
};

TEST_F(Instances, ASecondStartHandsItsFilesToTheFirst) {
    SingleInstance first(name);
    ASSERT_EQ(first.start({}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::filesReceived);

    SingleInstance second(name);
    EXPECT_EQ(second.start({QStringLiteral("report.pdf"), QStringLiteral("/scans/page 1.png")}),
              SingleInstance::Role::handedOver);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received[0][0].toStringList(),
              (QStringList{QDir::current().absoluteFilePath("report.pdf"), QStringLiteral("/scans/page 1.png")}));

    SingleInstance bare(name);
    EXPECT_EQ(bare.start({}), SingleInstance::Role::handedOver);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_TRUE(received[1][0].toStringList().isEmpty());
}

TEST_F(Instances, TheNameIsFreeAgainWhenTheFirstEnds) {
    {
        SingleInstance first(name);
        ASSERT_EQ(first.start({}), SingleInstance::Role::primary);
    }
    SingleInstance next(name);
    EXPECT_EQ(next.start({}), SingleInstance::Role::primary);
}

TEST_F(Instances, AStrangeMessageIsDropped) {
    SingleInstance first(name);
    ASSERT_EQ(first.start({}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::filesReceived);
    QLocalSocket socket;
    socket.connectToServer(name);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write("not a list of files");
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    EXPECT_FALSE(received.wait(500));
}

}  // namespace
}  // namespace app
