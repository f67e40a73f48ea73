// Table detections grown to the text lines their edges cut. A detected table box often
// lies a little inside the table: its edge then runs through the first letters of
// every label, the last digits of an amount column or a header row, and the words it
// cuts fall out of the table (or the table loses them altogether). A line counts as
// the table's own when enough of it lies inside the box; such a line is part of the
// table, so the box takes the line's whole box. Lines mostly outside (a caption above,
// a paragraph beside) leave the box as it is. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::TableBoxes {

struct Options {
    double minShareInside = 0.3;       // of a line's area, for the line to belong to the table
    double minShareCut = 0.02;         // of a line's area, for a line beside the rows that no other region holds
    double minRowShare = 0.5;          // of a line's height within the box's, for the line to lie beside its rows
    double minHeldShare = 0.5;         // of a line's area inside another region, for it to hold the line
    double minOtherConfidence = 0.45;  // of another detection, for it to hold lines
};

// The detections with every table and document index box widened to the union with
// the boxes of the lines it holds at least minShareInside of, and of the lines at the
// height of its rows that its side edges cut (at least minShareCut inside) when no
// other detection holds them: a right-aligned amount column or the first letters of
// the labels that the box's edge just touches are the table's, while a caption above
// or a paragraph that its own region holds is not. Other detections, and lines of no
// area, are left as they are. The lines are read against the detected boxes, not
// against boxes already grown, so growing never chains across the page.
std::vector<Cluster> grown(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                           const Options& options = {});

}  // namespace ce::TableBoxes
