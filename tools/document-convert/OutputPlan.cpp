#include "OutputPlan.h"

#include <map>
#include <set>

#include <unicode/locid.h>

#include "core/Unicode.h"
#include "output/ResultExport.h"

namespace OutputPlan {

namespace {

std::string lowered(const std::string& text) {
    return ce::toUtf8(ce::toUnicode(text).toLower(icu::Locale::getRoot()));
}

}  // namespace

std::vector<Target> plan(const std::vector<Source>& sources, const std::filesystem::path& outputFolder) {
    std::map<std::string, std::set<std::string>> taken;  // lower-cased folder -> lower-cased names
    std::vector<Target> targets;
    for (const Source& source : sources) {
        const std::filesystem::path directory =
            (source.folder.empty() ? outputFolder : outputFolder / source.folder).lexically_normal();
        std::set<std::string>& names = taken[lowered(directory.string())];
        const std::string base = source.file.stem().string();
        // Every candidate is cut to fit the file-name limit before it is compared, so
        // names cut alike still come out distinct.
        std::string chosen = ce::ResultExport::fittedBaseName(base);
        if (names.contains(lowered(chosen))) {
            std::string extension = source.file.extension().string();
            if (!extension.empty()) extension.erase(0, 1);
            chosen = ce::ResultExport::fittedBaseName(base, " (" + lowered(extension) + ")");
            for (int n = 2; names.contains(lowered(chosen)); ++n)
                chosen = ce::ResultExport::fittedBaseName(base, " " + std::to_string(n));
        }
        names.insert(lowered(chosen));
        targets.push_back({directory, chosen});
    }
    return targets;
}

}  // namespace OutputPlan
