// A Settings store of its own in a temporary INI file for each test.
#pragma once

#include <memory>

#include <QTemporaryDir>

#include "session/Settings.h"

namespace app::test {

struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("settings.ini"));
    std::unique_ptr<session::Settings> settings = std::make_unique<session::Settings>(path);
};

}  // namespace app::test
