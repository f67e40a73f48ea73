// How the outcome of a user's update check is shown: a small box saying that a newer version
// exists (with a link to its release notes), that this is the newest, or why the check failed.
// Nothing is downloaded; the link opens in the web browser.
#pragma once

#include <memory>

#include <QMessageBox>

#include "shell/Updater.h"

namespace app::UpdateResult {

std::unique_ptr<QMessageBox> make(QWidget* parent, const shell::UpdateCheckResult& result,
                                  const QString& currentVersion);

// Shows the box without blocking; it deletes itself when closed.
void show(QWidget* parent, const shell::UpdateCheckResult& result, const QString& currentVersion);

}  // namespace app::UpdateResult
