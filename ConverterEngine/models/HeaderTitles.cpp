#include "models/HeaderTitles.h"

#include <algorithm>
#include <string>

#include "core/RunningFurniture.h"
#include "models/DetectionText.h"

namespace ce::HeaderTitles {

namespace {

double tallest(const std::vector<const TextCell*>& lines) {
    double height = 0;
    for (const TextCell* line : lines) height = std::max(height, line->bbox.height());
    return height;
}

bool holdsPageNumber(const std::vector<const TextCell*>& lines) {
    for (const TextCell* line : lines) {
        if (!RunningFurniture::pageNumberSlots(RunningFurniture::normalisedKey(line->text)).empty()) return true;
    }
    return false;
}

}  // namespace

std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options) {
    const std::vector<const TextCell*> pageLines = DetectionText::textLayerLines(lines);
    if (pageLines.empty()) return detections;
    const double pageMedian = DetectionText::medianHeight(pageLines);
    const double pageTallest = tallest(pageLines);
    for (Cluster& detection : detections) {
        if (detection.label != DocLabel::pageHeader) continue;
        const auto inside = DetectionText::linesIn(detection.bbox, lines, options.minShareInside);
        if (inside.empty()) continue;
        if (inside.size() == pageLines.size()) {
            // All the page's text: there is no body for it to head.
            detection.label = DocLabel::text;
            continue;
        }
        if (DetectionText::medianHeight(inside) < options.minHeightRatio * pageMedian) continue;
        if (tallest(inside) < options.largestTolerance * pageTallest) continue;
        if (holdsPageNumber(inside)) continue;
        detection.label = DocLabel::title;
    }
    return detections;
}

}  // namespace ce::HeaderTitles
