#include "core/CodeText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/Graphemes.h"
#include "core/Median.h"
#include "core/TextCleanup.h"
#include "core/Utf8.h"

namespace ce::PageAssembler {

namespace {

// Gaps are measured in characters of the block's median width.
constexpr double noSpaceGap = 0.35;
constexpr double wideGap = 2.5;
constexpr double gapBias = 0.4;
// Lines that start near the margin and have gone this many columns in give the
// column-width samples.
constexpr long long minSampleColumn = 9;
// Only drawn rules are stretched: a character repeated at least this often.
constexpr int minRuleRun = 3;

struct Piece {
    std::string text;
    BBox box;
    long long chars = 0;
};

using Line = std::vector<Piece>;

// A sort key that orders NaN after every number, so sorting stays well defined.
double orderKey(double x) { return std::isnan(x) ? std::numeric_limits<double>::infinity() : x; }

// The whole number nearest to x (halves away from zero), within 0 ... maxColumn.
long long column(double x) {
    if (!(x > 0)) return 0;
    if (x >= maxColumn) return maxColumn;
    return std::lround(x);
}

std::vector<Piece> sourcePieces(const std::vector<TextCell>& cells) {
    std::vector<Piece> pieces;
    for (const TextCell& cell : cells) {
        std::string text = cleanedCellText(cell.text);
        if (text.empty()) continue;
        const auto chars = static_cast<long long>(graphemeCount(text));
        pieces.push_back({std::move(text), cell.bbox, chars});
    }
    return pieces;
}

std::vector<Line> groupLines(std::vector<Piece> pieces) {
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
        const double ka = orderKey(a.box.t + a.box.b);
        const double kb = orderKey(b.box.t + b.box.b);
        if (ka != kb) return ka < kb;
        return orderKey(a.box.l) < orderKey(b.box.l);
    });
    std::vector<Line> lines;
    for (Piece& piece : pieces) {
        if (!lines.empty()) {
            const BBox& first = lines.back().front().box;
            const double overlap = std::min(piece.box.b, first.b) - std::max(piece.box.t, first.t);
            if (overlap >= 0.5 * std::min(piece.box.height(), first.height())) {
                lines.back().push_back(std::move(piece));
                continue;
            }
        }
        lines.push_back({std::move(piece)});
    }
    for (Line& line : lines) {
        std::stable_sort(line.begin(), line.end(),
                         [](const Piece& a, const Piece& b) { return orderKey(a.box.l) < orderKey(b.box.l); });
    }
    return lines;
}

// Columns a gap takes while counting a line's width in characters.
long long gapColumns(double gap, double charWidth) {
    if (gap < noSpaceGap * charWidth) return 0;
    if (gap >= wideGap * charWidth) return std::max(1LL, column(gap / charWidth));
    return std::max(1LL, column(gap / charWidth - gapBias));
}

// Points per grid column, from lines that start at the margin.
double columnWidth(const std::vector<Line>& lines, double charWidth, double margin) {
    std::vector<double> samples;
    for (const Line& line : lines) {
        if (!(line.front().box.l - margin < charWidth)) continue;
        long long count = line.front().chars;
        for (std::size_t k = 1; k < line.size(); ++k) {
            count += gapColumns(line[k].box.l - line[k - 1].box.r, charWidth);
            const double left = line[k].box.l;
            if (count > minSampleColumn && left > margin) {
                const double sample = (left - margin) / static_cast<double>(count);
                if (std::isfinite(sample)) samples.push_back(sample);
            }
            count += line[k].chars;
        }
    }
    return samples.empty() ? charWidth : median(std::move(samples));
}

bool isRuleCharacter(UChar32 c) {
    return c == u'-' || c == u'=' || c == u'_' || c == 0x2500 || c == 0x2501 || c == 0x2550;
}

// The text with `extra` more copies of its last drawn rule character (one that
// stands in a run of at least minRuleRun); none when it has no such character.
std::optional<std::string> stretched(const std::string& text, long long extra) {
    std::size_t insertAt = std::string::npos;
    UChar32 rule = 0;
    UChar32 previous = -1;
    int run = 0;
    for (std::size_t i = 0; i < text.size();) {
        const UChar32 c = nextScalar(text, i);
        run = c == previous ? run + 1 : 1;
        previous = c;
        if (isRuleCharacter(c) && run >= minRuleRun) {
            insertAt = i;
            rule = c;
        }
    }
    if (insertAt == std::string::npos) return std::nullopt;
    std::string copy;
    appendScalar(copy, rule);
    std::string fill;
    for (long long k = 0; k < extra; ++k) fill += copy;
    std::string out = text;
    out.insert(insertAt, fill);
    return out;
}

// One line on the grid: the first cell and cells after a wide gap start at their
// own column, the others after the gap rule's spaces; a drawn rule that ends short
// of its box is stretched to the box's end column.
std::string codeLine(const Line& line, double charWidth, double unit, double margin) {
    std::string out;
    long long col = 0;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const Piece& piece = line[k];
        long long spaces = 0;
        if (k == 0) {
            spaces = column((piece.box.l - margin) / unit);
        } else if (auto fixed = gapSpaces(piece.box.l - line[k - 1].box.r, charWidth)) {
            spaces = *fixed;
        } else {
            spaces = std::max(1LL, column((piece.box.l - margin) / unit) - col);
        }
        out.append(static_cast<std::size_t>(spaces), ' ');
        col += spaces;
        col += piece.chars;
        const long long shortBy = column((piece.box.r - margin) / unit) - col;
        std::optional<std::string> filled = shortBy > 0 ? stretched(piece.text, shortBy) : std::nullopt;
        if (filled) {
            out += *filled;
            col += shortBy;
        } else {
            out += piece.text;
        }
    }
    return out;
}

}  // namespace

std::optional<int> gapSpaces(double gap, double charWidth) {
    if (gap < noSpaceGap * charWidth) return 0;
    if (gap >= wideGap * charWidth) return std::nullopt;
    return static_cast<int>(std::max(1LL, column(gap / charWidth - gapBias)));
}

std::string codeText(const std::vector<TextCell>& cells, const std::vector<TextCell>& words) {
    std::vector<Piece> pieces = sourcePieces(words.empty() ? cells : words);
    if (pieces.empty()) return "";

    std::vector<double> widths;
    double margin = std::numeric_limits<double>::infinity();
    for (const Piece& piece : pieces) {
        if (piece.chars > 2) {
            const double width = piece.box.width() / static_cast<double>(piece.chars);
            if (std::isfinite(width)) widths.push_back(width);
        }
        if (std::isfinite(piece.box.l)) margin = std::min(margin, piece.box.l);
    }
    if (!std::isfinite(margin)) margin = 0;
    double charWidth = widths.empty() ? 0 : median(std::move(widths));
    if (!(charWidth >= minCharWidth)) charWidth = 0;

    const std::vector<Line> lines = groupLines(std::move(pieces));
    const double unit = charWidth > 0 ? columnWidth(lines, charWidth, margin) : 0;

    std::string text;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string lineText;
        if (charWidth > 0) {
            lineText = codeLine(lines[n], charWidth, unit, margin);
        } else {
            for (std::size_t k = 0; k < lines[n].size(); ++k) {
                if (k > 0) lineText += ' ';
                lineText += lines[n][k].text;
            }
        }
        if (n > 0) text += '\n';
        text += expandLigatures(lineText);
    }
    return text;
}

}  // namespace ce::PageAssembler
