#include "models/TableMatcher.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "core/Median.h"
#include "models/OTSL.h"

namespace ce {

void CellMatches::add(int textCellID, const CellMatch& match) {
    auto [it, inserted] = byTextCell.try_emplace(textCellID);
    if (inserted) order.push_back(textCellID);
    if (std::find(it->second.begin(), it->second.end(), match) == it->second.end()) it->second.push_back(match);
}

void CellMatches::set(int textCellID, std::vector<CellMatch> matches) {
    auto [it, inserted] = byTextCell.try_emplace(textCellID);
    if (inserted) order.push_back(textCellID);
    it->second = std::move(matches);
}

void CellMatches::remove(int textCellID) {
    if (byTextCell.erase(textCellID) == 0) return;
    order.erase(std::remove(order.begin(), order.end(), textCellID), order.end());
}

namespace TableMatcher {

namespace {
// Rounds to the nearest integer, halves to even (the default floating-point mode).
double roundHalfEven(double v) { return std::nearbyint(v); }

void stableSortByID(std::vector<TFTableCell>& cells) {
    std::stable_sort(cells.begin(), cells.end(),
                     [](const TFTableCell& a, const TFTableCell& b) { return a.cellID < b.cellID; });
}

enum class Alignment { left, centre, right };

double alignedX(const TFTableCell& cell, Alignment alignment) {
    switch (alignment) {
        case Alignment::left: return cell.bbox.x1;
        case Alignment::centre: return (cell.bbox.x1 + cell.bbox.x2) * 0.5;
        case Alignment::right: return cell.bbox.x2;
    }
    return cell.bbox.x1;
}

Alignment alignmentOf(const std::vector<TFTableCell>& good) {
    if (good.empty()) return Alignment::left;
    double range[3];
    for (int k = 0; k < 3; ++k) {
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        for (const TFTableCell& cell : good) {
            const double x = alignedX(cell, static_cast<Alignment>(k));
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        range[k] = hi - lo;
    }
    if (range[0] <= range[1] && range[0] <= range[2]) return Alignment::left;
    if (range[1] <= range[2]) return Alignment::centre;
    return Alignment::right;
}

// Realigns each column's badly matched cells on the median edge of its good cells.
std::vector<TFTableCell> realignColumns(const std::vector<TFTableCell>& cells, const CellMatches& matches,
                                        int columns) {
    std::vector<TFTableCell> fixed;
    for (int c = 0; c < columns; ++c) {
        std::vector<TFTableCell> good;
        std::vector<TFTableCell> bad;
        for (const TFTableCell& cell : cells) {
            if (cell.columnID != c) continue;
            int named = 0;
            if (cell.cellClass >= 2) {
                for (int id : matches.order) {
                    for (const CellMatch& m : matches.byTextCell.at(id)) {
                        if (m.tableCellID == cell.cellID) ++named;
                    }
                }
            }
            if (named == 0) {
                bad.push_back(cell);
            } else {
                good.insert(good.end(), static_cast<std::size_t>(named), cell);
            }
        }
        const Alignment alignment = alignmentOf(good);
        std::vector<double> positions;
        for (const TFTableCell& cell : good) {
            if (!cell.colspan && !cell.rowspan && cell.cellClass > 1) positions.push_back(alignedX(cell, alignment));
        }
        // Without a good cell to align on, the bad cells stay where the model put them.
        if (!positions.empty()) {
            const double m = median(positions);
            for (TFTableCell& cell : bad) {
                const double w = cell.bbox.x2 - cell.bbox.x1;
                switch (alignment) {
                    case Alignment::left: cell.bbox.x1 = m; cell.bbox.x2 = m + w; break;
                    case Alignment::centre: cell.bbox.x1 = m - w * 0.5; cell.bbox.x2 = cell.bbox.x1 + w; break;
                    case Alignment::right: cell.bbox.x2 = m; cell.bbox.x1 = m - w; break;
                }
            }
        }
        fixed.insert(fixed.end(), good.begin(), good.end());
        fixed.insert(fixed.end(), bad.begin(), bad.end());
    }
    stableSortByID(fixed);
    return fixed;
}

// Drops one of two neighbouring columns that share most of their text.
void dropDuplicateColumns(std::vector<TFTableCell>& fixed, CellMatches& rematches, const CellMatches& initial,
                          int columns) {
    std::vector<std::set<int>> ids(static_cast<std::size_t>(columns));
    for (const TFTableCell& cell : fixed) {
        if (cell.columnID >= 0 && cell.columnID < columns) ids[static_cast<std::size_t>(cell.columnID)].insert(cell.cellID);
    }
    std::vector<double> total(static_cast<std::size_t>(columns), 0.0);
    std::vector<std::set<int>> texts(static_cast<std::size_t>(columns));
    for (const CellMatches* source : {&initial, static_cast<const CellMatches*>(&rematches)}) {
        for (int id : source->order) {
            for (const CellMatch& m : source->byTextCell.at(id)) {
                for (int c = 0; c < columns; ++c) {
                    if (ids[static_cast<std::size_t>(c)].count(m.tableCellID)) {
                        total[static_cast<std::size_t>(c)] += m.score;
                        texts[static_cast<std::size_t>(c)].insert(id);
                    }
                }
            }
        }
    }
    std::set<int> dropped;
    for (int c = 0; c + 1 < columns; ++c) {
        const auto& left = texts[static_cast<std::size_t>(c)];
        const auto& right = texts[static_cast<std::size_t>(c + 1)];
        if (left.empty()) continue;
        std::size_t shared = 0;
        for (int id : left) shared += right.count(id);
        if (static_cast<double>(shared) / static_cast<double>(left.size()) > 0.6) {
            dropped.insert(total[static_cast<std::size_t>(c)] >= total[static_cast<std::size_t>(c + 1)] ? c + 1 : c);
        }
    }
    if (dropped.empty()) return;
    std::set<int> removedIDs;
    std::vector<TFTableCell> kept;
    for (const TFTableCell& cell : fixed) {
        if (dropped.count(cell.columnID)) {
            removedIDs.insert(cell.cellID);
        } else {
            kept.push_back(cell);
        }
    }
    fixed = std::move(kept);
    const std::vector<int> order = rematches.order;
    for (int id : order) {
        std::vector<CellMatch> remaining;
        for (const CellMatch& m : rematches.byTextCell.at(id)) {
            if (!removedIDs.count(m.tableCellID)) remaining.push_back(m);
        }
        if (remaining.empty()) {
            rematches.remove(id);
        } else {
            rematches.byTextCell[id] = std::move(remaining);
        }
    }
}

void keepBestMatch(CellMatches& matches) {
    for (int id : matches.order) {
        std::vector<CellMatch>& list = matches.byTextCell.at(id);
        if (list.empty()) continue;
        CellMatch best = list.front();
        for (const CellMatch& m : list) {
            if (m.score > best.score) best = m;
        }
        list = {best};
    }
}

std::vector<TFTableCell> fitCellsToText(const std::vector<TFTableCell>& cells, const CellMatches& best,
                                        const std::vector<PDFCell>& textCells) {
    std::map<int, const PDFCell*> textByID;
    for (const PDFCell& t : textCells) textByID.try_emplace(t.id, &t);
    std::vector<int> named;
    std::map<int, std::vector<Box4>> boxes;
    for (int id : best.order) {
        for (const CellMatch& m : best.byTextCell.at(id)) {
            auto [it, inserted] = boxes.try_emplace(m.tableCellID);
            if (inserted) named.push_back(m.tableCellID);
            if (const auto t = textByID.find(id); t != textByID.end()) it->second.push_back(t->second->bbox);
        }
    }
    std::vector<TFTableCell> out;
    for (int cellID : named) {
        const auto cell = std::find_if(cells.begin(), cells.end(), [&](const TFTableCell& c) { return c.cellID == cellID; });
        if (cell == cells.end()) continue;
        TFTableCell fitted = *cell;
        const std::vector<Box4>& texts = boxes[cellID];
        if (texts.size() >= 2) {
            Box4 u = texts.front();
            for (const Box4& b : texts) {
                u = {std::min(u.x1, b.x1), std::min(u.y1, b.y1), std::max(u.x2, b.x2), std::max(u.y2, b.y2)};
            }
            fitted.bbox = u;
        }
        out.push_back(fitted);
    }
    return out;
}

struct Band {
    double lo = -1;
    double hi = -1;
    double centre() const { return (lo + hi) * 0.5; }
    bool valid() const { return lo >= 0 && hi >= 0; }
};

std::vector<Band> bands(const std::vector<TFTableCell>& cells, int count, bool rowsDirection) {
    std::vector<Band> out(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        bool any = false;
        Band band;
        for (const TFTableCell& cell : cells) {
            const int index = rowsDirection ? cell.rowID : cell.columnID;
            const bool spans = rowsDirection ? cell.rowspan.has_value() : cell.colspan.has_value();
            if (index != k || spans || cell.cellClass <= 1) continue;
            const double lo = rowsDirection ? cell.bbox.y1 : cell.bbox.x1;
            const double hi = rowsDirection ? cell.bbox.y2 : cell.bbox.x2;
            band = any ? Band{std::min(band.lo, lo), std::max(band.hi, hi)} : Band{lo, hi};
            any = true;
        }
        out[static_cast<std::size_t>(k)] = any ? band : Band{};
    }
    return out;
}

struct BandChoice {
    int index = -1;
    double distance = 0;  // rounded
};

std::optional<BandChoice> fittingBand(const std::vector<Band>& list, const Box4& box, bool rowsDirection) {
    const double lo = rowsDirection ? box.y1 : box.x1;
    const double hi = rowsDirection ? box.y2 : box.x2;
    const double centre = (lo + hi) * 0.5;
    std::optional<BandChoice> choice;
    for (std::size_t k = 0; k < list.size(); ++k) {
        const Band& band = list[k];
        if (!band.valid()) continue;
        const bool edgeInside = (lo >= band.lo && lo <= band.hi) || (hi >= band.lo && hi <= band.hi);
        const bool bandInside = rowsDirection ? (band.lo >= lo && band.hi <= hi) : (band.lo > lo && band.hi < hi);
        if (!edgeInside && !bandInside) continue;
        const double d = roundHalfEven(std::abs(band.centre() - centre));
        if (!choice || d < choice->distance) choice = BandChoice{static_cast<int>(k), d};
    }
    return choice;
}

std::optional<BandChoice> nearestCentre(const std::vector<Band>& list, double centre) {
    std::optional<BandChoice> choice;
    double nearest = 0;
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (!list[k].valid()) continue;
        const double d = std::abs(list[k].centre() - centre);
        if (!choice || d < nearest) {
            nearest = d;
            choice = BandChoice{static_cast<int>(k), roundHalfEven(d)};
        }
    }
    return choice;
}

void placeOrphans(std::vector<TFTableCell>& cells, CellMatches& matches, const std::vector<PDFCell>& textCells,
                  int rows, int columns, int maxCellID) {
    std::vector<const PDFCell*> orphans;
    for (const PDFCell& t : textCells) {
        if (!matches.byTextCell.count(t.id)) orphans.push_back(&t);
    }
    std::stable_sort(orphans.begin(), orphans.end(), [](const PDFCell* a, const PDFCell* b) { return a->id < b->id; });
    const std::vector<Band> rowBands = bands(cells, rows, true);
    const std::vector<Band> columnBands = bands(cells, columns, false);

    struct Placement {
        const PDFCell* orphan;
        int row;
        int column;
        double score;
    };
    std::vector<Placement> placements;
    std::vector<const PDFCell*> columnOnly;
    for (const PDFCell* orphan : orphans) {
        const auto row = fittingBand(rowBands, orphan->bbox, true);
        const auto column = fittingBand(columnBands, orphan->bbox, false);
        if (row && column) {
            placements.push_back({orphan, row->index, column->index, column->distance});
        } else if (row) {
            if (const auto nearest = nearestCentre(columnBands, (orphan->bbox.x1 + orphan->bbox.x2) * 0.5)) {
                placements.push_back({orphan, row->index, nearest->index, -nearest->distance - 1});
            }
        } else if (column) {
            columnOnly.push_back(orphan);
        }
    }
    for (const PDFCell* orphan : columnOnly) {
        const auto column = fittingBand(columnBands, orphan->bbox, false);
        if (const auto nearest = nearestCentre(rowBands, (orphan->bbox.y1 + orphan->bbox.y2) * 0.5)) {
            placements.push_back({orphan, nearest->index, column->index, -nearest->distance - 1});
        }
    }

    int nextID = maxCellID;
    for (const Placement& p : placements) {
        const auto target = std::find_if(cells.begin(), cells.end(), [&](const TFTableCell& c) {
            return c.rowID == p.row && c.columnID == p.column;
        });
        int targetID = 0;
        if (target != cells.end()) {
            targetID = target->cellID;
            const Box4& o = p.orphan->bbox;
            for (TFTableCell& cell : cells) {
                if (cell.cellID != targetID) continue;
                cell.bbox = {std::min(cell.bbox.x1, o.x1), std::min(cell.bbox.y1, o.y1), std::max(cell.bbox.x2, o.x2),
                             std::max(cell.bbox.y2, o.y2)};
            }
        } else {
            TFTableCell cell;
            cell.cellID = targetID = ++nextID;
            cell.rowID = p.row;
            cell.columnID = p.column;
            cell.bbox = p.orphan->bbox;
            cell.cellClass = 2;
            cell.label = "body";
            cells.push_back(cell);
        }
        matches.set(p.orphan->id, {CellMatch{targetID, p.score}});
    }
}
}  // namespace

std::vector<Box4> pageBoxes(const Box4& table, const std::vector<std::vector<double>>& relative) {
    std::vector<Box4> out;
    out.reserve(relative.size());
    const double w = table.x2 - table.x1;
    const double h = table.y2 - table.y1;
    for (const std::vector<double>& r : relative) {
        if (r.size() < 4) {
            out.push_back({});
            continue;
        }
        out.push_back({table.x1 + w * r[0], table.y1 + h * r[1], table.x1 + w * r[2], table.y1 + h * r[3]});
    }
    return out;
}

std::vector<TFTableCell> tableCells(const std::vector<std::string>& html, const std::vector<std::string>& otsl,
                                    const std::vector<Box4>& boxes, const std::vector<int>& classes) {
    const auto spans = OTSL::parseHTML(html);
    std::vector<TFTableCell> cells;
    int row = 0;
    int column = 0;
    int n = 0;
    for (const std::string& token : otsl) {
        if (token == "nl") {
            ++row;
            column = 0;
            continue;
        }
        if (token == "fcel" || token == "ecel" || token == "xcel" || token == "ched" || token == "rhed" ||
            token == "srow") {
            TFTableCell cell;
            cell.cellID = n;
            cell.rowID = row;
            cell.columnID = column;
            cell.bbox = static_cast<std::size_t>(n) < boxes.size() ? boxes[static_cast<std::size_t>(n)] : Box4{};
            cell.cellClass = static_cast<std::size_t>(n) < classes.size() ? classes[static_cast<std::size_t>(n)] : 2;
            cell.label = token;
            if (spans) {
                if (const auto it = spans->find(n); it != spans->end()) {
                    if (it->second.first > 0) cell.colspan = it->second.first;
                    if (it->second.second > 0) cell.rowspan = it->second.second;
                }
            }
            cells.push_back(cell);
            ++n;
        }
        ++column;
    }
    return cells;
}

CellMatches match(const std::vector<TFTableCell>& cells, const std::vector<PDFCell>& textCells) {
    CellMatches matches;
    for (const TFTableCell& t : cells) {
        for (const PDFCell& j : textCells) {
            const Box4& a = t.bbox;
            const Box4& b = j.bbox;
            if (!(a.x2 >= b.x1 && b.x2 >= a.x1 && b.y2 >= a.y1 && a.y2 >= b.y1)) continue;
            const double area = (b.x2 - b.x1) * (b.y2 - b.y1);
            const double score =
                area > 0 ? (std::min(b.x2, a.x2) - std::max(a.x1, b.x1)) * (std::min(b.y2, a.y2) - std::max(a.y1, b.y1)) / area
                         : 0.0;
            if (score > 0) matches.add(j.id, {t.cellID, score});
        }
    }
    return matches;
}

PostProcessed postProcess(const std::vector<TFTableCell>& cells, const std::vector<PDFCell>& allTextCells,
                          const CellMatches& given) {
    std::vector<PDFCell> textCells;
    for (const PDFCell& t : allTextCells) {
        if (!t.text.empty()) textCells.push_back(t);
    }
    const CellMatches initial = given.empty() ? match(cells, textCells) : given;

    int maxColumn = 0, maxRow = 0, maxCellID = 0;
    for (const TFTableCell& cell : cells) {
        maxColumn = std::max(maxColumn, cell.columnID);
        maxRow = std::max(maxRow, cell.rowID);
        maxCellID = std::max(maxCellID, cell.cellID);
    }
    const int columns = std::max(1, maxColumn) + 1;
    const int rows = std::max(1, maxRow) + 1;

    std::vector<TFTableCell> fixed = realignColumns(cells, initial, columns);
    CellMatches rematches = match(fixed, textCells);
    dropDuplicateColumns(fixed, rematches, initial, columns);
    keepBestMatch(rematches);
    stableSortByID(fixed);
    if (textCells.size() <= 300) fixed = fitCellsToText(fixed, rematches, textCells);
    placeOrphans(fixed, rematches, textCells, rows, columns, maxCellID);
    return {std::move(fixed), std::move(rematches), std::move(textCells)};
}

TFResponse buildItems(const std::vector<TFTableCell>& cells, const CellMatches& matches,
                      const std::vector<PDFCell>& textCells) {
    struct Item {
        int pdfID;
        TFResponseCell cell;
    };
    std::vector<Item> items;
    for (int id : matches.order) {
        TFResponseCell response;
        bool named = false;
        for (const CellMatch& m : matches.byTextCell.at(id)) {
            const auto cell = std::find_if(cells.begin(), cells.end(), [&](const TFTableCell& c) { return c.cellID == m.tableCellID; });
            if (cell == cells.end()) continue;
            named = true;
            response.bbox = cell->bbox;
            response.startRow = cell->rowID;
            response.endRow = cell->rowID + 1;
            response.startCol = cell->columnID;
            response.endCol = cell->columnID + 1;
            if (cell->colspan) {
                response.endCol = cell->columnID + *cell->colspan;
                response.colSpan = *cell->colspan;
            }
            if (cell->rowspan) {
                response.endRow = cell->rowID + *cell->rowspan;
                response.rowSpan = *cell->rowspan;
            }
            response.columnHeader = response.columnHeader || cell->label == "ched";
            response.rowHeader = response.rowHeader || cell->label == "rhed";
            response.rowSection = response.rowSection || cell->label == "srow";
        }
        if (named) items.push_back({id, std::move(response)});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.pdfID < b.pdfID; });

