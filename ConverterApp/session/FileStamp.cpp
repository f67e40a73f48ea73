#include "session/FileStamp.h"

#include <sys/stat.h>

namespace session {

QDateTime FileStamp::distantPast() {
    static const QDateTime value(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    return value;
}

FileStamp FileStamp::of(const std::filesystem::path& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) return {};
    const qint64 milliseconds =
        static_cast<qint64>(info.st_mtim.tv_sec) * 1000 + static_cast<qint64>(info.st_mtim.tv_nsec / 1000000);
    return {static_cast<qint64>(info.st_size), QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC)};
}

}  // namespace session
