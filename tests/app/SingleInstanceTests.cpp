#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/SingleInstance.h"
#include "session/Paths.h"

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

    // A name that is not UTF-8 arrives as its bytes.
    const QList<QUrl> files = {QUrl::fromLocalFile(QStringLiteral("/scans/page 1.png")),
                               session::Paths::toUrl("/scans/caf\xe9.pdf")};
    SingleInstance second(name);
    EXPECT_EQ(second.start(files), SingleInstance::Role::handedOver);
    ASSERT_TRUE(received.wait(5000));
    const auto handed = received[0][0].value<QList<QUrl>>();
    EXPECT_EQ(handed, files);
    ASSERT_EQ(handed.size(), 2);
    EXPECT_EQ(session::Paths::toPath(handed[1]), std::filesystem::path("/scans/caf\xe9.pdf"));

    SingleInstance bare(name);
    EXPECT_EQ(bare.start({}), SingleInstance::Role::handedOver);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_TRUE(received[1][0].value<QList<QUrl>>().isEmpty());
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
