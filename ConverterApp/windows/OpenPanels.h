// The three open panels: files to add (only the engine's supported types, several at
// once), folders to add (several at once) and the export folder (one, new folders
// allowed). Each is a fresh modal QFileDialog; anything but the accepting button counts
// as a cancellation. Chosen entries come back as they are named on disk, also when their
// names are not UTF-8 (which the dialog lists decoded).
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

class QWidget;

namespace windows::OpenPanels {

// The file-type filter of the Add Files panel, from the engine's table of supported types:
// one filter of every supported extension (lower and upper case) first, then one per type.
QStringList nameFilters();

QList<QUrl> chooseFilesToAdd(QWidget* parent);
QList<QUrl> chooseFolderToAdd(QWidget* parent);
std::optional<QUrl> chooseExportFolder(QWidget* parent);

}  // namespace windows::OpenPanels
