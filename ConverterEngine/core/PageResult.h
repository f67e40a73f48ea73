// What the page pipeline returns for one page (Converter::PageResult).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Cluster.h"
#include "core/ConversionResult.h"
#include "core/DocElement.h"

namespace ce {

struct PageResult {
    AssembledPage page;
    std::vector<Cluster> clusters;  // the final cluster tree of the page
    double pageWidth = 0;
    double pageHeight = 0;
    bool usedOCR = false;
    std::map<std::string, double> timings;  // "text", "layout", "tables", "assembly", "pictures"
    std::map<int, Data> crops;              // PNG images by cluster id
    std::optional<double> deskewDegrees;  // the corrected turn: the skew, plus 180 on a page read upside down
};

}  // namespace ce
