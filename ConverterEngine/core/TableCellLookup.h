// Which cell of a recognised table holds a picture: the cells that cover at least
// 80 % of the picture are candidates, and those in the picture's row and column
// (found by the medians of the cells' centres) are preferred.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "core/BBox.h"
#include "core/TableStructure.h"

namespace ce::PageAssembler {

struct CellMatch {
    int cellIndex = 0;   // into the cells given
    double score = 0;    // intersection / picture area, in 0.8...1
};

// None when no cell with a box covers 80 % of a picture of positive area.
// Among equal scores the later cell wins.
std::optional<CellMatch> tableCellForPicture(const std::vector<TableCellItem>& cells, const BBox& picture);

// The key (taken in the given order) whose values' median lies nearest to
// `target`; the first key wins ties. Keys without values are passed over; no
// such key gives none.
std::optional<int> nearestMedianKey(const std::vector<int>& keys,
                                    const std::map<int, std::vector<double>>& values, double target);

}  // namespace ce::PageAssembler
