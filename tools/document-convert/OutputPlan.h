// Where document-convert writes each document and under which base name, decided before
// anything is written, with the rules of the application's export: a document found in a
// folder keeps its sub-folder (the given folder's name first) below the output folder,
// and within one target folder (compared without regard to case) the first document
// keeps its base name while a later one whose name is taken gets "base (ext)", then
// "base 2", "base 3", ... A name that would make an output name too long for the file
// system is cut, keeping the distinguishing ending. Pure computation: no file is looked at.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace OutputPlan {

struct Source {
    std::filesystem::path file;
    std::string folder;  // its sub-folder, "" for a file given directly
};

struct Target {
    std::filesystem::path directory;
    std::string baseName;
    bool operator==(const Target&) const = default;
};

// One target per source, in order: earlier sources keep their names.
std::vector<Target> plan(const std::vector<Source>& sources, const std::filesystem::path& outputFolder);

}  // namespace OutputPlan
