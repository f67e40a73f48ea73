#include "models/TableBoxes.h"

#include <algorithm>

#include "models/LayoutRun.h"

namespace ce::TableBoxes {

namespace {

// Whether a detection other than a table holds most of the line.
bool heldElsewhere(const TextCell& line, double lineArea, const std::vector<Cluster>& detections,
                   const Options& options) {
    for (const Cluster& other : detections) {
        if (layout::isTableLike(other.label) || other.confidence < options.minOtherConfidence) continue;
        if (line.bbox.intersectionArea(other.bbox) >= options.minHeldShare * lineArea) return true;
    }
    return false;
}

// Whether the line runs at the height of the box's rows (most of its height within the
// box's), so that a side edge, not the top or bottom, cuts it.
bool besideRows(const BBox& line, const BBox& box, const Options& options) {
    const double overlap = std::min(line.b, box.b) - std::max(line.t, box.t);
    return overlap >= options.minRowShare * line.height();
}

}  // namespace

std::vector<Cluster> grown(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                           const Options& options) {
    const std::vector<Cluster> detected = detections;
    for (Cluster& detection : detections) {
        if (!layout::isTableLike(detection.label)) continue;
        const BBox box = detection.bbox;
        for (const TextCell& line : lines) {
            const double lineArea = line.bbox.area();
            if (!(lineArea > 0)) continue;
            const double inside = line.bbox.intersectionArea(box);
            if (inside >= options.minShareInside * lineArea ||
                (inside >= options.minShareCut * lineArea && besideRows(line.bbox, box, options) &&
                 !heldElsewhere(line, lineArea, detected, options)))
                detection.bbox = detection.bbox.unionWith(line.bbox);
        }
    }
    return detections;
}

}  // namespace ce::TableBoxes
