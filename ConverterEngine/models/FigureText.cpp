#include "models/FigureText.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include "core/StringUtils.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"
#include "models/DetectionText.h"

namespace ce::FigureText {

namespace {

using DetectionText::fromTextLayer;
using DetectionText::medianHeight;

std::vector<const TextCell*> linesIn(const BBox& box, const std::vector<TextCell>& lines, const Options& options) {
    return DetectionText::linesIn(box, lines, options.minShareInside);
}

bool isMathematical(UChar32 c) {
    UErrorCode status = U_ZERO_ERROR;
    return u_charType(c) == U_MATH_SYMBOL || uscript_getScript(c, &status) == USCRIPT_GREEK;
}

bool holdsMathematicalSymbol(const std::vector<const TextCell*>& lines) {
    for (const TextCell* line : lines) {
        for (std::size_t i = 0; i < line->text.size();) {
            if (isMathematical(nextScalar(line->text, i))) return true;
        }
    }
    return false;
}

struct Letters {
    std::size_t letters = 0;
    std::size_t scalars = 0;
};

Letters lettersOf(const std::string& token) {
    Letters count;
    for (std::size_t i = 0; i < token.size(); ++count.scalars) {
        if (u_isalpha(nextScalar(token, i))) ++count.letters;
    }
    return count;
}

// Whether the lines read as words: one of at least four letters, and at most a third
// of the tokens single letters (the labels of a diagram, the variables of a formula).
bool readsAsWords(const std::vector<const TextCell*>& lines) {
    std::size_t tokens = 0, singleLetters = 0;
    bool longWord = false;
    for (const TextCell* line : lines) {
        for (const std::string& token : wordTokens(line->text)) {
            ++tokens;
            const Letters count = lettersOf(token);
            if (count.letters == 1 && count.scalars == 1) ++singleLetters;
            longWord = longWord || count.letters >= 4;
        }
    }
    return longWord && 3 * singleLetters <= tokens;
}

// The share of the lines' visible scalars that stand for glyphs without a character.
double unmappedShare(const std::vector<const TextCell*>& lines) {
    int visible = 0, unmapped = 0;
    for (const TextCell* line : lines) {
        for (std::size_t i = 0; i < line->text.size();) {
            const UChar32 c = nextScalar(line->text, i);
            if (isWhitespace(c)) continue;
            ++visible;
            if (isUnmappedGlyph(c)) ++unmapped;
        }
    }
    return visible > 0 ? static_cast<double>(unmapped) / visible : 0;
}

// The share of the box's area that the lines cover, each line clipped to the box. Lines
// of one page rarely overlap, so their sum stands for their union; it is capped at 1.
double coverOf(const BBox& box, const std::vector<const TextCell*>& lines) {
    const double boxArea = box.area();
    if (!(boxArea > 0)) return 0;
    double covered = 0;
    for (const TextCell* line : lines) covered += line->bbox.intersectionArea(box);
    return std::min(1.0, covered / boxArea);
}

// Whether the lines lie in rows and columns: at least minGridRows rows of at least
// minGridColumns lines each hold minGridShare of the lines, and most of those lines
// share their column with a line of another such row. A chart's tick labels make one
// row and one column; a legend a row or two.
bool formsGrid(const std::vector<const TextCell*>& lines, const Options& options) {
    if (lines.empty()) return false;
    const double height = medianHeight(lines);
    std::vector<std::vector<const TextCell*>> rows;
    std::size_t inRows = 0;
    for (auto& row : DetectionText::rowsOf(lines, 0.5 * height)) {
        if (static_cast<int>(row.size()) < options.minGridColumns) continue;
        inRows += row.size();
        rows.push_back(std::move(row));
    }
    if (static_cast<int>(rows.size()) < options.minGridRows || inRows < options.minGridShare * lines.size()) return false;
    auto sharesColumn = [](const TextCell* a, const TextCell* b) {
        const double overlap = std::min(a->bbox.r, b->bbox.r) - std::max(a->bbox.l, b->bbox.l);
        return overlap > 0.5 * std::min(a->bbox.width(), b->bbox.width());
    };
    std::size_t aligned = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const TextCell* line : rows[r]) {
            bool found = false;
            for (std::size_t o = 0; o < rows.size() && !found; ++o) {
                if (o == r) continue;
                found = std::any_of(rows[o].begin(), rows[o].end(), [&](const TextCell* other) { return sharesColumn(line, other); });
            }
            if (found) ++aligned;
        }
    }
    return aligned >= options.minGridShare * inRows;
}

// The horizontal extent of the lines over the box's width.
double widthShare(const BBox& box, const std::vector<const TextCell*>& lines) {
    if (!(box.width() > 0) || lines.empty()) return 0;
    double l = lines.front()->bbox.l, r = lines.front()->bbox.r;
    for (const TextCell* line : lines) {
        l = std::min(l, line->bbox.l);
        r = std::max(r, line->bbox.r);
    }
    return (std::min(r, box.r) - std::max(l, box.l)) / box.width();
}

BBox unionOf(const std::vector<const TextCell*>& lines) {
    BBox box = lines.front()->bbox;
    for (const TextCell* line : lines) box = box.unionWith(line->bbox);
    return box;
}

// The lines of a picture that are the page's text rather than the picture's: a caption
// opening at the top or in the lower half of the box (with its further lines), and
// lines of running prose along its top and bottom edge. Each run becomes a region of its
// own, and the picture keeps what lies between them.
struct EdgeText {
    std::vector<std::vector<const TextCell*>> captions;
    std::vector<std::vector<const TextCell*>> prose;
    double top = 0;     // the picture's new top and bottom
    double bottom = 0;
};

