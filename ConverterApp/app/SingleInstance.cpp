#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace app {
namespace {

constexpr int timeoutMilliseconds = 2000;
constexpr quint32 messageMagic = 0x44435632;  // "DCV2"

}  // namespace

QString SingleInstance::defaultServerName() {
    const QString name = QStringLiteral("document-converter-%1").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime).isDir() ? runtime + u'/' + name : name;
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::Role SingleInstance::start(const QList<QUrl>& files) {
    if (handOver(files)) return Role::handedOver;

    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        // Nobody answered, so a socket of that name is left from an instance that ended.
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_)) {
            delete server_;
            server_ = nullptr;
            return Role::unavailable;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                read(socket);
                socket->deleteLater();
            });
            connect(socket, &QLocalSocket::readyRead, this, [socket] {
                if (socket->bytesAvailable() > maxMessageBytes) socket->abort();
            });
        }
    });
    return Role::primary;
}

bool SingleInstance::handOver(const QList<QUrl>& files) {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMilliseconds)) return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << messageMagic << files;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMilliseconds)) return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMilliseconds);
    return true;
}

void SingleInstance::read(QLocalSocket* socket) {
    const QByteArray message = socket->readAll();
    if (message.size() > maxMessageBytes) return;
    QDataStream in(message);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    QList<QUrl> files;
    in >> magic >> files;
    if (in.status() != QDataStream::Ok || magic != messageMagic || !in.atEnd()) return;
    emit filesReceived(files);
}

}  // namespace app
