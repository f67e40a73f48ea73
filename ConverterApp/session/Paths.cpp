#include "session/Paths.h"

#include <optional>
#include <system_error>

namespace session::Paths {

QUrl matchOnDisk(const QUrl& url) {
    const std::filesystem::path path = toPath(url);
    std::error_code error;
    if (!path.is_absolute() || std::filesystem::exists(path, error)) return url;
    std::filesystem::path found = path.root_path();
    for (const std::filesystem::path& part : path.relative_path()) {
        if (std::filesystem::exists(found / part, error)) {
            found /= part;
            continue;
        }
        const QString shown = fromPath(part);
        std::optional<std::filesystem::path> match;
        for (std::filesystem::directory_iterator entry(found, error), end; !error && entry != end;
             entry.increment(error)) {
            if (fromPath(entry->path().filename()) != shown) continue;
            if (match) return url;  // two names that read alike
            match = entry->path();
        }
        if (!match) return url;
        found = *match;
    }
    return toUrl(found);
}

}  // namespace session::Paths
