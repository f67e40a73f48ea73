#include "SpanGridLayout.h"

#include <algorithm>
#include <cstddef>

namespace SpanGridLayout {

namespace {

double sum(const std::vector<double>& values, int first, int count) {
    double total = 0;
    for (int i = first; i < first + count; ++i) total += values[static_cast<std::size_t>(i)];
    return total;
}

void grow(std::vector<double>& values, int first, int count, double needed) {
    const double current = sum(values, first, count);
    if (current < needed) {
        const double share = (needed - current) / count;
        for (int i = first; i < first + count; ++i) values[static_cast<std::size_t>(i)] += share;
    }
}

bool empty(const Options& options) { return options.rows < 1 || options.columns < 1; }

}  // namespace

Position clamped(const Position& p, const Options& o) {
    Position c;
    c.row = std::min(o.rows - 1, std::max(0, p.row));
    c.column = std::min(o.columns - 1, std::max(0, p.column));
    c.rowSpan = std::max(1, std::min(o.rows - c.row, p.rowSpan));
    c.columnSpan = std::max(1, std::min(o.columns - c.column, p.columnSpan));
    return c;
}

Tracks tracks(const std::vector<Position>& positions, const Measure& measure, const Options& options) {
    Tracks t;
    // The guard comes before any clamping: a grid without rows or columns would clamp
    // every cell to index -1.
    if (empty(options)) return t;

    std::vector<Position> cells;
    cells.reserve(positions.size());
    for (const Position& p : positions) cells.push_back(clamped(p, options));

    t.widths.assign(static_cast<std::size_t>(options.columns), minColumnWidth);
    std::vector<double> ideal(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) ideal[i] = measure.idealWidth(static_cast<int>(i));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].columnSpan != 1) continue;
        double& width = t.widths[static_cast<std::size_t>(cells[i].column)];
        width = std::max(width, std::min(options.maxColumnWidth, ideal[i]));
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Position& c = cells[i];
        if (c.columnSpan < 2) continue;
        grow(t.widths, c.column, c.columnSpan, std::min(options.maxColumnWidth * c.columnSpan, ideal[i]));
    }

    t.heights.assign(static_cast<std::size_t>(options.rows), minRowHeight);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Position& c = cells[i];
        if (c.rowSpan != 1) continue;
        const double h = measure.heightAtWidth(static_cast<int>(i), sum(t.widths, c.column, c.columnSpan));
        double& height = t.heights[static_cast<std::size_t>(c.row)];
        height = std::max(height, h);
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Position& c = cells[i];
        if (c.rowSpan < 2) continue;
        const double needed = measure.heightAtWidth(static_cast<int>(i), sum(t.widths, c.column, c.columnSpan));
        grow(t.heights, c.row, c.rowSpan, needed);
    }
    return t;
}

Rect size(const Tracks& tracks) {
    Rect r;
    for (double w : tracks.widths) r.width += w;
    for (double h : tracks.heights) r.height += h;
    return r;
}

std::vector<Rect> placements(const std::vector<Position>& positions, const Tracks& tracks, const Options& options,
                             double x, double y) {
    std::vector<Rect> out;
    if (empty(options) || tracks.widths.empty() || tracks.heights.empty()) return out;
    std::vector<double> xs{x};
    for (double w : tracks.widths) xs.push_back(xs.back() + w);
    std::vector<double> ys{y};
    for (double h : tracks.heights) ys.push_back(ys.back() + h);
    out.reserve(positions.size());
    for (const Position& p : positions) {
        const Position c = clamped(p, options);
        const auto col = static_cast<std::size_t>(c.column);
        const auto row = static_cast<std::size_t>(c.row);
        out.push_back({xs[col], ys[row], xs[col + static_cast<std::size_t>(c.columnSpan)] - xs[col],
                       ys[row + static_cast<std::size_t>(c.rowSpan)] - ys[row]});
    }
    return out;
}

}  // namespace SpanGridLayout
