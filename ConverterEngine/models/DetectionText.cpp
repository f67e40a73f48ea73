#include "models/DetectionText.h"

#include <algorithm>

#include <unicode/uchar.h>

#include "core/Median.h"
#include "core/Regex.h"
#include "core/StringUtils.h"
#include "core/Unicode.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce::DetectionText {

bool isVisible(const TextCell& line) { return !isBlank(line.text) && line.bbox.area() > 0; }

bool fromTextLayer(const TextCell& line) { return !line.fromOCR && isVisible(line); }

std::vector<const TextCell*> textLayerLines(const std::vector<TextCell>& lines) {
    std::vector<const TextCell*> layer;
    for (const TextCell& line : lines) {
        if (fromTextLayer(line)) layer.push_back(&line);
    }
    return layer;
}

namespace {

std::vector<const TextCell*> linesInWhere(const BBox& box, const std::vector<TextCell>& lines, double minShareInside,
                                          bool (*counts)(const TextCell&)) {
    std::vector<const TextCell*> inside;
    for (const TextCell& line : lines) {
        if (counts(line) && line.bbox.intersectionArea(box) >= minShareInside * line.bbox.area()) inside.push_back(&line);
    }
    return inside;
}

}  // namespace

std::vector<const TextCell*> linesIn(const BBox& box, const std::vector<TextCell>& lines, double minShareInside) {
    return linesInWhere(box, lines, minShareInside, fromTextLayer);
}

std::vector<const TextCell*> visibleLinesIn(const BBox& box, const std::vector<TextCell>& lines, double minShareInside) {
    return linesInWhere(box, lines, minShareInside, isVisible);
}

double medianHeight(const std::vector<const TextCell*>& lines) {
    std::vector<double> heights;
    for (const TextCell* line : lines) heights.push_back(line->bbox.height());
    return median(std::move(heights));
}

std::vector<std::vector<const TextCell*>> rowsOf(std::vector<const TextCell*> lines, double tolerance) {
    auto centre = [](const TextCell* line) { return (line->bbox.t + line->bbox.b) / 2; };
    std::stable_sort(lines.begin(), lines.end(), [&](const TextCell* a, const TextCell* b) { return centre(a) < centre(b); });
    std::vector<std::vector<const TextCell*>> rows;
    for (const TextCell* line : lines) {
        if (rows.empty() || centre(line) - centre(rows.back().front()) > tolerance) rows.emplace_back();
        rows.back().push_back(line);
    }
    for (auto& row : rows)
        std::stable_sort(row.begin(), row.end(), [](const TextCell* a, const TextCell* b) { return a->bbox.l < b->bbox.l; });
    return rows;
}

bool startsWithCaptionLabel(std::string_view text) {
    static const Regex label(
        u"^\\s*(figure|fig\\.?|table|tab\\.|chart|graph|diagram|exhibit|plate|map|illustration|"
        u"figura|tabla|cuadro|gr\u00e1fico|abbildung|abb\\.|tabelle)\\s*[0-9]+[a-z]?(\\.[0-9]+)*"
        u"(\\s*[.:)\u2013\u2014|-]|\\s+\\p{L})",
        UREGEX_CASE_INSENSITIVE);
    return label.find(icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))));
}

double firstWordShare(std::string_view text) {
    const icu::UnicodeString unicode = toUnicode(text);
    const int32_t length = unicode.countChar32();
    if (length == 0) return 0;
    int32_t word = 0;
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        if (u_isspace(unicode.char32At(i))) {
            if (word > 0) break;
            continue;
        }
        ++word;
    }
    return static_cast<double>(word) / length;
}

bool readsAsProse(std::string_view text, int minWords) {
    const std::vector<std::string> words = wordTokens(text);
    if (static_cast<int>(words.size()) < minWords) return false;
    int lettered = 0;
    for (const std::string& word : words) {
        for (std::size_t i = 0; i < word.size();) {
            if (u_isalpha(nextScalar(word, i))) {
                ++lettered;
                break;
            }
        }
    }
    if (2 * lettered <= static_cast<int>(words.size())) return false;
    const std::string& last = words.back();
    return !std::all_of(last.begin(), last.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
}

}  // namespace ce::DetectionText
