// Text detections that are lines of one paragraph. The layout model now and then finds
// each line of a paragraph (justified, double-spaced or in a narrow column) as a text
// box of its own; each box would become a paragraph. Two text detections, one right
// below the other, are joined into one region only when the text layer shows them to be
// lines of one paragraph: the same left edge, the same type size, the paragraph's line
// spacing, and the upper line running so close to the column's right edge that the
// lower line's first word would not have fitted after it. A line that opens a caption,
// a key-value line ("Account number: …") or a list item is never joined, so separate
// lines (fields, addresses, captions under their text) stay apart. A text-layer line
// that no detection holds and that passes the same tests below a paragraph (the box
// stopped short of its last line) joins that paragraph. Only text-layer lines count.
// Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::ParagraphLines {

struct Options {
    double minShareInside = 0.5;   // of a line's area, for the line to lie in a detection
    double maxSizeDelta = 0.1;     // of the taller line's height, between the two lines' heights
    double maxEdgeDelta = 0.5;     // line heights between the two left edges
    double maxGapLines = 0.8;      // line heights of white space between the two lines
    double maxPitchDelta = 0.2;    // line heights between the gap and the upper paragraph's own spacing
};

// The detections with every run of text detections, each right below the one before it,
// whose facing lines pass the tests above, joined into the first one (the union of
// their boxes, the highest confidence), and each text detection's box grown over the
// lines that no detection holds and that continue it. Other detections are left as they
// are, in their order.
std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options = {});

}  // namespace ce::ParagraphLines
