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

bool liesIn(const TextCell& line, const BBox& box, const Options& options) {
    return line.bbox.intersectionArea(box) >= options.minShareInside * line.bbox.area();
}

// What one line's text says, read once.
struct LineText {
    bool pageText = false;  // prose or a caption, never a label
    bool caption = false;
    bool label = false;     // a recognised short line that is not the page's text
    bool fragment = false;  // holds a stroke fragment
};

std::vector<LineText> readLines(const std::vector<TextCell>& lines, const Options& options) {
    std::vector<LineText> read(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const TextCell& line = lines[k];
        if (isBlank(line.text) || !(line.bbox.area() > 0)) continue;
        read[k].caption = DetectionText::startsWithCaptionLabel(line.text);
        read[k].pageText = read[k].caption || DetectionText::readsAsProse(line.text, options.minProseWords);
        read[k].label = line.fromOCR && !read[k].pageText &&
                        static_cast<int>(wordTokens(line.text).size()) <= options.maxLabelWords;
        read[k].fragment = holdsStrokeFragment(line.text);
    }
    return read;
}

// Whether the two lines share a row: their vertical centres lie within half the taller
// one's height.
bool shareRow(const BBox& a, const BBox& b) {
    return std::abs((a.t + a.b) / 2 - (b.t + b.b) / 2) <= 0.5 * std::max(a.height(), b.height());
}

bool passes(const Cluster& detection) { return detection.confidence >= layout::confidenceThreshold(detection.label); }

// Regions of the page's own text, whose lines are never a chart's labels.
bool holdsPageText(const Cluster& detection, const std::vector<TextCell>& lines, const std::vector<LineText>& read,
                   const Options& options) {
    if (layout::isSpecial(detection.label) || !passes(detection)) return false;
    switch (detection.label) {
        case DocLabel::caption:
        case DocLabel::footnote:
        case DocLabel::listItem:
        case DocLabel::sectionHeader:
        case DocLabel::title: return true;
        default: break;
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (read[k].pageText && liesIn(lines[k], detection.bbox, options)) return true;
    }
    return false;
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

std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines, double pageWidth,
                            double pageHeight, const Options& options) {
    const bool anyPicture = std::any_of(detections.begin(), detections.end(), [](const Cluster& detection) {
        return detection.label == DocLabel::picture && passes(detection);
    });
    if (!anyPicture || std::none_of(lines.begin(), lines.end(), [](const TextCell& line) { return line.fromOCR; }))
        return detections;
    const std::vector<LineText> read = readLines(lines, options);
    std::vector<bool> candidate(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) candidate[k] = read[k].label;
    // A caption's text set apart from its label ("Figure 1-1   Processor units") is the caption's.
    for (std::size_t c = 0; c < lines.size(); ++c) {
        if (!read[c].caption) continue;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (candidate[k] && shareRow(lines[k].bbox, lines[c].bbox)) candidate[k] = false;
        }
    }
    for (const Cluster& detection : detections) {
        if (!holdsPageText(detection, lines, read, options)) continue;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (candidate[k] && liesIn(lines[k], detection.bbox, options)) candidate[k] = false;
        }
    }
    for (Cluster& picture : detections) {
        if (picture.label != DocLabel::picture || !passes(picture)) continue;
        std::vector<bool> open = candidate;
        // Each label taken in widens the box, which may bring the next one within reach
        // (an axis title below the tick labels, a legend above the topmost tick).
        for (bool grown = true; grown;) {
            grown = false;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                if (!open[k]) continue;
                const BBox& box = lines[k].bbox;
                const double maxGap = read[k].fragment ? options.maxFragmentGapShare *
                                                             std::max(picture.bbox.width(), picture.bbox.height())
                                                       : options.maxGapLines * box.height();
                if (liesIn(lines[k], picture.bbox, options) || !liesBeside(box, picture.bbox, maxGap)) continue;
                const BBox grownBox = picture.bbox.unionWith(box);
                if (grownBox.area() > options.maxPageShare * pageWidth * pageHeight) continue;
                picture.bbox = grownBox;
                open[k] = false;
                grown = true;
            }
        }
    }
    return detections;
}

}  // namespace ce::ChartLabels
