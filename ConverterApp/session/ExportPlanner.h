// Where each exported document goes and under which base name, decided before anything is
// written. A document added from a folder keeps its sub-folder below the export folder;
// within one target folder (compared without regard to case) the first document keeps its
// base name, a later one whose name is taken gets "base (ext)" and then "base 2",
// "base 3", ... A name that would make an output name too long for the file system is
// cut, keeping the distinguishing ending. Pure computation: no file is looked at.
#pragma once

#include <QString>
#include <QUrl>

#include <map>
#include <set>
#include <vector>

namespace session::ExportPlanner {

struct Source {
    QUrl url;        // the document's file
    QString folder;  // its sub-folder ("" when not added through a folder)
};

struct Target {
    QString directory;  // the folder the document's files are written into (clean path)
    QString baseName;   // the base name the file names are built from

    bool operator==(const Target& other) const = default;
};

// The names given so far during one plan: lower-cased folder path to lower-cased names.
using State = std::map<QString, std::set<QString>>;

// The target of one source under `exportFolder`; records the chosen name in `state`.
Target makeTarget(const Source& source, const QString& exportFolder, State& state);

// One target per source, in order: earlier sources keep their names.
std::vector<Target> plan(const std::vector<Source>& sources, const QString& exportFolder);

}  // namespace session::ExportPlanner
