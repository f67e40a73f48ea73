#include "models/ParagraphLines.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Regex.h"
#include "core/Unicode.h"
#include "models/DetectionText.h"

namespace ce::ParagraphLines {

namespace {

// A label and a colon at the start: "Account holder: …", "Tel.: …".
bool isKeyValue(const std::string& text) {
    static const Regex pattern(u"\\A\\s*[^:\\s][^:]{0,39}:(?:\\s|\\z)");
    return pattern.find(toUnicode(text));
}

bool startsLikeAListItem(const std::string& text) {
    static const Regex marker(
        u"\\A\\s*(?:[-*+\u2022\u00B7\u2013\u2014\u25AA\u25CF]|\\(?\\d{1,3}[.)]|[a-zA-Z][.)])(?:\\s|\\z)");
    return marker.find(toUnicode(text));
}

// The rightmost end of the page's text-layer lines that start where `line` does.
double rightEdgeOfColumn(const TextCell& line, const std::vector<TextCell>& lines) {
    double right = line.bbox.r;
    for (const TextCell& other : lines) {
        if (DetectionText::fromTextLayer(other) && std::abs(other.bbox.l - line.bbox.l) <= 0.5 * line.bbox.height())
            right = std::max(right, other.bbox.r);
    }
    return right;
}

struct Block {
    std::size_t index;                    // into the detections
    std::vector<const TextCell*> lines;  // top to bottom
};

bool closesLine(const TextCell& line) {
    return DetectionText::startsWithCaptionLabel(line.text) || isKeyValue(line.text);
}

// Whether `lower` continues the paragraph whose lines are `upper`.
bool continues(const std::vector<const TextCell*>& upper, const std::vector<const TextCell*>& lower,
               double columnRight, const Options& options) {
    const TextCell& last = *upper.back();
    const TextCell& first = *lower.front();
    const double height = std::max(last.bbox.height(), first.bbox.height());
    if (!(height > 0)) return false;
    if (std::abs(last.bbox.height() - first.bbox.height()) > options.maxSizeDelta * height) return false;
    if (std::abs(last.bbox.l - first.bbox.l) > options.maxEdgeDelta * height) return false;
    const double gap = first.bbox.t - last.bbox.b;
    if (gap < -0.2 * height || gap > options.maxGapLines * height) return false;
    if (upper.size() >= 2) {
        const double pitch = last.bbox.t - upper[upper.size() - 2]->bbox.t;
        if (std::abs((first.bbox.t - last.bbox.t) - pitch) > options.maxPitchDelta * height) return false;
    }
    if (columnRight - last.bbox.r >= first.bbox.width() * DetectionText::firstWordShare(first.text) + 0.3 * height) return false;
    for (const TextCell* line : {upper.front(), &last, &first}) {
        if (closesLine(*line)) return false;
    }
    return !startsLikeAListItem(first.text);
}

}  // namespace

std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options) {
    std::vector<Block> blocks;
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (detections[i].label != DocLabel::text) continue;
        auto inside = DetectionText::linesIn(detections[i].bbox, lines, options.minShareInside);
        if (inside.empty()) continue;
        std::sort(inside.begin(), inside.end(), [](const TextCell* a, const TextCell* b) { return a->bbox.t < b->bbox.t; });
        blocks.push_back({i, std::move(inside)});
    }
    std::sort(blocks.begin(), blocks.end(),
              [&](const Block& a, const Block& b) { return detections[a.index].bbox.t < detections[b.index].bbox.t; });
    std::vector<bool> removed(detections.size(), false);
    for (std::size_t a = 0; a < blocks.size(); ++a) {
        if (removed[blocks[a].index]) continue;
        Block& upper = blocks[a];
        for (std::size_t b = a + 1; b < blocks.size(); ++b) {
            const Block& lower = blocks[b];
            if (removed[lower.index]) continue;
            const BBox& up = detections[upper.index].bbox;
            const BBox& down = detections[lower.index].bbox;
            if (std::min(up.r, down.r) <= std::max(up.l, down.l)) continue;  // another column
            // The nearest detection below in the same column, and nothing else between. The
            // column reaches as far right as any text-layer line starting at its left edge.
            const double columnRight = std::max({up.r, down.r, rightEdgeOfColumn(*upper.lines.back(), lines)});
            const bool between = std::any_of(detections.begin(), detections.end(), [&](const Cluster& other) {
                return &other != &detections[upper.index] && &other != &detections[lower.index] &&
                       other.bbox.t >= upper.lines.back()->bbox.b - 0.5 && other.bbox.b <= lower.lines.front()->bbox.t + 0.5 &&
                       std::min(other.bbox.r, columnRight) > std::max(other.bbox.l, std::min(up.l, down.l));
            });
            if (between || !continues(upper.lines, lower.lines, columnRight, options)) break;
            Cluster& target = detections[upper.index];
            target.bbox = target.bbox.unionWith(down);
            target.confidence = std::max(target.confidence, detections[lower.index].confidence);
            upper.lines.insert(upper.lines.end(), lower.lines.begin(), lower.lines.end());
            removed[lower.index] = true;
        }
    }
    // A paragraph's next line that no detection holds (the box stops short of the last line)
    // belongs to the paragraph above it when it passes the same tests.
    std::vector<const TextCell*> loose;
    for (const TextCell& line : lines) {
        if (!DetectionText::fromTextLayer(line)) continue;
        const bool held = std::any_of(detections.begin(), detections.end(), [&](const Cluster& d) {
            return line.bbox.intersectionArea(d.bbox) >= options.minShareInside * line.bbox.area();
        });
        if (!held) loose.push_back(&line);
    }
    std::sort(loose.begin(), loose.end(), [](const TextCell* a, const TextCell* b) { return a->bbox.t < b->bbox.t; });
    for (Block& block : blocks) {
        if (removed[block.index]) continue;
        Cluster& target = detections[block.index];
        for (const TextCell*& line : loose) {
            if (line == nullptr || line->bbox.t < block.lines.back()->bbox.b - 0.5) continue;
            if (std::min(line->bbox.r, target.bbox.r) <= std::max(line->bbox.l, target.bbox.l)) continue;
            const double columnRight = std::max({target.bbox.r, rightEdgeOfColumn(*block.lines.back(), lines)});
            if (!continues(block.lines, {line}, columnRight, options)) break;
            target.bbox = target.bbox.unionWith(line->bbox);
            block.lines.push_back(line);
            line = nullptr;
        }
    }

    std::vector<Cluster> kept;
    kept.reserve(detections.size());
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (!removed[i]) kept.push_back(std::move(detections[i]));
    }
    return kept;
}

}  // namespace ce::ParagraphLines
