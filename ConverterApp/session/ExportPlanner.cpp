#include "session/ExportPlanner.h"

#include "output/ResultExport.h"
#include "session/FileNames.h"
#include "session/Paths.h"

namespace session::ExportPlanner {

Target makeTarget(const Source& source, const std::filesystem::path& exportFolder, State& state) {
    const std::filesystem::path directory =
        Paths::clean(source.folder.isEmpty() ? exportFolder : exportFolder / Paths::toPath(source.folder));
    const QString fileName = source.url.fileName();
    const QString base = FileNames::baseName(fileName);
    // All targets of one plan share the export folder, so its decoded name keys them apart
    // as well as its bytes would.
    std::set<QString>& taken = state[Paths::fromPath(directory).toLower()];

    // Every candidate is cut to fit the file-name limit before it is compared, so names
    // cut alike still come out distinct.
    const std::string utf8Base = base.toStdString();
    const auto fitted = [&](const QString& suffix) {
        return QString::fromStdString(ce::ResultExport::fittedBaseName(utf8Base, suffix.toStdString()));
    };
    QString chosen = fitted({});
    if (taken.contains(chosen.toLower())) {
        chosen = fitted(QStringLiteral(" (") + FileNames::extension(fileName).toLower() + QLatin1Char(')'));
        for (int n = 2; taken.contains(chosen.toLower()); ++n) chosen = fitted(QLatin1Char(' ') + QString::number(n));
    }
    taken.insert(chosen.toLower());
    return {directory, chosen};
}

std::vector<Target> plan(const std::vector<Source>& sources, const std::filesystem::path& exportFolder) {
    State state;
    std::vector<Target> targets;
    targets.reserve(sources.size());
    for (const Source& source : sources) targets.push_back(makeTarget(source, exportFolder, state));
    return targets;
}

}  // namespace session::ExportPlanner
