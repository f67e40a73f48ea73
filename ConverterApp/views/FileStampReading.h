// A file's stamp in the units of the page renderer's cache key: the size in bytes
// (-1 when unknown) and the modification time in seconds since 1 January 2001
// 00:00:00 UTC (the distant past, -63114076800, when unknown).
#pragma once

#include <QString>
#include <QtGlobal>

namespace FileStampReading {

inline constexpr double distantPast = -63114076800.0;

struct Stamp {
    qint64 size = -1;
    double modified = distantPast;
};

Stamp read(const QString& path);

}  // namespace FileStampReading
