// Labels of text regions corrected by what the page's text layer says, before
// post-processing. The layout model often gives one region two or three labels with
// nearly the same box (a numbered list item also as text, a table caption also as a
// heading); post-processing gives each line to the box that holds most of it, so the
// label whose box happens to be a point larger wins over the one the model is surer
// of. Of such boxes the most confident label that passes its threshold is kept. A
// heading that opens with a caption label ("Table 1. …") next to a table or picture is
// that one's caption. A table or contents detection whose lines form one column of
// running prose is a page of text: exported as a table it would become a one-column
// table of sentences. Only text-layer lines count. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::RegionLabels {

struct Options {
    double minShareInside = 0.5;    // of a line's area, for the line to lie in a region
    double minSameRegionIoU = 0.75;  // of two boxes, for them to be one region
    double maxCaptionGapLines = 3;  // line heights between a caption heading and its table or picture
    int minProseLines = 3;          // lines of a table detection, for it to be read as prose
    int minProseWords = 5;          // words of a prose line
    double minProseShare = 0.75;    // of a table detection's lines, prose lines, for it to be text
};

// The detections with: of every two text-region detections (caption, footnote, list
// item, page header or footer, section header, text, title, code) whose boxes have an
// intersection over union of at least minSameRegionIoU, the less confident one removed
// when the other passes its label's threshold; every section header or title whose
// first text-layer line opens with a caption label relabelled caption when a table or
// picture detection overlapping it horizontally starts or ends within
// maxCaptionGapLines of its line height below or above it; and every table or
// document index of at least minProseLines text-layer lines, no two of them side by
// side, of which at least minProseShare read as prose (minProseWords words, mostly of
// letters, not ending in a number), relabelled text. Other detections are left as they
// are, in their order.
std::vector<Cluster> corrected(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                               const Options& options = {});

}  // namespace ce::RegionLabels
