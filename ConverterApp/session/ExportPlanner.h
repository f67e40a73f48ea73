// Where each exported document goes and under which base name, decided before anything is
// written. A document added from a folder keeps its sub-folder below the export folder;
// within one target folder (compared without regard to case) the first document keeps its
// base name, a later one whose name is taken gets "base (ext)" and then "base 2",
// "base 3", ... A name that would make an output name too long for the file system is
// cut, keeping the distinguishing ending. The export folder is taken as the file system's
// bytes, so a folder whose name is not UTF-8 is written into as it is named on disk; the
// sub-folders and base names are the documents' decoded labels. Pure computation: no file
// is looked at.
#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <map>
#include <set>
#include <vector>

namespace session::ExportPlanner {

struct Source {
    QUrl url;        // the document's file
    QString folder;  // its sub-folder ("" when not added through a folder)
};

struct Target {
    std::filesystem::path directory;  // the folder the document's files are written into (clean path)
    QString baseName;                 // the base name the file names are built from

    bool operator==(const Target& other) const = default;
};

// The names given so far during one plan: lower-cased folder path (as displayed) to
// lower-cased names.
using State = std::map<QString, std::set<QString>>;

// The target of one source under `exportFolder`; records the chosen name in `state`.
Target makeTarget(const Source& source, const std::filesystem::path& exportFolder, State& state);

// One target per source, in order: earlier sources keep their names.
std::vector<Target> plan(const std::vector<Source>& sources, const std::filesystem::path& exportFolder);

}  // namespace session::ExportPlanner
