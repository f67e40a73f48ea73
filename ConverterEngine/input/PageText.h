// A page's text as three lists of text cells in page points (top-left origin):
// lines, words and segments (pieces of lines split at wide horizontal gaps). The PDF
// text layer fills lines and words; text recognition fills all three. A text layer
// whose page is drawn upside down is `halfTurned`: its cells lie on the page turned by
// a half turn about its centre, where the text reads upright, and the page's images
// must be turned the same way to agree with them.
#pragma once

#include <vector>

#include "core/TextCell.h"

namespace ce {

struct PageText {
    std::vector<TextCell> lines;
    std::vector<TextCell> words;
    std::vector<TextCell> segments;
    bool halfTurned = false;

    bool operator==(const PageText&) const = default;
};

// The number of grapheme clusters of the cells' texts that are not white space
// (newlines included); used to weigh a text layer against recognised text.
int nonWhitespaceCharacterCount(const std::vector<TextCell>& cells);

}  // namespace ce
