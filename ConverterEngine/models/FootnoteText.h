// Footnote detections that are body text. The layout model takes the last lines of a
// short page for footnotes (an invoice's payment terms and closing line), and they are
// then written as footnotes (a DOCX footnote paragraph, the page's footnote region). A
// footnote is set in smaller type than the text it annotates, or opens with its note
// mark; a footnote detection whose type is the size of the page's other text and whose
// lines open with no note mark is text. The type size is read as the width of a
// line's box per character, which ascenders and descenders do not change. Recognised
// lines count as well as text-layer ones: only the lines' widths and first characters
// are read. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::FootnoteText {

struct Options {
    double minShareInside = 0.5;  // of a line's area, for the line to lie in a detection
    double minSizeRatio = 0.85;   // its lines' median width per character over that of the page's other text
    int minOtherLines = 3;        // lines of other text on the page, for their type size to count
};

// The detections with every footnote relabelled text whose lines (text-layer or
// recognised) have a median width per character of at least minSizeRatio times that of
// the page's other text (its lines outside footnote, table, document-index and picture
// detections), when there are at least minOtherLines of those, and none of whose lines
// opens with a note mark (a digit, an asterisk, dagger or section sign, a superscript
// digit, or a bracketed number or letter). Other detections are left as they are, in
// their order.
std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options = {});

}  // namespace ce::FootnoteText
