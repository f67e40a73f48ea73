// The application's resources as one folder: Samples/, Licenses/, Models/ and the product's
// information file Info.json (display name, bundle name, site, version, update feed).
// main() finds the folder once: "Resources" beside the executable (the build tree and a
// relocated copy), else the installed share folder. Callers may rely on resource() giving an
// empty string, never a path, for anything that is not an existing regular file.
#pragma once

#include <QString>
#include <QVariantMap>

namespace shell {

struct ResourceBundle {
    QString resourcesPath;      // the folder holding the resources; may not exist
    QVariantMap info;           // Info.json
    QVariantMap localizedInfo;  // Info.<language>.json for the current language, else empty

    // The running application's resources, found and read on first use.
    static const ResourceBundle& main();

    // The resources in `folder`, with the information files read for `language`
    // (a language code such as "es"; empty for none). A missing or malformed file reads as empty.
    static ResourceBundle load(const QString& folder, const QString& language);

    // The path of the regular file `name` (with `extension` appended after a dot when it is not
    // empty) in the sub-folder `subdirectory`, or an empty string when there is no such file.
    QString resource(const QString& name, const QString& extension, const QString& subdirectory) const;
};

}  // namespace shell
