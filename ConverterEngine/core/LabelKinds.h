// The kind of document element that a region label becomes (checkbox labels both
// become checkbox, key-value regions keyValue, page headers and footers text).
#pragma once

#include "core/DocElement.h"
#include "core/DocLabel.h"

namespace ce::PageAssembler {

DocElementKind kindForLabel(DocLabel label);

}  // namespace ce::PageAssembler
