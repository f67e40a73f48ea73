// Folding the text of an element that continues a paragraph into the element
// it continues, when the page's elements are built.
#pragma once

#include <string_view>

#include "core/DocElement.h"

namespace ce::PageAssembler {

// Appends the continuation (its leading whitespace removed) to `text` and
// `orig` and its cluster id to `mergedClusterIDs`. A trailing soft hyphen is
// always dropped and the two are joined directly; so is a trailing "-" when
// the continuation starts with a lower-case letter. Otherwise they are joined
// with one space and a hyphen stays.
void appendContinuation(DocElement& element, std::string_view continuationText, int continuationClusterID);

}  // namespace ce::PageAssembler
