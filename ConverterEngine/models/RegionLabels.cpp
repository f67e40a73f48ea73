#include "models/RegionLabels.h"

#include <algorithm>
#include <set>

#include "models/DetectionText.h"
#include "models/LayoutRun.h"

namespace ce::RegionLabels {

namespace {

bool isTextRegion(DocLabel label) {
    switch (label) {
        case DocLabel::caption:
        case DocLabel::footnote:
        case DocLabel::listItem:
        case DocLabel::pageFooter:
        case DocLabel::pageHeader:
        case DocLabel::sectionHeader:
        case DocLabel::text:
        case DocLabel::title:
        case DocLabel::code: return true;
        default: return false;
    }
}

// The positions of the text-region detections that a more confident one of the same
// region outranks.
std::set<std::size_t> outranked(const std::vector<Cluster>& detections, const Options& options) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (isTextRegion(detections[i].label) && detections[i].bbox.area() > 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return detections[a].confidence > detections[b].confidence;
    });
    std::set<std::size_t> dropped;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const Cluster& keeper = detections[order[k]];
        if (dropped.contains(order[k]) || keeper.confidence < layout::confidenceThreshold(keeper.label)) continue;
        for (std::size_t m = k + 1; m < order.size(); ++m) {
            const Cluster& other = detections[order[m]];
            if (other.confidence < keeper.confidence && keeper.bbox.iou(other.bbox) >= options.minSameRegionIoU)
                dropped.insert(order[m]);
        }
    }
    return dropped;
}

bool isFigureOrTable(DocLabel label) {
    return label == DocLabel::table || label == DocLabel::picture || label == DocLabel::documentIndex;
}

// Whether a table or picture detection lies just below or above the heading's box.
bool besideTableOrPicture(const Cluster& heading, double lineHeight, const std::vector<Cluster>& detections,
                          const Options& options) {
    const double reach = options.maxCaptionGapLines * lineHeight;
    return std::any_of(detections.begin(), detections.end(), [&](const Cluster& other) {
        if (!isFigureOrTable(other.label)) return false;
        const double overlap = std::min(heading.bbox.r, other.bbox.r) - std::max(heading.bbox.l, other.bbox.l);
        if (overlap <= 0) return false;
        const double below = other.bbox.t - heading.bbox.b;
        const double above = heading.bbox.t - other.bbox.b;
        return (below > -lineHeight && below <= reach) || (above > -lineHeight && above <= reach);
    });
}

bool isProseColumn(const std::vector<const TextCell*>& inside, const Options& options) {
    if (static_cast<int>(inside.size()) < options.minProseLines) return false;
    const double height = DetectionText::medianHeight(inside);
    int prose = 0;
    for (const auto& row : DetectionText::rowsOf(inside, 0.5 * height)) {
        if (row.size() > 1) return false;
        if (DetectionText::readsAsProse(row.front()->text, options.minProseWords)) ++prose;
    }
    return prose >= options.minProseShare * static_cast<double>(inside.size());
}

}  // namespace

std::vector<Cluster> corrected(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                               const Options& options) {
    const std::set<std::size_t> dropped = outranked(detections, options);
    std::vector<Cluster> kept;
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (!dropped.contains(i)) kept.push_back(std::move(detections[i]));
    }
    for (Cluster& detection : kept) {
        if (detection.label == DocLabel::sectionHeader || detection.label == DocLabel::title) {
            std::vector<const TextCell*> inside = DetectionText::linesIn(detection.bbox, lines, options.minShareInside);
            if (inside.empty()) continue;
            const TextCell* first = *std::min_element(inside.begin(), inside.end(), [](const TextCell* a, const TextCell* b) {
                return a->bbox.t < b->bbox.t;
            });
            if (DetectionText::startsWithCaptionLabel(first->text) &&
                besideTableOrPicture(detection, first->bbox.height(), kept, options))
                detection.label = DocLabel::caption;
        } else if (layout::isTableLike(detection.label)) {
            if (isProseColumn(DetectionText::linesIn(detection.bbox, lines, options.minShareInside), options))
                detection.label = DocLabel::text;
        }
    }
    return kept;
}

}  // namespace ce::RegionLabels
