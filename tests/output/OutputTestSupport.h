// Helpers shared by the output suites: fixtures for tables and elements, a scratch
// folder that removes itself, and running a reader program on written bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/ConversionResult.h"
#include "core/DocElement.h"
#include "core/TableStructure.h"

namespace ce::testing {

inline TableCellItem cell(int row, int col, std::string text, int rowSpan = 1, int colSpan = 1,
                          bool header = false) {
    TableCellItem c;
    c.text = std::move(text);
    c.startRow = row;
    c.endRow = row + rowSpan;
    c.startCol = col;
    c.endCol = col + colSpan;
    c.columnHeader = header;
    return c;
}

inline TableStructure table(int rows, int cols, std::vector<TableCellItem> cells) {
    TableStructure t;
    t.numRows = rows;
    t.numCols = cols;
    t.cells = std::move(cells);
    return t;
}

inline DocElement element(DocElementKind kind, std::string text, int clusterID = 0) {
    DocElement e;
    e.kind = kind;
    e.orig = text;
    e.text = std::move(text);
    e.clusterID = clusterID;
    return e;
}

inline DocElement listItem(std::string text, std::optional<int> listID, std::string marker = "",
                           bool enumerated = false) {
    DocElement e = element(DocElementKind::listItem, std::move(text));
    e.listID = listID;
    e.marker = std::move(marker);
    e.enumerated = enumerated;
    return e;
}

// A fresh folder below the system's temporary folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("ce-output-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The standard output of a shell command, or nothing when it could not run or failed.
inline std::optional<std::string> runCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    if (pclose(pipe) != 0) return std::nullopt;
    return out;
}

inline bool hasPython() { return runCommand("python3 -c 'import csv, json' 2>/dev/null").has_value(); }

}  // namespace ce::testing
