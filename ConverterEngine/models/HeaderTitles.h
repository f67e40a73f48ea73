// Page-header detections that are a document's title. The layout model now and then
// labels the big title at the top of a page a page header; page headers go to the
// page's furniture and are left out of the output, so the title would vanish. A
// page-header detection whose text-layer lines are the page's largest type, clearly
// above the page's usual line height, and hold no page number is a title. Running
// headers are set in small type, so they stay page headers. A page-header detection
// that holds all of the page's text has no body to head: it is the page's text. Only
// text-layer lines count. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::HeaderTitles {

struct Options {
    double minShareInside = 0.5;     // of a line's area, for the line to lie in the detection
    double minHeightRatio = 1.5;     // its lines' median height over the page's median line height
    double largestTolerance = 0.95;  // of the page's tallest line, for its tallest line to be the largest type
};

// The detections with every page header relabelled title whose text-layer lines have a
// median height of at least minHeightRatio times that of all the page's text-layer lines,
// whose tallest line is at least largestTolerance times the page's tallest line, and
// whose text holds no page number (no run of digits a page-number pattern captures).
// A page header holding every text-layer line of the page is relabelled text. Other
// detections are left as they are, in their order.
std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options = {});

}  // namespace ce::HeaderTitles
