// Which files the engine accepts, and the accepted files of a folder.
// Files are recognised by their lower-cased extension only; nothing is opened.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace ce::SupportedFiles {

// The nine accepted file types in order: PDF, PNG, JPEG, TIFF, HEIC, HEIF, BMP, GIF, WebP.
struct FileType {
    std::string name;
    std::vector<std::string> extensions;
};
const std::vector<FileType>& supportedTypes();

// Every extension of every supported type, lower case, without the dot.
const std::set<std::string>& supportedExtensions();

// The lower-cased extension of `url` without the dot ("" when there is none).
std::string lowercasedExtension(const std::filesystem::path& url);

bool isSupported(const std::filesystem::path& url);

// The supported regular files below `folder` (every depth when `recursive`, else the
// folder's own entries), leaving out hidden entries and the insides of bundle folders,
// sorted by path with numbers compared by value ("page2" before "page10").
// A folder that cannot be listed gives an empty list.
std::vector<std::filesystem::path> supportedFiles(const std::filesystem::path& folder, bool recursive);

// Sorts paths the way a file manager lists them: locale collation with numeric ordering.
void sortLikeFileManager(std::vector<std::filesystem::path>& paths);

}  // namespace ce::SupportedFiles
