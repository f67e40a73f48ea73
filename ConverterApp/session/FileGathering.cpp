#include "session/FileGathering.h"

#include <QDir>
#include <QFileInfo>

#include "pipeline/DocumentConverter.h"
#include "session/Paths.h"

namespace session::FileGathering {

namespace {
using Paths::fromPath;

QString trimmedSlashes(QString text) {
    while (text.startsWith(QLatin1Char('/'))) text.remove(0, 1);
    while (text.endsWith(QLatin1Char('/'))) text.chop(1);
    return text;
}

void gatherFolder(const std::filesystem::path& folder, Gathered& gathered) {
    const QString clean = QDir::cleanPath(fromPath(folder));
    const QString parent = QFileInfo(clean).path();
    const auto files = ce::DocumentConverter::supportedFiles(folder, true);
    if (files.empty()) {
        const QString name = QFileInfo(clean).fileName();
        gathered.emptyFolders.append(name.isEmpty() ? clean : name);
        return;
    }
    for (const auto& file : files) {
        // The label is shown and names export folders; the file keeps its bytes.
        const QString directory = QDir::cleanPath(QFileInfo(fromPath(file)).path());
        const QString label = directory.startsWith(parent) ? directory.mid(parent.size()) : directory;
        gathered.files.push_back({file, trimmedSlashes(label)});
    }
}
}  // namespace

std::string standardizedPath(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.ends_with('/')) text.pop_back();
    return text;
}

Gathered gather(const std::vector<std::filesystem::path>& paths) {
    Gathered gathered;
    for (const auto& path : paths) {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        if (path.empty() || !std::filesystem::exists(status)) {
            ++gathered.missing;
        } else if (std::filesystem::is_directory(status)) {
            gatherFolder(path, gathered);
        } else if (ce::DocumentConverter::isSupported(path)) {
            gathered.files.push_back({path, QString()});
        } else {
            ++gathered.unsupported;
        }
    }
    return gathered;
}

}  // namespace session::FileGathering
