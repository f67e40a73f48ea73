#include "session/FileGathering.h"

#include <QDir>
#include <QFileInfo>

#include "pipeline/DocumentConverter.h"
#include "session/Paths.h"

namespace session::FileGathering {

namespace {
using Paths::fromPath;
using Paths::toPath;

QString trimmedSlashes(QString text) {
    while (text.startsWith(QLatin1Char('/'))) text.remove(0, 1);
    while (text.endsWith(QLatin1Char('/'))) text.chop(1);
    return text;
}

void gatherFolder(const QString& folder, Gathered& gathered) {
    const QString clean = standardizedPath(folder);
    const QString parent = QFileInfo(clean).path();
    const auto files = ce::DocumentConverter::supportedFiles(toPath(folder), true);
    if (files.empty()) {
        const QString name = QFileInfo(clean).fileName();
        gathered.emptyFolders.append(name.isEmpty() ? clean : name);
        return;
    }
    for (const auto& file : files) {
        const QString path = fromPath(file);
        const QString directory = standardizedPath(QFileInfo(path).path());
        const QString label = directory.startsWith(parent) ? directory.mid(parent.size()) : directory;
        gathered.files.push_back({path, trimmedSlashes(label)});
    }
}
}  // namespace

QString standardizedPath(const QString& path) { return QDir::cleanPath(path); }

Gathered gather(const QStringList& paths) {
    Gathered gathered;
    for (const QString& path : paths) {
        std::error_code error;
        const auto status = std::filesystem::status(toPath(path), error);
        if (path.isEmpty() || !std::filesystem::exists(status)) {
            ++gathered.missing;
        } else if (std::filesystem::is_directory(status)) {
            gatherFolder(path, gathered);
        } else if (ce::DocumentConverter::isSupported(toPath(path))) {
            gathered.files.push_back({path, QString()});
        } else {
            ++gathered.unsupported;
        }
    }
    return gathered;
}

}  // namespace session::FileGathering
