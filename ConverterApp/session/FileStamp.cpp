#include "session/FileStamp.h"

#include <QFile>

#include <sys/stat.h>

namespace session {

QDateTime FileStamp::distantPast() {
    static const QDateTime value(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    return value;
}

FileStamp FileStamp::of(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0) return {};
    const qint64 milliseconds =
        static_cast<qint64>(info.st_mtim.tv_sec) * 1000 + static_cast<qint64>(info.st_mtim.tv_nsec / 1000000);
    return {static_cast<qint64>(info.st_size), QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC)};
}

}  // namespace session
