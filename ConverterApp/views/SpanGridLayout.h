// The sizing of a table grid whose cells may span rows and columns: every column and
// row is sized from the measured sizes of the cells placed in it, then cells are
// placed on the track edges. Pure arithmetic over a measuring function, so it runs
// without widgets; the table grid supplies the measurement of its cells.
//
// Columns start at 24 points and rows at 18; a single-column cell widens its column
// up to maxColumnWidth, a spanning cell needs at most maxColumnWidth x span, and a
// shortfall is shared evenly by the spanned tracks. Tracks never shrink, heights have
// no cap, and there is no spacing and no snapping to whole points.
#pragma once

#include <functional>
#include <vector>

namespace SpanGridLayout {

inline constexpr double minColumnWidth = 24;
inline constexpr double minRowHeight = 18;

struct Position {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    bool operator==(const Position&) const = default;
};

struct Tracks {
    std::vector<double> widths;   // one per column, left to right
    std::vector<double> heights;  // one per row, top to bottom
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

// How a cell measures itself: its width on one line (insets included), and its height
// when its text wraps at a given width.
struct Measure {
    std::function<double(int cell)> idealWidth;
    std::function<double(int cell, double width)> heightAtWidth;
};

struct Options {
    int rows = 0;
    int columns = 0;
    double maxColumnWidth = 240;
};

// The position moved into the grid: row and column into range, spans at least 1 and
// cut at the grid's edge. Only meaningful for a grid of at least one row and column.
Position clamped(const Position& position, const Options& options);

// The tracks for the cells at `positions` (one per cell, in cell order). A grid with
// no rows or no columns has no tracks.
Tracks tracks(const std::vector<Position>& positions, const Measure& measure, const Options& options);

// The sum of the widths by the sum of the heights.
Rect size(const Tracks& tracks);

// Where each cell goes, from the origin (x, y): the area between its track edges.
// Empty when there are no tracks.
std::vector<Rect> placements(const std::vector<Position>& positions, const Tracks& tracks,
                             const Options& options, double x = 0, double y = 0);

}  // namespace SpanGridLayout
