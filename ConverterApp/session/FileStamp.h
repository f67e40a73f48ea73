// A file's size and modification time, read on demand. Views fold it into cache keys so
// that a file changed on disk is drawn afresh. Reading never fails: what cannot be read
// is size -1 and the one distant-past time, so all unreadable stamps are equal.
#pragma once

#include <QDateTime>
#include <QString>

#include <filesystem>

namespace session {

struct FileStamp {
    qint64 size = -1;
    QDateTime modified = distantPast();

    // 0001-01-01 00:00:00 UTC: the modification time of a file that cannot be read.
    static QDateTime distantPast();

    // The stamp of the entry at `path` itself: a symbolic link is not followed.
    static FileStamp of(const std::filesystem::path& path);

    bool operator==(const FileStamp& other) const = default;
};

}  // namespace session
