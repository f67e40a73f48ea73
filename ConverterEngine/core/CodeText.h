// The text of a code block, rebuilt from its word boxes so that indentation and
// column alignment survive: words are grouped into lines, and each line is laid
// out on a character grid whose column width is measured from the words.
//
// Callers may rely on: lines are separated by "\n"; no line holds a cell starting
// beyond column `maxColumn`, whatever the boxes (zero-width, inverted or far-off
// boxes fall back to single spaces or to the cap, never to runaway padding).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/TextCell.h"

namespace ce::PageAssembler {

// Widths per character below this are unreliable: the grid is not used then.
inline constexpr double minCharWidth = 0.01;
// No cell is placed or filled beyond this column.
inline constexpr int maxColumn = 1000;

// The code block's text from the cluster's own cells and the page words selected
// for it (the words win when there are any).
std::string codeText(const std::vector<TextCell>& cells, const std::vector<TextCell>& words);

// Spaces for a gap between two neighbouring cells of a line, given the character
// width: 0 for a gap under 0.35 characters, none (the column decides) for 2.5
// characters or more, otherwise max(1, nearest(gap / width - 0.4)).
std::optional<int> gapSpaces(double gap, double charWidth);

}  // namespace ce::PageAssembler
