// Layout detections and page lines for the tests of the corrections made to the
// layout model's detections before post-processing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::testing {

inline Cluster detection(int id, DocLabel label, BBox box, double confidence = 0.8) {
    Cluster cluster;
    cluster.id = id;
    cluster.label = label;
    cluster.bbox = box;
    cluster.confidence = confidence;
    return cluster;
}

// Appends a line with the next index, from the text layer unless fromOCR.
inline void addLine(std::vector<TextCell>& lines, std::string text, BBox box, bool fromOCR = false) {
    lines.push_back({static_cast<int>(lines.size()), std::move(text), box, 1, fromOCR});
}

}  // namespace ce::testing
