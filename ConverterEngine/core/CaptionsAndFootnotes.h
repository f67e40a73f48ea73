// Which caption belongs to which picture, table or code block, and which
// footnotes belong to a table or picture, decided on a page's elements in
// reading order. Both results are keyed by `cid`; neither changes an element.
#pragma once

#include <vector>

#include "core/ReadingOrder.h"

namespace ce::ReadingOrder {

// Target cid -> [caption cid]. A caption's candidates are the unbroken run of
// pictures, tables and code directly before and after it, nearest box first
// (the one before wins a tie). Captions are matched in reading order by
// augmenting paths, so each target takes at most one caption, each caption
// serves at most one target, and as many captions as possible are placed.
CidMap attachCaptions(const std::vector<ROElement>& ordered);

// Table or picture cid -> the cids of the footnotes that directly follow it,
// in order. Only targets with at least one footnote have an entry.
CidMap attachFootnotes(const std::vector<ROElement>& ordered);

}  // namespace ce::ReadingOrder
