// Text drawn as ASCII box art (rows of dashes, bars and plus signs) that layout
// detection splits into many small regions: the test for one such region and the
// merge of each vertical run of them into a single code region.
#pragma once

#include <vector>

#include "core/Cluster.h"

namespace ce::PageAssembler {

// A text, list-item or code cluster with at least one cell, every cell of which,
// trimmed, is longer than one character and either starts and ends with "|" or
// "+", or is longer than seven characters of which at least 80 % are rule
// characters ("-", U+2212, U+2013, U+2014, "=", "_", "+", "|").
bool isRuleLine(const Cluster& cluster);

// Box-art clusters visited top to bottom form runs while each one lines up with
// the previous (it starts at most twice its smallest cell height below it and
// overlaps it horizontally by at least 80 % of the narrower width). A run of more
// than one cluster holding more than two cells in all becomes one code cluster
// (smallest id, enclosing box, highest confidence, all cells in run order).
// Result: the other clusters and the new ones, sorted by id; the input unchanged
// when nothing was merged.
std::vector<Cluster> mergeBoxArt(const std::vector<Cluster>& clusters);

}  // namespace ce::PageAssembler
