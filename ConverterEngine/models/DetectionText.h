// What the PDF's text layer says inside a detected region, for the corrections made to
// the layout model's detections before post-processing. Mostly only text-layer lines
// count: recognised text on a scanned region says little about what the region is. Stateless;
// safe from any thread.
#pragma once

#include <string_view>
#include <vector>

#include "core/BBox.h"
#include "core/TextCell.h"

namespace ce::DetectionText {

// Whether the line holds visible text in a box of some area, from the text layer or
// recognised.
bool isVisible(const TextCell& line);

// Whether the line comes from the text layer and holds visible text in a box of some area.
bool fromTextLayer(const TextCell& line);

// The page's text-layer lines, in their order.
std::vector<const TextCell*> textLayerLines(const std::vector<TextCell>& lines);

// The text-layer lines of which at least minShareInside of the area lies in the box, in
// their order.
std::vector<const TextCell*> linesIn(const BBox& box, const std::vector<TextCell>& lines, double minShareInside);

// The visible lines, from the text layer or recognised, of which at least minShareInside
// of the area lies in the box, in their order: for corrections that look only at the
// lines' sizes and first characters, which recognition gets right.
std::vector<const TextCell*> visibleLinesIn(const BBox& box, const std::vector<TextCell>& lines, double minShareInside);

// The median height of the lines' boxes; the lines must not be empty.
double medianHeight(const std::vector<const TextCell*>& lines);

// The lines grouped into rows, top to bottom: a line joins the row whose first line's
// vertical centre lies within `tolerance` of its own. Each row is ordered left to right.
std::vector<std::vector<const TextCell*>> rowsOf(std::vector<const TextCell*> lines, double tolerance);

// Whether the text opens with the label of a caption: "Figure", "Fig.", "Table",
// "Chart", "Exhibit" and the like (also in Spanish and German), a number and then
// punctuation or further words ("Table 1. Income", "Figure 2: Costs", "Fig. 3 Map").
bool startsWithCaptionLabel(std::string_view text);

// The share of the line's characters that its first word takes, an estimate of the
// word's share of the line's length.
double firstWordShare(std::string_view text);

// Whether the line reads as running prose: at least minWords words of which most hold
// letters, and not ending in a number (as the entries of a contents list or the rows of
// a table of figures do).
bool readsAsProse(std::string_view text, int minWords);

}  // namespace ce::DetectionText
