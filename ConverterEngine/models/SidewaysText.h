// Paragraphs drawn sideways on an upright page. Text turned a quarter turn (a landscape
// remark, a note set along the page's long side) runs up or down the page with its
// lines side by side. The layout model, which reads upright pages, takes such a block
// for a table whose cells are its lines, or finds each line as a region of its own;
// either way every line would come out on its own. The text layer shows the lines to
// be one paragraph: each far longer down the page than it is wide, next to the one
// before it in the text layer's order, of the same thickness, at the paragraph's line
// spacing, all starting at the same edge (the bottom for text reading upwards, the top
// for text reading downwards), every line but the last reading as prose and running
// close to the far edge (a short line ends its paragraph). Only text-layer lines
// count. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::SidewaysText {

struct Options {
    double minShareInside = 0.5;   // of a line's area, for the line to lie in a detection
    double minLengthRatio = 2;     // of a line's height over its width, for it to run sideways
    double maxSizeDelta = 0.1;     // of the thicker line's width, between two lines' widths
    double maxEdgeDelta = 0.5;     // line widths between two lines' starting edges
    double maxGapLines = 0.8;      // line widths of white space between two lines
    double maxOverlapLines = 0.3;  // line widths by which two lines' boxes may overlap
    double maxPitchDelta = 0.2;    // line widths between a step and the paragraph's own spacing
    double measureSlack = 1;       // line widths beyond the next line's first word that a line
                                   // may stop short of the paragraph's far edge (ragged lines)
    int minProseWords = 5;         // words of a prose line
};

// The detections with every sideways paragraph of two or more lines made one text
// detection (a new id, the box of its lines, the highest confidence of the detections
// it replaces and at least the text threshold) in place of the text, table and
// document-index detections whose text-layer lines all belong to it. Other detections
// are left as they are, in their order; the new ones follow them.
std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options = {});

}  // namespace ce::SidewaysText
