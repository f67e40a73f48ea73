// Conversions between Qt's file names and the engine's paths, byte for byte in the file
// system's encoding, so names that are not valid UTF-8 survive the trip.
#pragma once

#include <QFile>
#include <QString>
#include <QUrl>

#include <filesystem>

namespace session::Paths {

inline std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

inline std::filesystem::path toPath(const QUrl& url) { return toPath(url.toLocalFile()); }

inline QString fromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace session::Paths
