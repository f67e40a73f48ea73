// Turns one page's raw layout detections and its text cells into the page's final
// cluster tree: weak detections dropped, every text cell given to the region that
// covers it, a text region for each piece of text no region claims, duplicate
// detections merged, regions nested in pictures, tables, document indexes, forms
// and key-value regions, and everything in page order. A plain value; process()
// never fails and may run on several pages at once on different threads.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce {

struct LayoutPostprocessor {
    double pageWidth = 0;
    double pageHeight = 0;
    std::vector<TextCell> cells;     // the page's text cells in page order; TextCell::index identifies a cell
    std::vector<Cluster> clusters;   // the detections, as layout detection gives them

    struct Result {
        std::vector<Cluster> clusters;  // the final top-level clusters with their children
        std::vector<TextCell> cells;    // the input cells, unchanged
    };

    Result process() const;
};

}  // namespace ce
