// One running application per user: the first start listens on a local socket; a later start
// hands its files (local file URLs, which keep a name's bytes) to the running one and exits.
// The running one reports them with filesReceived(), also an empty list (a bare second start,
// which should bring the window forward). A socket left behind by a crashed instance is taken
// over. A message is a QDataStream of a list of URLs, at most 4 MiB; anything else is dropped.
// Main thread only; its state is the server and the connections being read.
#pragma once

#include <QObject>
#include <QList>
#include <QUrl>

class QLocalServer;
class QLocalSocket;

namespace app {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { primary, handedOver, unavailable };

    static constexpr qint64 maxMessageBytes = 4 << 20;

    // The server name for this user (in XDG_RUNTIME_DIR when set).
    static QString defaultServerName();

    explicit SingleInstance(QString serverName, QObject* parent = nullptr);

    // Hands `files` to a running instance (handedOver), or becomes the running one (primary);
    // unavailable when neither works, in which case the caller goes on alone.
    Role start(const QList<QUrl>& files);

signals:
    void filesReceived(const QList<QUrl>& files);

private:
    bool handOver(const QList<QUrl>& files);
    void read(QLocalSocket* socket);

    QString serverName_;
    QLocalServer* server_ = nullptr;
};

}  // namespace app
