// Splitting a recognised line into segments: runs of its words separated by a wide
// blank gap in the page's ink. The ink is read from a grey raster of the page at
// `scale` pixels per point; boxes are in page points. Stateless; safe from any thread.
#pragma once

#include <optional>
#include <vector>

#include "core/BBox.h"
#include "core/TextCell.h"
#include "image/GrayRaster.h"

namespace ce::Segments {

// Which columns of a line's band hold ink. The band spans the line's columns and
// its rows less 15 % of its height at top and bottom; a column is inked when one of
// its pixels is darker than the band's mid grey.
struct InkColumns {
    int x0 = 0;               // raster column of inked[0]
    std::vector<bool> inked;
};

// Below this contrast (brightest minus darkest grey) a band counts as blank.
inline constexpr int minimumContrast = 48;

// None when the band is narrower than 3 columns, has no rows, or its contrast is
// below minimumContrast.
std::optional<InkColumns> inkColumns(const GrayRaster& raster, const BBox& line, double scale);

// The segments of one line, in order, from its word cells in order. Lines with
// fewer than two words, without a raster or without ink columns give one segment
// with the line's own left and right edges; otherwise words split where a blank run
// of at least max(2, round(scale * segmentGap * line height)) columns, ended by ink,
// lies between their centres, and each segment's edges are pulled to its ink.
// Segments take the line's top, bottom and confidence, their words' texts joined
// with spaces, fromOCR true and index 0 (the caller numbers them). A line without
// words gives no segment.
std::vector<TextCell> split(const std::vector<TextCell>& words, const TextCell& line, const GrayRaster* raster,
                            double scale, double segmentGap);

}  // namespace ce::Segments
