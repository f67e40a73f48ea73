#include "models/TableBoxes.h"

#include "models/LayoutRun.h"

namespace ce::TableBoxes {

std::vector<Cluster> grown(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                           const Options& options) {
    for (Cluster& detection : detections) {
        if (!layout::isTableLike(detection.label)) continue;
        const BBox detected = detection.bbox;
        for (const TextCell& line : lines) {
            const double lineArea = line.bbox.area();
            if (!(lineArea > 0)) continue;
            if (line.bbox.intersectionArea(detected) >= options.minShareInside * lineArea)
                detection.bbox = detection.bbox.unionWith(line.bbox);
        }
    }
    return detections;
}

}  // namespace ce::TableBoxes
