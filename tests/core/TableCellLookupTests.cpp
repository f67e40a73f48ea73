#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/TableCellLookup.h"

using namespace ce;

namespace {

TableCellItem cell(int row, int col, std::optional<BBox> box, int rowSpan = 1, int colSpan = 1) {
    TableCellItem c;
    c.bbox = box;
    c.startRow = row;
    c.endRow = row + rowSpan;
    c.startCol = col;
    c.endCol = col + colSpan;
    return c;
}

// A 2 x 2 grid of 100-point cells.
std::vector<TableCellItem> grid() {
    return {cell(0, 0, BBox{0, 0, 100, 100}), cell(0, 1, BBox{100, 0, 200, 100}),
            cell(1, 0, BBox{0, 100, 100, 200}), cell(1, 1, BBox{100, 100, 200, 200})};
}

TEST(TableCellForPicture, Cases) {
    const struct {
        const char* name;
        std::vector<TableCellItem> cells;
        BBox picture;
        std::optional<int> cell;
        double score;
    } cases[] = {
        {"insideOneCell", grid(), {110, 110, 150, 150}, 3, 1.0},
        {"eightyPercentInside", grid(), {20, 120, 120, 170}, 2, 0.8},
        {"halfInside", grid(), {50, 20, 150, 80}, std::nullopt, 0},
        {"zeroArea", grid(), {10, 10, 10, 50}, std::nullopt, 0},
        {"invertedPicture", grid(), {50, 50, 10, 10}, std::nullopt, 0},
        {"cellsWithoutBoxes", {cell(0, 0, std::nullopt)}, {10, 10, 50, 50}, std::nullopt, 0},
        // Equal scores: the later cell wins.
        {"tieGoesToLaterCell", {cell(0, 0, BBox{0, 0, 100, 100}), cell(0, 0, BBox{0, 0, 100, 100})},
         {10, 10, 50, 50}, 1, 1.0},
        // A misplaced cell covers the picture as well as its own cell does, but lies in
        // another row: the cell in the picture's row and column is preferred.
        {"rowAndColumnPreferred",
         {cell(0, 0, BBox{0, 0, 100, 100}), cell(1, 0, BBox{0, 100, 100, 200}), cell(1, 0, BBox{0, 0, 60, 60})},
         {10, 10, 50, 50}, 0, 1.0},
        // A huge malformed span is cut short instead of running away.
        {"malformedSpan", {cell(0, 0, BBox{0, 0, 100, 100}, 2'000'000'000, 2'000'000'000)}, {10, 10, 50, 50}, 0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto match = PageAssembler::tableCellForPicture(c.cells, c.picture);
        ASSERT_EQ(match.has_value(), c.cell.has_value());
        if (!match) continue;
        EXPECT_EQ(match->cellIndex, *c.cell);
        EXPECT_DOUBLE_EQ(match->score, c.score);
    }
}

TEST(NearestMedianKey, MediansAndTies) {
    const std::map<int, std::vector<double>> values = {{1, {10, 0}}, {2, {30, 1, 2}}, {3, {}}, {4, {7}}};
    const struct {
        std::vector<int> keys;
        double target;
        std::optional<int> key;
    } cases[] = {
        {{1, 2}, 5, 1},       // even count: mean of the middle two (5)
        {{1, 2}, 2.4, 2},     // odd count: the middle value (2)
        {{2, 1}, 3.5, 2},     // both 1.5 away: the first key wins
        {{1, 2}, 3.5, 1},
        {{3, 4}, 0, 4},       // a key without values is passed over
        {{9}, 0, std::nullopt},
        {{}, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageAssembler::nearestMedianKey(c.keys, values, c.target), c.key);
    }
}

}  // namespace
