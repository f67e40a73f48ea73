#include "FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>

#include "session/Paths.h"

namespace windows::FileManager {

QStringList itemURIs(const QList<QUrl>& files) {
    QStringList uris;
    for (const QUrl& file : files) {
        uris << session::Paths::toUrl(session::Paths::toPath(file)).toString(QUrl::FullyEncoded);
    }
    return uris;
}

QUrl fallbackFolder(const QList<QUrl>& files) {
    if (files.isEmpty()) return {};
    return session::Paths::toUrl(session::Paths::toPath(files.front()).parent_path());
}

void showItems(const QList<QUrl>& files) {
    if (files.isEmpty()) return;
    const QUrl folder = fallbackFolder(files);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    call << itemURIs(files) << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [folder](QDBusPendingCallWatcher* finished) {
        if (QDBusPendingReply<> reply = *finished; reply.isError()) QDesktopServices::openUrl(folder);
        finished->deleteLater();
    });
}

}  // namespace windows::FileManager
