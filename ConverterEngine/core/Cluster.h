// A layout detection after post-processing: label, box, score, the text cells
// assigned to it and the regular clusters nested inside it.
#pragma once

#include <vector>

#include "core/BBox.h"
#include "core/DocLabel.h"
#include "core/TextCell.h"

namespace ce {

struct Cluster {
    int id = 0;  // unique within a page; also the LayoutRegion id and the elements' clusterID
    DocLabel label = DocLabel::text;
    BBox bbox;
    double confidence = 0;
    std::vector<TextCell> cells;
    std::vector<Cluster> children;
};

}  // namespace ce
