// File-name pieces as the export and the lists use them: only the last extension counts,
// and a dot that starts or ends the name does not begin one ("Report.final.pdf" has the
// base "Report.final"; "noext", ".hidden" and "a." have no extension and stay whole).
#pragma once

#include <QString>

namespace session::FileNames {

// The extension after the last dot, as written ("x.PDF" gives "PDF"); "" when none.
QString extension(const QString& fileName);

// The name without its last extension and the dot before it.
QString baseName(const QString& fileName);

}  // namespace session::FileNames
