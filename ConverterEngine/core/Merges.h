// Paragraphs broken across columns: which text elements
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
// with a Latin letter. Text below in the same column is a paragraph of its own. Only
// chains with a continuation have an entry.
CidMap predictMerges(const std::vector<ROElement>& ordered);

}  // namespace ce::ReadingOrder
