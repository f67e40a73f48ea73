#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "shell/Appcast.h"
#include "shell/Updater.h"

namespace shell {
namespace {

QByteArray feed(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:u="http://example.org/updates"><channel><title>Updates</title>)" +
           items + "</channel></rss>";
}

TEST(AppcastVersion, ComparesDottedNumbersPartByPart) {
    using Appcast::Version;
    EXPECT_LT(*Version::parse("1.9"), *Version::parse("1.10"));
    EXPECT_EQ(*Version::parse("1.2"), *Version::parse("1.2.0"));
    EXPECT_GT(*Version::parse("v2.0.1"), *Version::parse(" 2.0 "));
    for (const char* bad : {"", "1..2", "1.2-beta", "one", "1.", "99999999999999999999"}) {
        EXPECT_FALSE(Version::parse(QString::fromLatin1(bad))) << bad;
    }
}

TEST(Appcast, TheNewestItemWinsWhateverItsPlace) {
    const auto release = Appcast::newestRelease(feed(
        R"(<item><u:version>1.4.0</u:version><link>https://example.org/1.4</link></item>
           <item><enclosure url="https://example.org/x" u:version="1.10"/>
                 <u:releaseNotesLink>https://example.org/notes/1.10</u:releaseNotesLink>
                 <link>https://example.org/1.10</link></item>
           <item><u:version>beta</u:version></item>
           <item><u:version>1.9</u:version><link>javascript:alert(1)</link></item>)"));
    ASSERT_TRUE(std::holds_alternative<Appcast::Release>(release));
    EXPECT_EQ(std::get<Appcast::Release>(release).version, "1.10");
    EXPECT_EQ(std::get<Appcast::Release>(release).releaseNotes.toString(), "https://example.org/notes/1.10");
}

TEST(Appcast, MalformedFeedsAreErrors) {
    for (const QByteArray& bad : {QByteArray("<rss><channel><item><version>1.0</version>"),
                                  QByteArray("<html><item><version>1.0</version></item></html>"),
                                  feed("<item><title>no version</title></item>"), QByteArray("")}) {
        EXPECT_TRUE(std::holds_alternative<Appcast::FeedError>(Appcast::newestRelease(bad))) << bad.toStdString();
    }
}

// Serves one fixed HTTP response on 127.0.0.1 to every connection and counts the connections.
class FeedServer {
public:
    explicit FeedServer(QByteArray body) : body_(std::move(body)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n"
                                  "Content-Length: " + QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server_.serverPort())); }
    int connections = 0;

private:
    QTcpServer server_;
    QByteArray body_;
    QByteArray request_;
};

UpdateCheckResult check(const QUrl& url, const QString& version) {
    Updater updater(Updater::Options{url, version, 5000});
    QSignalSpy finished(&updater, &Updater::checkFinished);
    QSignalSpy canCheck(&updater, &Updater::canCheckForUpdatesChanged);
    EXPECT_TRUE(updater.canCheckForUpdates());
    updater.checkForUpdates();
    if (finished.isEmpty()) {
        EXPECT_FALSE(updater.canCheckForUpdates());
        EXPECT_TRUE(finished.wait(10000));
    }
    EXPECT_TRUE(updater.canCheckForUpdates());
    EXPECT_EQ(finished.size(), 1);
    return finished.isEmpty() ? UpdateCheckResult{} : finished.front().front().value<UpdateCheckResult>();
}

const QByteArray releases = feed(R"(<item><u:version>1.2.0</u:version>
    <u:releaseNotesLink>https://example.org/notes/1.2.0</u:releaseNotesLink></item>
    <item><u:version>1.1.0</u:version></item>)");

TEST(Updater, ReportsANewerVersionWithItsReleaseNotes) {
    FeedServer server(releases);
    const UpdateCheckResult result = check(server.url(), "1.1");
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::updateAvailable);
    EXPECT_EQ(result.latestVersion, "1.2.0");
    EXPECT_EQ(result.releaseNotes.toString(), "https://example.org/notes/1.2.0");
    EXPECT_EQ(server.connections, 1);
}

TEST(Updater, TheSameVersionIsUpToDate) {
    FeedServer server(releases);
    const UpdateCheckResult result = check(server.url(), "1.2");
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::upToDate);
    EXPECT_EQ(result.latestVersion, "1.2.0");
}

TEST(Updater, AMalformedFeedFailsTheCheck) {
    FeedServer server("<rss><channel><item><version>1.3");
    const UpdateCheckResult result = check(server.url(), "1.2");
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(Updater, AnUnreachableFeedFailsTheCheck) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    const UpdateCheckResult result = check(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)), "1.2");
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(Updater, RefusesAPlainHttpFeedElsewhere) {
    const UpdateCheckResult result = check(QUrl(QStringLiteral("http://example.org/appcast.xml")), "1.2");
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_TRUE(result.error.contains("https"));
}

TEST(Updater, ContactsNothingUntilAsked) {
    FeedServer server(releases);
    Updater updater(Updater::Options{server.url(), "1.0", 5000});
    QSignalSpy finished(&updater, &Updater::checkFinished);
    EXPECT_FALSE(finished.wait(300));
    EXPECT_EQ(server.connections, 0);
}

TEST(Updater, WithoutAFeedItCannotCheck) {
    Updater updater(Updater::Options{});
    EXPECT_FALSE(updater.canCheckForUpdates());
}

}  // namespace
}  // namespace shell
