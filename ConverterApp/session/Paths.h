// Conversions between Qt's file names and URLs and the engine's paths, byte for byte in
// the file system's encoding, so names that are not valid UTF-8 survive the trip. A file
// URL keeps such bytes percent-encoded; only its decoded text (QUrl::fileName(),
// toLocalFile()) shows them as replacement characters, which is for display alone.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QUrl>

#include <filesystem>

namespace session::Paths {

inline std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The file system's bytes of a local file URL; an empty path for any other URL.
inline std::filesystem::path toPath(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    return std::filesystem::path(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
}

// A local file URL holding the path's bytes as they are.
inline QUrl toUrl(const std::filesystem::path& path) {
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path.string()).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

// The path without "." and ".." parts, doubled separators or a trailing separator.
inline std::filesystem::path clean(const std::filesystem::path& path) {
    std::filesystem::path cleaned = path.lexically_normal();
    if (!cleaned.has_filename() && cleaned != cleaned.root_path()) cleaned = cleaned.parent_path();
    return cleaned;
}

// A file named on the command line, made absolute against the current folder, as a local
// file URL of the argument's bytes (Qt's own decoding of arguments would replace bytes
// that are not UTF-8).
inline QUrl fromArgument(const char* argument) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(argument, error);
    if (error) path = argument;
    return toUrl(clean(path));
}

// The entry on disk that a local file URL stands for when its name came through a decoding
// that replaced the bytes that are not UTF-8 (Qt's file dialog lists names so): found part
// by part among the entries whose names read the same, when exactly one does. The URL
// itself when it names an existing entry, is not an absolute local file, or the entry it
// stands for is not found or not alone.
QUrl matchOnDisk(const QUrl& url);

inline QString fromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace session::Paths
