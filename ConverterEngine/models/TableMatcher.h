// Turns a table model's prediction (OTSL tokens, one box and class per cell token)
// into table cells with grid positions, assigns the page's text cells to them by
// overlap, repairs the assignment column by column, places text that matched nothing,
// and produces one response cell per grid origin in a grid compacted to the rows and
// columns in which some cell starts. All boxes are in the table model's working
// coordinates (page points x 2). Pure functions.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ce {

struct Box4 {
    double x1 = 0;  // left
    double y1 = 0;  // top
    double x2 = 0;  // right
    double y2 = 0;  // bottom
    bool operator==(const Box4&) const = default;
};

// A text cell given to the matcher.
struct PDFCell {
    int id = 0;  // the text cell's index
    std::string text;
    Box4 bbox;
};

struct CellMatch {
    int tableCellID = 0;
    double score = 0;
    bool operator==(const CellMatch&) const = default;
};

// Matches per text cell, walked in the order in which each text cell got its first match.
struct CellMatches {
    std::vector<int> order;
    std::map<int, std::vector<CellMatch>> byTextCell;

    bool empty() const { return order.empty(); }
    // Appends `match` to the text cell's list unless an equal match is already there.
    void add(int textCellID, const CellMatch& match);
    // Replaces the text cell's matches (it joins the order when new).
    void set(int textCellID, std::vector<CellMatch> matches);
    void remove(int textCellID);
};

struct TFTableCell {
    int cellID = 0;
    int rowID = 0;
    int columnID = 0;
    Box4 bbox;
    int cellClass = 2;
    std::string label;  // the cell's OTSL token, or "body" for cells made for orphan text
    std::optional<int> colspan;
    std::optional<int> rowspan;
};

struct TFResponseCell {
    Box4 bbox;
    int rowSpan = 1;
    int colSpan = 1;
    int startRow = -1;
    int endRow = -1;
    int startCol = -1;
    int endCol = -1;
    bool columnHeader = false;
    bool rowHeader = false;
    bool rowSection = false;
    std::vector<std::string> tokens;
};

struct TFResponse {
    std::vector<TFResponseCell> cells;
    int numRows = 0;
    int numCols = 0;
};

namespace TableMatcher {

// Boxes relative to the table box (0...1; each of at least four values) mapped onto the page.
std::vector<Box4> pageBoxes(const Box4& table, const std::vector<std::vector<double>>& relative);

// One cell per cell token; spans from the HTML form. Throws OTSL::ConversionError.
std::vector<TFTableCell> tableCells(const std::vector<std::string>& html, const std::vector<std::string>& otsl,
                                    const std::vector<Box4>& boxes, const std::vector<int>& classes);

// Every text cell scored against every table cell by intersection over the text cell's area.
CellMatches match(const std::vector<TFTableCell>& cells, const std::vector<PDFCell>& textCells);

struct PostProcessed {
    std::vector<TFTableCell> cells;
    CellMatches matches;
    std::vector<PDFCell> textCells;  // those with text
};

PostProcessed postProcess(const std::vector<TFTableCell>& cells, const std::vector<PDFCell>& textCells,
                          const CellMatches& matches);

TFResponse buildItems(const std::vector<TFTableCell>& cells, const CellMatches& matches,
                      const std::vector<PDFCell>& textCells);

}  // namespace TableMatcher
}  // namespace ce
