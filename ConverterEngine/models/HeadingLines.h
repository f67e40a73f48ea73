// Headings set over two or more lines. The layout model often boxes only a heading's
// first line; the line below, which no detection holds or which gets a heading box of
// its own, would become a paragraph or a second heading, a hyphenated word cut in two
// ("… Stock Mar-" / "ket Participation …"). A heading detection's box is grown over the
// text-layer line right below it when the text layer shows that line to continue it:
// the same type size, the heading's left edge or centre, no more than a line's gap, and
// a sign that the heading goes on (its line ends in a hyphen, the next one starts in
// lowercase) or both lines set larger than the page's body text, the lower one not
// ending a sentence. A line that opens a
// caption, a list item or a numbered section is never taken. Only text-layer lines
// count. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::HeadingLines {

struct Options {
    double minShareInside = 0.5;   // of a line's area, for the line to lie in a detection
    double maxSizeDelta = 0.15;    // of the taller line's height, between the two lines' heights
    double maxAlignDelta = 1.0;    // line heights between the left edges, or the centres
    double maxGapLines = 0.8;      // line heights of white space between the two lines
    double minDisplayRatio = 1.15;  // line height over the page's median, for heading-sized type
};

// The detections with each section header or title grown over the lines below it that
// continue it: a line that no kept detection holds is taken into its box; a section
// header or title detection holding such a line is joined into it (the union of their
// boxes, the higher confidence). Other detections are left as they are, in their order.
std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options = {});

}  // namespace ce::HeadingLines
