// A recognised table: its OTSL token sequence, grid size and cells.
// Cell ends are exclusive: a 1 x 1 cell has endRow == startRow + 1.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/BBox.h"

namespace ce {

struct TableCellItem {
    std::optional<BBox> bbox;
    std::string text;
    int startRow = 0;
    int endRow = 1;
    int startCol = 0;
    int endCol = 1;
    bool columnHeader = false;
    bool rowHeader = false;
    bool rowSection = false;

    int rowSpan() const { return endRow - startRow; }
    int colSpan() const { return endCol - startCol; }
};

struct TableStructure {
    int clusterID = 0;
    std::vector<std::string> otsl;  // "nl" ends a row
    int numRows = 0;
    int numCols = 0;
    std::vector<TableCellItem> cells;

    // A copy whose cells' spans are lowered so that no span covers another cell's
    // origin; columns are clipped before rows. Independent of cell order.
    TableStructure withoutOverlaps() const;
};

}  // namespace ce
