#include "models/FootnoteText.h"

#include <algorithm>
#include <set>
#include <string>

#include "core/Median.h"
#include "core/Regex.h"
#include "core/Utf8.h"
#include "models/DetectionText.h"

namespace ce::FootnoteText {

namespace {

bool opensWithNoteMark(const std::string& text) {
    static const Regex mark(u"^\\s*([0-9]|[*\u2020\u2021\u00a7\u00b9\u00b2\u00b3\u2070-\u2079]|[(\\[][0-9a-z]{1,3}[)\\]])",
                            UREGEX_CASE_INSENSITIVE);
    return mark.find(icu::UnicodeString::fromUTF8(text));
}

bool setsApart(DocLabel label) {
    return label == DocLabel::footnote || label == DocLabel::table || label == DocLabel::documentIndex ||
           label == DocLabel::picture;
}

double widthPerCharacter(const TextCell& line) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.text.size(); ++count) nextScalar(line.text, i);
    return line.bbox.width() / static_cast<double>(count);
}

double medianWidthPerCharacter(const std::vector<const TextCell*>& lines) {
    std::vector<double> widths;
    for (const TextCell* line : lines) widths.push_back(widthPerCharacter(*line));
    return median(std::move(widths));
}

}  // namespace

std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options) {
    std::set<const TextCell*> apart;
    for (const Cluster& detection : detections) {
        if (!setsApart(detection.label)) continue;
        for (const TextCell* line : DetectionText::visibleLinesIn(detection.bbox, lines, options.minShareInside))
            apart.insert(line);
    }
    std::vector<const TextCell*> others;
    for (const TextCell& line : lines) {
        if (DetectionText::isVisible(line) && !apart.contains(&line)) others.push_back(&line);
    }
    if (static_cast<int>(others.size()) < options.minOtherLines) return detections;
    const double otherSize = medianWidthPerCharacter(others);
    for (Cluster& detection : detections) {
        if (detection.label != DocLabel::footnote) continue;
        const auto inside = DetectionText::visibleLinesIn(detection.bbox, lines, options.minShareInside);
        if (inside.empty() || medianWidthPerCharacter(inside) < options.minSizeRatio * otherSize) continue;
        if (std::any_of(inside.begin(), inside.end(), [](const TextCell* line) { return opensWithNoteMark(line->text); }))
            continue;
        detection.label = DocLabel::text;
    }
    return detections;
}

}  // namespace ce::FootnoteText
