#include <gtest/gtest.h>

#include "models/TableMatcher.h"

using namespace ce;

namespace {
TFTableCell tableCell(int id, int row, int column, Box4 box, int cellClass = 2) {
    TFTableCell c;
    c.cellID = id;
    c.rowID = row;
    c.columnID = column;
    c.bbox = box;
    c.cellClass = cellClass;
    c.label = "fcel";
    return c;
}
PDFCell text(int id, const char* t, Box4 box) { return {id, t, box}; }
}  // namespace

TEST(TableMatcher, CellsFromTokensTakeGridPositionsAndDefaults) {
    const std::vector<std::string> otsl = {"fcel", "lcel", "nl", "fcel", "fcel", "nl"};
    const std::vector<std::string> html = {"<tr>", "<td", " colspan=\"2\"", ">", "</td>", "</tr>",
                                           "<tr>", "<td>", "</td>", "<td>", "</td>", "</tr>"};
    const auto cells = TableMatcher::tableCells(html, otsl, {{0, 0, 1, 1}}, {1});
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ((std::vector<int>{cells[1].rowID, cells[1].columnID, cells[2].rowID, cells[2].columnID}),
              (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(cells[0].colspan, 2);
    EXPECT_EQ(cells[0].cellClass, 1);
    EXPECT_EQ(cells[2].cellClass, 2);     // fewer classes than cells
    EXPECT_EQ(cells[2].bbox, Box4{});     // fewer boxes than cells
}

TEST(TableMatcher, ScoresOverlapAndSkipsEdgeContact) {
    const std::vector<TFTableCell> cells = {tableCell(0, 0, 0, {0, 0, 10, 10}), tableCell(1, 0, 1, {0, 0, 10, 10})};
    const std::vector<PDFCell> texts = {text(7, "half", {5, 0, 15, 10}), text(8, "edge", {10, 0, 20, 10})};
    const CellMatches m = TableMatcher::match(cells, texts);
    ASSERT_EQ(m.order, std::vector<int>{7});
    EXPECT_EQ(m.byTextCell.at(7), (std::vector<CellMatch>{{0, 0.5}, {1, 0.5}}));
}

TEST(TableMatcher, PostProcessKeepsFirstOfEqualMatchesAndMergesSharedCell) {
    // Two text cells in one table cell; a second table cell identical to the first.
    const std::vector<TFTableCell> cells = {tableCell(0, 0, 0, {0, 0, 40, 10}), tableCell(1, 0, 0, {0, 0, 40, 10}),
                                            tableCell(2, 1, 0, {0, 20, 40, 30})};
    const std::vector<PDFCell> texts = {text(1, "b", {20, 0, 30, 10}), text(0, "a", {0, 0, 10, 10}),
                                        text(2, "c", {0, 20, 10, 30}), text(3, "", {0, 20, 10, 30})};
    const auto processed = TableMatcher::postProcess(cells, texts, {});
    EXPECT_EQ(processed.textCells.size(), 3u);  // the empty text takes no part
    for (int id : {0, 1}) {
        ASSERT_EQ(processed.matches.byTextCell.at(id).size(), 1u);
        EXPECT_EQ(processed.matches.byTextCell.at(id)[0].tableCellID, 0);
    }
    const TFResponse response = TableMatcher::buildItems(processed.cells, processed.matches, processed.textCells);
    ASSERT_EQ(response.cells.size(), 2u);
    EXPECT_EQ(response.cells[0].tokens, (std::vector<std::string>{"a", "b"}));  // in text-cell id order
    EXPECT_EQ(response.numRows, 2);
    EXPECT_EQ(response.numCols, 1);
}

TEST(TableMatcher, CompactsColumnsInWhichNoCellStarts) {
    TFTableCell wide = tableCell(0, 0, 0, {0, 0, 20, 10});
    wide.colspan = 2;
    const std::vector<TFTableCell> cells = {wide, tableCell(1, 0, 2, {30, 0, 40, 10})};
    CellMatches matches;
    matches.add(0, {0, 1.0});
    matches.add(1, {1, 1.0});
    const TFResponse r = TableMatcher::buildItems(cells, matches, {text(0, "x", {}), text(1, "y", {})});
    ASSERT_EQ(r.cells.size(), 2u);
    EXPECT_EQ(r.cells[0].colSpan, 1);
    EXPECT_EQ(r.cells[1].startCol, 1);
    EXPECT_EQ(r.numCols, 2);
}

TEST(TableMatcher, DropsTheWeakerOfTwoDuplicatedColumns) {
    // Column 1 repeats column 0's cells but covers the text less well.
    const std::vector<TFTableCell> cells = {tableCell(0, 0, 0, {0, 0, 20, 10}), tableCell(1, 0, 1, {5, 0, 20, 10}),
                                            tableCell(2, 1, 0, {0, 20, 20, 30}), tableCell(3, 1, 1, {5, 20, 20, 30})};
    const std::vector<PDFCell> texts = {text(0, "a", {0, 0, 20, 10}), text(1, "b", {0, 20, 20, 30})};
    const auto processed = TableMatcher::postProcess(cells, texts, {});
    for (const TFTableCell& c : processed.cells) EXPECT_EQ(c.columnID, 0);
}

TEST(TableMatcher, LeavesBadCellsAloneInAColumnWithoutGoodCells) {
    // Column 1 holds only a cell of class 1: no good cell gives it a position to align on.
    const std::vector<TFTableCell> cells = {tableCell(0, 0, 0, {0, 0, 10, 10}), tableCell(1, 0, 1, {50, 0, 60, 10}, 1)};
    const std::vector<PDFCell> texts = {text(0, "a", {0, 0, 10, 10}), text(1, "b", {50, 0, 60, 10})};
    const auto processed = TableMatcher::postProcess(cells, texts, {});
    const auto cell = std::find_if(processed.cells.begin(), processed.cells.end(),
                                   [](const TFTableCell& c) { return c.cellID == 1; });
    ASSERT_NE(cell, processed.cells.end());
    EXPECT_EQ(cell->bbox.x1, 50);
}

TEST(TableMatcher, OrphansTakeRoundedDistancesAsScores) {
    // Row 0 band y 0..10, column bands x 0..10 (centre 5) and 20..30 (centre 25).
    const std::vector<TFTableCell> cells = {tableCell(0, 0, 0, {0, 0, 10, 10}), tableCell(1, 0, 1, {20, 0, 30, 10}),
                                            tableCell(2, 1, 0, {0, 40, 10, 50})};
    const std::vector<PDFCell> orphans = {text(0, "a", {0, 0, 10, 10}), text(1, "b", {20, 0, 30, 10}),
                                          text(2, "c", {0, 40, 10, 50}),
                                          // Zero width: never matched by overlap; in row 0 and column 1.
                                          text(3, "in both", {28.4, 10, 28.4, 12}),
                                          text(4, "row only", {14, 48, 19, 50})};
    const auto processed = TableMatcher::postProcess(cells, orphans, {});
    EXPECT_EQ(processed.matches.byTextCell.at(3), (std::vector<CellMatch>{{1, 3.0}}));
    // In row 1 only; centre 16.5 lies 8.5 from column 1 (rounded to even: 8), score -8 - 1.
    const auto& rowOnly = processed.matches.byTextCell.at(4);
    ASSERT_EQ(rowOnly.size(), 1u);
    EXPECT_EQ(rowOnly[0].score, -9.0);
    // Row 1, column 1 holds no cell: a new "body" cell is made for the orphan.
    const auto made = std::find_if(processed.cells.begin(), processed.cells.end(),
                                   [](const TFTableCell& c) { return c.label == "body"; });
    ASSERT_NE(made, processed.cells.end());
    EXPECT_EQ(made->cellID, 3);
    EXPECT_EQ(rowOnly[0].tableCellID, 3);
}
