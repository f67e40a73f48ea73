#include "session/ExportPlanner.h"

#include <QDir>

#include "output/ResultExport.h"
#include "session/FileNames.h"

namespace session::ExportPlanner {

Target makeTarget(const Source& source, const QString& exportFolder, State& state) {
    const QString directory = QDir::cleanPath(source.folder.isEmpty() ? exportFolder
                                                                      : exportFolder + QLatin1Char('/') + source.folder);
    const QString fileName = source.url.fileName();
    const QString base = FileNames::baseName(fileName);
    std::set<QString>& taken = state[directory.toLower()];

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

std::vector<Target> plan(const std::vector<Source>& sources, const QString& exportFolder) {
    State state;
    std::vector<Target> targets;
    targets.reserve(sources.size());
    for (const Source& source : sources) targets.push_back(makeTarget(source, exportFolder, state));
    return targets;
}

}  // namespace session::ExportPlanner
