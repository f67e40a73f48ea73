#include "core/TableStructure.h"

#include <algorithm>

namespace ce {

TableStructure TableStructure::withoutOverlaps() const {
    TableStructure out = *this;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        TableCellItem c = cells[i];
        int endCol = c.endCol;
        for (std::size_t j = 0; j < cells.size(); ++j) {
            if (j == i) continue;
            const TableCellItem& o = cells[j];
            if (c.startRow <= o.startRow && o.startRow < c.endRow && c.startCol < o.startCol &&
                o.startCol < c.endCol) {
                endCol = std::min(endCol, o.startCol);
            }
        }
        c.endCol = endCol;
        int endRow = c.endRow;
        for (std::size_t j = 0; j < cells.size(); ++j) {
            if (j == i) continue;
            const TableCellItem& o = cells[j];
            if (c.startCol <= o.startCol && o.startCol < c.endCol && c.startRow < o.startRow &&
                o.startRow < c.endRow) {
                endRow = std::min(endRow, o.startRow);
            }
        }
        c.endRow = endRow;
        out.cells[i] = c;
    }
    return out;
}

}  // namespace ce
