#include "models/SidewaysText.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "models/DetectionText.h"
#include "models/LayoutRun.h"

namespace ce::SidewaysText {

namespace {

// Text reading upwards (its glyphs turned to the left) has each next line to the right
// of the one before; text reading downwards has it to the left.
enum class Reading { upwards, downwards };

using Paragraph = std::vector<const TextCell*>;

bool runsSideways(const TextCell& line, const Options& options) {
    return line.bbox.width() > 0 && line.bbox.height() >= options.minLengthRatio * line.bbox.width();
}

double centreX(const TextCell& line) { return (line.bbox.l + line.bbox.r) / 2; }

// How far short of the paragraph's far edge the line stops: the top for text reading
// upwards, the bottom for text reading downwards.
double shortOfMeasure(const TextCell& line, const Paragraph& paragraph, Reading reading) {
    double shortfall = 0;
    for (const TextCell* other : paragraph)
        shortfall = std::max(shortfall, reading == Reading::upwards ? line.bbox.t - other->bbox.t
                                                                    : other->bbox.b - line.bbox.b);
    return shortfall;
}

// Whether `next` is the line after the paragraph's last line when it is read in
// `reading`: the same thickness, next to it at the paragraph's spacing, starting at the
// same edge, and the last line running so close to the far edge that the next line's
// first word (and a little more, for ragged lines) would not have fitted after it.
bool follows(const Paragraph& paragraph, const TextCell& next, Reading reading, const Options& options) {
    const TextCell& line = *paragraph.back();
    const BBox& a = line.bbox;
    const BBox& b = next.bbox;
    const double width = std::max(a.width(), b.width());
    if (std::abs(a.width() - b.width()) > options.maxSizeDelta * width) return false;
    const bool upwards = reading == Reading::upwards;
    const double gap = upwards ? b.l - a.r : a.l - b.r;
    if (gap < -options.maxOverlapLines * width || gap > options.maxGapLines * width) return false;
    const double startDelta = upwards ? a.b - b.b : a.t - b.t;
    if (std::abs(startDelta) > options.maxEdgeDelta * width) return false;
    if (paragraph.size() >= 2) {
        const double pitch = std::abs(centreX(line) - centreX(*paragraph[paragraph.size() - 2]));
        if (std::abs(std::abs(centreX(next) - centreX(line)) - pitch) > options.maxPitchDelta * width) return false;
    }
    std::vector<const TextCell*> both = paragraph;
    both.push_back(&next);
    return shortOfMeasure(line, both, reading) < b.height() * DetectionText::firstWordShare(next.text) + options.measureSlack * width;
}

// The sideways paragraphs of two or more lines, each in the text layer's order.
std::vector<Paragraph> paragraphsOf(const std::vector<TextCell>& lines, const Options& options) {
    const std::vector<const TextCell*> layer = DetectionText::textLayerLines(lines);
    std::vector<Paragraph> paragraphs;
    for (std::size_t i = 0; i < layer.size();) {
        if (!runsSideways(*layer[i], options)) {
            ++i;
            continue;
        }
        Paragraph paragraph{layer[i]};
        std::optional<Reading> reading;
        std::size_t next = i + 1;
        // Only a line that reads as prose has a line after it.
        for (; next < layer.size() && runsSideways(*layer[next], options) &&
               DetectionText::readsAsProse(paragraph.back()->text, options.minProseWords);
             ++next) {
            const TextCell& candidate = *layer[next];
            const Reading way = reading.value_or(centreX(candidate) > centreX(*paragraph.back()) ? Reading::upwards
                                                                                                 : Reading::downwards);
            if (!follows(paragraph, candidate, way, options)) break;
            reading = way;
            paragraph.push_back(&candidate);
        }
        if (paragraph.size() >= 2) paragraphs.push_back(std::move(paragraph));
        i = next;
    }
    return paragraphs;
}

bool mayBeReplaced(DocLabel label) { return label == DocLabel::text || layout::isTableLike(label); }

}  // namespace

std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options) {
    const std::vector<Paragraph> paragraphs = paragraphsOf(lines, options);
    if (paragraphs.empty()) return detections;
    std::vector<std::vector<const TextCell*>> held;
    for (const Cluster& detection : detections)
        held.push_back(DetectionText::linesIn(detection.bbox, lines, options.minShareInside));

    // A paragraph that a figure holds, or a region that also holds other lines, stays as
    // the model found it.
    std::set<const TextCell*> sideways;
    for (const Paragraph& paragraph : paragraphs) sideways.insert(paragraph.begin(), paragraph.end());
    auto isSideways = [&](const TextCell* line) { return sideways.contains(line); };
    std::vector<bool> replaceable(detections.size(), false);
    for (std::size_t k = 0; k < detections.size(); ++k)
        replaceable[k] = mayBeReplaced(detections[k].label) && !held[k].empty() &&
                         std::all_of(held[k].begin(), held[k].end(), isSideways);
    std::vector<const Paragraph*> kept;
    std::set<const TextCell*> joinedLines;
    for (const Paragraph& paragraph : paragraphs) {
        const std::set<const TextCell*> members(paragraph.begin(), paragraph.end());
        const bool claimed = std::any_of(detections.begin(), detections.end(), [&](const Cluster& detection) {
            const std::size_t k = static_cast<std::size_t>(&detection - detections.data());
            return !replaceable[k] && detection.confidence >= layout::confidenceThreshold(detection.label) &&
                   std::any_of(held[k].begin(), held[k].end(), [&](const TextCell* line) { return members.contains(line); });
        });
        if (claimed) continue;
        kept.push_back(&paragraph);
        joinedLines.insert(paragraph.begin(), paragraph.end());
    }

    int nextID = 0;
    for (const Cluster& detection : detections) nextID = std::max(nextID, detection.id + 1);
    std::vector<bool> removed(detections.size(), false);
    for (std::size_t k = 0; k < detections.size(); ++k)
        removed[k] = replaceable[k] &&
                     std::all_of(held[k].begin(), held[k].end(), [&](const TextCell* line) { return joinedLines.contains(line); });
    std::vector<Cluster> added;
    for (const Paragraph* paragraph : kept) {
        Cluster region;
        region.id = nextID++;
        region.label = DocLabel::text;
        region.bbox = paragraph->front()->bbox;
        region.confidence = layout::confidenceThreshold(DocLabel::text);
        for (const TextCell* line : *paragraph) region.bbox = region.bbox.unionWith(line->bbox);
        for (std::size_t k = 0; k < detections.size(); ++k) {
            if (removed[k] && std::any_of(held[k].begin(), held[k].end(), [&](const TextCell* line) {
                    return std::find(paragraph->begin(), paragraph->end(), line) != paragraph->end();
                }))
                region.confidence = std::max(region.confidence, detections[k].confidence);
        }
        added.push_back(std::move(region));
    }
    std::vector<Cluster> result;
    for (std::size_t k = 0; k < detections.size(); ++k) {
        if (!removed[k]) result.push_back(std::move(detections[k]));
    }
    result.insert(result.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    return result;
}

}  // namespace ce::SidewaysText
