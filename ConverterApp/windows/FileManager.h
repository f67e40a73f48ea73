// Showing files in the desktop's file manager: the freedesktop file-manager interface
// over D-Bus (org.freedesktop.FileManager1.ShowItems, which opens their folder with the
// files selected); when no file manager answers it, the folder of the first file is
// opened instead. The URIs keep the files' bytes, so names that are not UTF-8 are found.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace windows::FileManager {

// The URIs handed to ShowItems: each file as a file:// URI, in order.
QStringList itemURIs(const QList<QUrl>& files);
// The folder opened when ShowItems fails: the folder holding the first file.
QUrl fallbackFolder(const QList<QUrl>& files);

// Asks the file manager to show the files; returns at once. Nothing for an empty list.
void showItems(const QList<QUrl>& files);

}  // namespace windows::FileManager
