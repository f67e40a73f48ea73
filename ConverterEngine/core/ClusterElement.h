// The document element of a child cluster of a table that has no recognised
// structure, built from the cluster's own cells alone.
#pragma once

#include "core/Cluster.h"
#include "core/DocElement.h"

namespace ce::PageAssembler {

// Text: the cells' texts in stored order, each cleaned (U+0002 -> "-", trimmed),
// empty ones dropped, joined with single spaces; `orig` is that text. A list item
// is split into marker and text (ListMarkers::split); section headers and titles
// become section headers of level 1; formulas, pictures and tables become text
// elements that keep their label; other labels take the kind of their label.
// `tableCellOf` is `tableClusterID`; list and merge fields keep their defaults.
DocElement makeClusterDocElement(const Cluster& cluster, int tableClusterID);

}  // namespace ce::PageAssembler