EdgeText edgeTextOf(const BBox& box, std::vector<const TextCell*> inside, const Options& options) {
    EdgeText edge{{}, {}, box.t, box.b};
    if (inside.empty()) return edge;
    std::stable_sort(inside.begin(), inside.end(), [](const TextCell* a, const TextCell* b) { return a->bbox.t < b->bbox.t; });
    std::size_t first = 0, last = inside.size();  // the lines still the picture's: [first, last)
    auto isProse = [&](const TextCell* line) {
        return DetectionText::readsAsProse(line->text, options.minProseWords) &&
               line->bbox.width() >= options.minProseWidthShare * box.width();
    };
    // A caption at the top: its label line first, then the lines that follow it closely.
    if (DetectionText::startsWithCaptionLabel(inside.front()->text)) {
        std::vector<const TextCell*> caption = {inside.front()};
        first = 1;
        while (first < last && inside[first]->bbox.t - caption.back()->bbox.b <= 0.6 * caption.back()->bbox.height() &&
               std::abs(inside[first]->bbox.height() - caption.front()->bbox.height()) <= 0.2 * caption.front()->bbox.height())
            caption.push_back(inside[first++]);
        edge.captions.push_back(std::move(caption));
    }
    std::vector<const TextCell*> topProse;
    while (first < last && edge.captions.empty() && isProse(inside[first])) topProse.push_back(inside[first++]);
    if (!topProse.empty()) edge.prose.push_back(std::move(topProse));
    // A caption below: the first label line in the lower half of the box and all below it.
    const double middle = (box.t + box.b) / 2;
    for (std::size_t k = first; k < last; ++k) {
        if (inside[k]->bbox.t >= middle && DetectionText::startsWithCaptionLabel(inside[k]->text)) {
            edge.captions.emplace_back(inside.begin() + static_cast<std::ptrdiff_t>(k),
                                       inside.begin() + static_cast<std::ptrdiff_t>(last));
            last = k;
            break;
        }
    }
    std::vector<const TextCell*> bottomProse;
    while (last > first && isProse(inside[last - 1])) bottomProse.insert(bottomProse.begin(), inside[--last]);
    if (!bottomProse.empty()) edge.prose.push_back(std::move(bottomProse));
    // The picture keeps the band between the text taken from its edges.
    for (std::size_t k = 0; k < first; ++k) edge.top = std::max(edge.top, inside[k]->bbox.b);
    for (std::size_t k = last; k < inside.size(); ++k) edge.bottom = std::min(edge.bottom, inside[k]->bbox.t);
    return edge;
}

Cluster regionOf(DocLabel label, const std::vector<const TextCell*>& lines, const Cluster& picture, int id) {
    Cluster region;
    region.id = id;
    region.label = label;
    region.bbox = unionOf(lines);
    region.confidence = picture.confidence;
    return region;
}

}  // namespace

std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options) {
    const std::vector<const TextCell*> pageLines = DetectionText::textLayerLines(lines);
    if (pageLines.empty()) return detections;
    const double bodyHeight = medianHeight(pageLines);
    int nextID = 0;
    for (const Cluster& detection : detections) nextID = std::max(nextID, detection.id + 1);

    std::vector<Cluster> result;
    for (Cluster& detection : detections) {
        if (detection.label == DocLabel::formula) {
            const std::vector<const TextCell*> inside = linesIn(detection.bbox, lines, options);
            if (readsAsWords(inside) && !holdsMathematicalSymbol(inside)) detection.label = DocLabel::text;
            result.push_back(std::move(detection));
            continue;
        }
        if (detection.label != DocLabel::picture) {
            result.push_back(std::move(detection));
            continue;
        }
        const std::vector<const TextCell*> inside = linesIn(detection.bbox, lines, options);
        if (inside.empty() || unmappedShare(inside) > options.maxUnmappedShare) {
            result.push_back(std::move(detection));
            continue;
        }
        // The page's text laid out in rows and columns: a table that was taken for a picture.
        if (formsGrid(inside, options)) {
            detection.label = DocLabel::table;
            result.push_back(std::move(detection));
            continue;
        }
        const double lineHeight = medianHeight(inside);
        const bool fewLines = static_cast<int>(inside.size()) <= options.maxTitleLines;
        const bool title = fewLines && (lineHeight >= options.minTitleHeightRatio * bodyHeight ||
                                        lineHeight >= options.minDisplayHeight);
        // A few lines of display type across the box: a title, however loose the box.
        const bool display = fewLines && lineHeight >= options.minDisplayHeight && readsAsWords(inside) &&
                             widthShare(detection.bbox, inside) >= options.minDisplayWidthShare;
        if (display || coverOf(detection.bbox, inside) >= options.minCover) {
            // Not a figure: without the detection its lines are read as the page's text.
            if (!title) continue;
            detection.label = DocLabel::title;
            result.push_back(std::move(detection));
            continue;
        }
        // A figure: the captions and prose that its box takes in from the page around it
        // become regions of their own; its labels and legends stay its own.
        const EdgeText edge = edgeTextOf(detection.bbox, inside, options);
        for (const auto& caption : edge.captions) result.push_back(regionOf(DocLabel::caption, caption, detection, nextID++));
        for (const auto& prose : edge.prose) result.push_back(regionOf(DocLabel::text, prose, detection, nextID++));
        detection.bbox.t = edge.top;
        detection.bbox.b = edge.bottom;
        if (detection.bbox.height() >= options.minPictureHeight) result.push_back(std::move(detection));
    }
    return result;
}

}  // namespace ce::FigureText
