#include "session/FileNames.h"

namespace session::FileNames {

namespace {
// The position of the dot that starts the extension, or -1.
qsizetype extensionDot(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1) return -1;
    return dot;
}
}  // namespace

QString extension(const QString& fileName) {
    const qsizetype dot = extensionDot(fileName);
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

QString baseName(const QString& fileName) {
    const qsizetype dot = extensionDot(fileName);
    return dot < 0 ? fileName : fileName.left(dot);
}

}  // namespace session::FileNames
