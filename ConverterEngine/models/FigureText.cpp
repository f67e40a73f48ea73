#include "models/FigureText.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include "core/Median.h"
#include "core/StringUtils.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce::FigureText {

namespace {

bool fromTextLayer(const TextCell& line) { return !line.fromOCR && !isBlank(line.text) && line.bbox.area() > 0; }

// The text-layer lines that lie in the box (at least minShareInside of each line).
std::vector<const TextCell*> linesIn(const BBox& box, const std::vector<TextCell>& lines, const Options& options) {
    std::vector<const TextCell*> inside;
    for (const TextCell& line : lines) {
        if (fromTextLayer(line) && line.bbox.intersectionArea(box) >= options.minShareInside * line.bbox.area())
            inside.push_back(&line);
    }
    return inside;
}

double medianHeight(const std::vector<const TextCell*>& lines) {
    std::vector<double> heights;
    for (const TextCell* line : lines) heights.push_back(line->bbox.height());
    return median(std::move(heights));
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

}  // namespace

std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options) {
    std::vector<const TextCell*> pageLines;
    for (const TextCell& line : lines) {
        if (fromTextLayer(line)) pageLines.push_back(&line);
    }
    if (pageLines.empty()) return detections;
    const double bodyHeight = medianHeight(pageLines);

    std::vector<Cluster> result;
    for (Cluster& detection : detections) {
        if (detection.label == DocLabel::formula) {
            const std::vector<const TextCell*> inside = linesIn(detection.bbox, lines, options);
            if (readsAsWords(inside) && !holdsMathematicalSymbol(inside)) detection.label = DocLabel::text;
        } else if (detection.label == DocLabel::picture) {
            const std::vector<const TextCell*> inside = linesIn(detection.bbox, lines, options);
            if (!inside.empty() && coverOf(detection.bbox, inside) >= options.minCover &&
                unmappedShare(inside) <= options.maxUnmappedShare) {
                const bool title = static_cast<int>(inside.size()) <= options.maxTitleLines &&
                                   medianHeight(inside) >= options.minTitleHeightRatio * bodyHeight;
                // Not a figure: without the detection its lines are read as the page's text.
                if (!title) continue;
                detection.label = DocLabel::title;
            }
        }
        result.push_back(std::move(detection));
    }
    return result;
}

}  // namespace ce::FigureText
