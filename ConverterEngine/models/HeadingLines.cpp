#include "models/HeadingLines.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include <unicode/uchar.h>

#include "core/Regex.h"
#include "core/Unicode.h"
#include "models/DetectionText.h"
#include "models/LayoutRun.h"

namespace ce::HeadingLines {

namespace {

bool isHeading(DocLabel label) {
    return label == DocLabel::sectionHeader || label == DocLabel::title;
}

// A list marker or a section number at the start ("- ", "2) ", "3.1 "): the line opens
// an element of its own.
bool opensElement(const std::string& text) {
    static const Regex marker(
        u"\\A\\s*(?:[-*+\u2022\u00B7\u2013\u2014\u25AA\u25CF]|\\(?\\d{1,3}(?:[.)]|(?:\\.\\d{1,3})+\\.?)|[a-zA-Z][.)])"
        u"(?:\\s|\\z)");
    return marker.find(toUnicode(text)) || DetectionText::startsWithCaptionLabel(text);
}

// The last visible character of the text and the first letter-or-digit one.
UChar32 lastCharacter(const std::string& text) {
    const icu::UnicodeString s = toUnicode(text);
    for (int32_t i = s.length(); i > 0;) {
        i = s.moveIndex32(i, -1);
        const UChar32 c = s.char32At(i);
        if (!u_isspace(c)) return c;
    }
    return 0;
}

UChar32 firstCharacter(const std::string& text) {
    const icu::UnicodeString s = toUnicode(text);
    for (int32_t i = 0; i < s.length(); i = s.moveIndex32(i, 1)) {
        const UChar32 c = s.char32At(i);
        if (!u_isspace(c)) return c;
    }
    return 0;
}

bool endsInHyphen(const std::string& text) {
    const UChar32 c = lastCharacter(text);
    return c == u'-' || c == 0x00AD || c == 0x2010;
}

bool heldBy(const TextCell& line, const Cluster& detection, double minShareInside) {
    return line.bbox.intersectionArea(detection.bbox) >= minShareInside * line.bbox.area();
}

}  // namespace

std::vector<Cluster> joined(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                            const Options& options) {
    const std::vector<const TextCell*> pageLines = DetectionText::textLayerLines(lines);
    if (pageLines.empty()) return detections;
    const double pageMedian = DetectionText::medianHeight(pageLines);

    std::vector<std::size_t> headings;
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (isHeading(detections[i].label) && detections[i].confidence >= layout::confidenceThreshold(detections[i].label))
            headings.push_back(i);
    }
    std::sort(headings.begin(), headings.end(),
              [&](std::size_t a, std::size_t b) { return detections[a].bbox.t < detections[b].bbox.t; });
    std::vector<bool> removed(detections.size(), false);

    for (const std::size_t h : headings) {
        if (removed[h]) continue;
        Cluster& heading = detections[h];
        auto inside = DetectionText::linesIn(heading.bbox, lines, options.minShareInside);
        if (inside.empty()) continue;
        const TextCell* last = *std::max_element(
            inside.begin(), inside.end(), [](const TextCell* a, const TextCell* b) { return a->bbox.b < b->bbox.b; });
        while (true) {
            // The nearest text-layer line below the heading's last line that shares its column.
            const TextCell* next = nullptr;
            for (const TextCell* line : pageLines) {
                if (line->bbox.t < last->bbox.b - 0.2 * last->bbox.height()) continue;
                if (std::min(line->bbox.r, heading.bbox.r) <= std::max(line->bbox.l, heading.bbox.l)) continue;
                if (std::find(inside.begin(), inside.end(), line) != inside.end()) continue;
                if (next == nullptr || line->bbox.t < next->bbox.t) next = line;
            }
            if (next == nullptr) break;
            const double height = std::max(last->bbox.height(), next->bbox.height());
            if (!(height > 0)) break;
            if (std::abs(last->bbox.height() - next->bbox.height()) > options.maxSizeDelta * height) break;
            if (next->bbox.t - last->bbox.b > options.maxGapLines * height) break;
            const double centreDelta = std::abs((last->bbox.l + last->bbox.r) - (next->bbox.l + next->bbox.r)) / 2;
            if (std::abs(last->bbox.l - next->bbox.l) > options.maxAlignDelta * height &&
                centreDelta > options.maxAlignDelta * height)
                break;
            if (opensElement(next->text)) break;
            // Without a hyphen or a lowercase start, heading-sized type is the only sign: a line in
            // it that ends a sentence is text (large body lines, lines tall with mathematics).
            const bool display = std::min(last->bbox.height(), next->bbox.height()) >= options.minDisplayRatio * pageMedian &&
                                 lastCharacter(next->text) != u'.';
            if (!endsInHyphen(last->text) && !u_islower(firstCharacter(next->text)) && !display) break;

            // The line may be loose or held by another heading detection, which then joins
            // this one; a line that another kind of region holds is that region's.
            std::optional<std::size_t> holder;
            bool heldElsewhere = false;
            for (std::size_t i = 0; i < detections.size(); ++i) {
                if (i == h || removed[i]) continue;
                const Cluster& other = detections[i];
                if (other.confidence < layout::confidenceThreshold(other.label) || !heldBy(*next, other, options.minShareInside))
                    continue;
                if (isHeading(other.label) && !holder) {
                    holder = i;
                } else {
                    heldElsewhere = true;
                }
            }
            if (heldElsewhere) break;
            heading.bbox = heading.bbox.unionWith(next->bbox);
            if (holder) {
                heading.bbox = heading.bbox.unionWith(detections[*holder].bbox);
                heading.confidence = std::max(heading.confidence, detections[*holder].confidence);
                removed[*holder] = true;
            }
            inside.push_back(next);
            last = next;
        }
    }

    std::vector<Cluster> kept;
    kept.reserve(detections.size());
    for (std::size_t i = 0; i < detections.size(); ++i) {
        if (!removed[i]) kept.push_back(std::move(detections[i]));
    }
    return kept;
}

}  // namespace ce::HeadingLines
