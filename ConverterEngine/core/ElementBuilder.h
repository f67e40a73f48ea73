// The operations that turn page assembler elements into document elements while
// the element tree is built: a plain element from an intermediate one, and the
// captions and footnotes attached to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DocElement.h"
#include "core/PageAssembler.h"
#include "core/ReadingOrder.h"

namespace ce::PageAssembler {

// Element `index` as a DocElement of `kind`: `text` (or the element's own text) as
// text and orig, level 0, the element's label, its cluster's box and id; every
// other field at its default.
DocElement makeDocElement(const std::vector<Element>& elements, int index, DocElementKind kind,
                          std::optional<std::string> text = std::nullopt);

// Appends the captions (as kind caption) and footnotes (with the kind of their
// label) that the maps list for `index`, in order.
void attachCaptionsAndFootnotes(DocElement& element, int index, const ReadingOrder::CidMap& captions,
                                const ReadingOrder::CidMap& footnotes, const std::vector<Element>& elements);

}  // namespace ce::PageAssembler
