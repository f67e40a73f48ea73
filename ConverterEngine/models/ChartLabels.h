// Chart labels that recognition reads around a picture detection. The layout model
// boxes a chart's plot and leaves out what is set around it: the legend above, the tick
// labels and axis titles along its edges. On a recognised page those lines, and what
// recognition makes of the chart's strokes beside them (a marker read as "o", a legend
// swatch as "===" or "@"), would come out as paragraphs of the page. A picture detection
// therefore takes in the recognised lines along its edges that read as chart labels:
// short lines that are neither prose nor a caption (nor a caption's text beside its
// label), and that no region of the page's own text (a paragraph, a caption, a heading,
// a list item, a footnote) holds. Growing the box lets post-processing make them the
// picture's children. Text-layer lines are left as they are: they are the chart's own
// words, spelt right, not junk. Stateless; safe from any thread.
#pragma once

#include <string_view>
#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::ChartLabels {

struct Options {
    double minShareInside = 0.5;  // of a line's area, for the line to lie in a region
    int maxLabelWords = 5;        // words of a chart label
    int minProseWords = 6;        // words of a prose line, which is never a label
    double maxGapLines = 3;       // heights of a label line between it and the picture
    double maxFragmentGapShare = 0.2;  // of the picture's larger side, to a line with stroke fragments
    double maxPageShare = 0.9;         // of the page's area: a picture above it is taken for the page itself
};

// Whether some whitespace-separated piece of the text holds no digit and at most one
// letter: what recognition makes of a chart's strokes ("===", "_}", "|", "o", "e]").
bool holdsStrokeFragment(std::string_view text);

// The detections with every picture that passes its confidence threshold grown, one
// line at a time, to take in each recognised line lying beside it (within its extent
// along one axis, give or take one line height) whose gap to it is at most maxGapLines
// of the line's height, or at most maxFragmentGapShare of the picture's larger side for a line
// that holds a stroke fragment (a legend set apart, its swatches read as "===" or "@"),
// when the line has at most maxLabelWords words, reads neither as prose nor as a
// caption, shares no row with a caption line, and lies in no other detection that
// passes its threshold and is labelled caption, footnote, list item, section header or
// title or holds a prose or caption line. A line is not taken in when that would make
// the picture cover more than maxPageShare of the page (the page size in points), as
// post-processing drops such a picture. Other detections are left as they are, in their
// order.
std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines, double pageWidth,
                            double pageHeight, const Options& options = {});

}  // namespace ce::ChartLabels
