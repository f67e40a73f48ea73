// Paragraphs broken across columns or into boxes of single lines: which text elements
// of one ordered group continue the text element before them. Keyed by `cid`;
// elements are not changed.
#pragma once

#include <vector>

#include "core/ReadingOrder.h"

namespace ce::ReadingOrder {

// First cid of a chain -> the cids that continue it, in order. A text element
// continues the chain when it is the next element apart from page furniture,
// tables, pictures, captions and footnotes, is a text element lying strictly
// right of the chain's first element, the text so far ends in a lower-case
// ASCII letter, a comma, a hyphen or a soft hyphen, and its own text starts
// with a Latin letter. It also continues the chain when it directly follows the
// chain's last element as the next line of the same column: the same line height,
// at most one line height below, not indented further, not a list marker, and the
// element above leaves its sentence open or is one full line. Only chains with a
// continuation have an entry.
CidMap predictMerges(const std::vector<ROElement>& ordered);

}  // namespace ce::ReadingOrder
