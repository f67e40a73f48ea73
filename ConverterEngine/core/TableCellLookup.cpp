#include "core/TableCellLookup.h"

#include <algorithm>
#include <cmath>

#include "core/Median.h"

namespace ce::PageAssembler {

namespace {

// Spans are read from the table model's structure; a malformed span this long is
// cut short so that one cell cannot make the lookup run away.
constexpr int maxSpan = 4096;

struct Axis {
    std::vector<int> keys;  // first-seen order
    std::map<int, std::vector<double>> centres;

    void add(int start, int end, double centre) {
        const int last = std::min(end, start + maxSpan);
        for (int k = start; k < last; ++k) {
            auto [entry, inserted] = centres.try_emplace(k);
            if (inserted) keys.push_back(k);
            entry->second.push_back(centre);
        }
    }
};

bool spans(const TableCellItem& cell, int row, int col) {
    return cell.startRow <= row && row < cell.endRow && cell.startCol <= col && col < cell.endCol;
}

}  // namespace

std::optional<int> nearestMedianKey(const std::vector<int>& keys,
                                    const std::map<int, std::vector<double>>& values, double target) {
    std::optional<int> best;
    double bestDistance = 0;
    for (int key : keys) {
        const auto found = values.find(key);
        if (found == values.end() || found->second.empty()) continue;
        const double distance = std::abs(median(found->second) - target);
        if (!best || distance < bestDistance) {
            best = key;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<CellMatch> tableCellForPicture(const std::vector<TableCellItem>& cells, const BBox& picture) {
    const double area = picture.area();
    if (!(area > 0)) return std::nullopt;

    std::vector<CellMatch> candidates;
    Axis rows;
    Axis cols;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (!cells[k].bbox) continue;
        const BBox& box = *cells[k].bbox;
        const double inter = box.intersectionArea(picture);
        if (inter >= 0.8 * area) candidates.push_back({static_cast<int>(k), inter / area});
        rows.add(cells[k].startRow, cells[k].endRow, box.centerY());
        cols.add(cells[k].startCol, cells[k].endCol, box.centerX());
    }
    if (candidates.empty()) return std::nullopt;

    const auto best = [](const std::vector<CellMatch>& among) {
        CellMatch chosen = among.front();
        for (const CellMatch& match : among) {
            if (match.score >= chosen.score) chosen = match;
        }
        return chosen;
    };

    const auto row = nearestMedianKey(rows.keys, rows.centres, picture.centerY());
    const auto col = nearestMedianKey(cols.keys, cols.centres, picture.centerX());
    if (row && col) {
        std::vector<CellMatch> inPlace;
        for (const CellMatch& match : candidates) {
            if (spans(cells[static_cast<std::size_t>(match.cellIndex)], *row, *col)) inPlace.push_back(match);
        }
        if (!inPlace.empty()) return best(inPlace);
    }
    return best(candidates);
}

}  // namespace ce::PageAssembler