    TFResponse out;
    std::map<std::pair<int, int>, std::size_t> byOrigin;
    for (Item& item : items) {
        std::vector<std::string> texts;
        for (const PDFCell& t : textCells) {
            if (t.id == item.pdfID) texts.push_back(t.text);
        }
        const std::pair<int, int> key{item.cell.startCol, item.cell.startRow};
        if (const auto it = byOrigin.find(key); it != byOrigin.end()) {
            auto& tokens = out.cells[it->second].tokens;
            tokens.insert(tokens.end(), texts.begin(), texts.end());
        } else {
            item.cell.tokens = std::move(texts);
            byOrigin.emplace(key, out.cells.size());
            out.cells.push_back(std::move(item.cell));
        }
    }

    std::set<int> startCols, startRows;
    for (const TFResponseCell& c : out.cells) {
        startCols.insert(c.startCol);
        startRows.insert(c.startRow);
    }
    auto below = [](const std::set<int>& s, int v) {
        return static_cast<int>(std::distance(s.begin(), s.lower_bound(v)));
    };
    for (TFResponseCell& c : out.cells) {
        const int startCol = below(startCols, c.startCol);
        const int endCol = below(startCols, c.startCol + c.colSpan);
        const int startRow = below(startRows, c.startRow);
        const int endRow = below(startRows, c.startRow + c.rowSpan);
        c.startCol = startCol;
        c.endCol = endCol;
        c.startRow = startRow;
        c.endRow = endRow;
        c.colSpan = endCol - startCol;
        c.rowSpan = endRow - startRow;
        out.numCols = std::max(out.numCols, endCol);
        out.numRows = std::max(out.numRows, endRow);
    }
    return out;
}

}  // namespace TableMatcher
}  // namespace ce
