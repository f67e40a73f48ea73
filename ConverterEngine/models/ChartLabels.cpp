#include "models/ChartLabels.h"

#include <algorithm>
#include <cmath>

#include <unicode/uchar.h>

#include "core/StringUtils.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"
#include "models/DetectionText.h"
#include "models/LayoutRun.h"

namespace ce::ChartLabels {

namespace {

bool holdsVisibleText(const TextCell& line) { return !isBlank(line.text) && line.bbox.area() > 0; }

bool liesIn(const TextCell& line, const BBox& box, const Options& options) {
    return line.bbox.intersectionArea(box) >= options.minShareInside * line.bbox.area();
}

bool isPageTextLine(const TextCell& line, const Options& options) {
    return DetectionText::readsAsProse(line.text, options.minProseWords) ||
           DetectionText::startsWithCaptionLabel(line.text);
}

bool readsAsLabel(const TextCell& line, const Options& options) {
    return line.fromOCR && holdsVisibleText(line) &&
           static_cast<int>(wordTokens(line.text).size()) <= options.maxLabelWords && !isPageTextLine(line, options);
}

// Whether the two lines share a row: their vertical centres lie within half the taller
// one's height.
bool shareRow(const BBox& a, const BBox& b) {
    return std::abs((a.t + a.b) / 2 - (b.t + b.b) / 2) <= 0.5 * std::max(a.height(), b.height());
}

// Regions of the page's own text, whose lines are never a chart's labels.
bool holdsPageText(const Cluster& detection, const std::vector<TextCell>& lines, const Options& options) {
    if (layout::isSpecial(detection.label) || detection.confidence < layout::confidenceThreshold(detection.label))
        return false;
    switch (detection.label) {
        case DocLabel::caption:
        case DocLabel::footnote:
        case DocLabel::listItem:
        case DocLabel::sectionHeader:
        case DocLabel::title: return true;
        default: break;
    }
    return std::any_of(lines.begin(), lines.end(), [&](const TextCell& line) {
        return holdsVisibleText(line) && liesIn(line, detection.bbox, options) && isPageTextLine(line, options);
    });
}

// The gap between two extents along one axis; 0 when they overlap or touch.
double gapBetween(double a0, double a1, double b0, double b1) { return std::max({0.0, b0 - a1, a0 - b1}); }

// Whether the line lies beside the box, within the box's extent along one axis (give or
// take one line height) and at most `maxGap` from it along the other.
bool liesBeside(const BBox& line, const BBox& box, double maxGap) {
    const double slack = line.height();
    const bool withinColumn = line.l >= box.l - slack && line.r <= box.r + slack;
    const bool withinRow = line.t >= box.t - slack && line.b <= box.b + slack;
    return (withinColumn && gapBetween(line.t, line.b, box.t, box.b) <= maxGap) ||
           (withinRow && gapBetween(line.l, line.r, box.l, box.r) <= maxGap);
}

}  // namespace

bool holdsStrokeFragment(std::string_view text) {
    struct Piece {
        bool open = false;
        bool digit = false;
        int letters = 0;
        bool isFragment() const { return open && !digit && letters <= 1; }
    } piece;
    for (std::size_t i = 0; i < text.size();) {
        const UChar32 c = nextScalar(text, i);
        if (isWhitespace(c)) {
            if (piece.isFragment()) return true;
            piece = {};
            continue;
        }
        piece.open = true;
        piece.digit = piece.digit || u_isdigit(c);
        if (u_isalpha(c)) ++piece.letters;
    }
    return piece.isFragment();
}

std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options) {
    std::vector<bool> candidate(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) candidate[k] = readsAsLabel(lines[k], options);
    // A caption's text set apart from its label ("Figure 1-1   Processor units") is the caption's.
    for (const TextCell& caption : lines) {
        if (!holdsVisibleText(caption) || !DetectionText::startsWithCaptionLabel(caption.text)) continue;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (candidate[k] && shareRow(lines[k].bbox, caption.bbox)) candidate[k] = false;
        }
    }
    for (const Cluster& detection : detections) {
        if (!holdsPageText(detection, lines, options)) continue;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (candidate[k] && liesIn(lines[k], detection.bbox, options)) candidate[k] = false;
        }
    }
    for (Cluster& picture : detections) {
        if (picture.label != DocLabel::picture || picture.confidence < layout::confidenceThreshold(picture.label))
            continue;
        std::vector<bool> open = candidate;
        // Each label taken in widens the box, which may bring the next one within reach
        // (an axis title below the tick labels, a legend above the topmost tick).
        for (bool grown = true; grown;) {
            grown = false;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                if (!open[k]) continue;
                const BBox& box = lines[k].bbox;
                const double maxGap =
                    holdsStrokeFragment(lines[k].text)
                        ? options.maxFragmentGapShare * std::max(picture.bbox.width(), picture.bbox.height())
                        : options.maxGapLines * box.height();
                if (liesIn(lines[k], picture.bbox, options) || !liesBeside(box, picture.bbox, maxGap)) continue;
                picture.bbox = picture.bbox.unionWith(box);
                open[k] = false;
                grown = true;
            }
        }
    }
    return detections;
}

}  // namespace ce::ChartLabels
