// The background half of adding files: what the given files and folders hold. Folders
// are walked with the engine's listing (supported files at any depth, hidden files and
// packages left out, in the engine's order); each file found gets the folder label of
// its directory relative to the directory holding the given folder. Paths are the file
// system's bytes throughout, so a name that is not valid UTF-8 still names its file.
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

namespace session::FileGathering {

struct File {
    std::filesystem::path path;  // as given, or as the folder listing gave it
    QString folder;              // "" for a file given by itself; "Reports/2023" below a given Reports
};

struct Gathered {
    std::vector<File> files;
    int unsupported = 0;       // given files (not folders) of a type that is not converted
    int missing = 0;           // given paths where nothing exists
    QStringList emptyFolders;  // names of given folders without any supported file
};

// Reads the file system; call it off the main thread. Unsupported files inside folders
// are passed over without a count. An empty path counts as missing.
Gathered gather(const std::vector<std::filesystem::path>& paths);

// The path's bytes with "." and ".." resolved and no trailing "/" (symbolic links are
// kept): the key under which two additions of one file meet.
std::string standardizedPath(const std::filesystem::path& path);

}  // namespace session::FileGathering
