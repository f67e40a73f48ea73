#include "input/PDFTextLayer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include "core/Median.h"
#include "core/Regex.h"
#include "core/Unicode.h"
#include "core/UnionFind.h"
#include "input/BidiOrder.h"

namespace ce::PDFTextLayer {

namespace {

constexpr int boundaryMarker = -1;
// A piece is compared with at most this many of the most recent line groups.
constexpr std::size_t groupLookBack = 8;

bool isSpaceUnit(char16_t c) { return !U16_IS_SURROGATE(c) && u_isUWhiteSpace(c); }
bool isVisibleUnit(char16_t c) { return !U16_IS_SURROGATE(c) && !u_isUWhiteSpace(c); }
bool isLineTerminator(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

int normalisedRotation(int rotation) { return ((rotation % 360) + 360) % 360; }

double verticalOverlap(const Rect& a, const Rect& b) {
    return std::min(a.maxY, b.maxY) - std::max(a.minY, b.minY);
}
double horizontalGap(const Rect& a, const Rect& b) { return std::max(a.minX - b.maxX, b.minX - a.maxX); }
double smallerHeight(const Rect& a, const Rect& b) { return std::min(a.height(), b.height()); }

// Trims white space scalars from both ends.
std::u16string_view trimmed(std::u16string_view s) {
    std::size_t start = 0;
    std::size_t end = s.size();
    while (start < end) {
        UChar32 c;
        std::size_t i = start;
        U16_NEXT(s.data(), i, end, c);
        if (!u_isUWhiteSpace(c)) break;
        start = i;
    }
    while (end > start) {
        UChar32 c;
        std::size_t i = end;
        U16_PREV(s.data(), start, i, c);
        if (!u_isUWhiteSpace(c)) break;
        end = i;
    }
    return s.substr(start, end - start);
}

std::u16string_view substring(std::u16string_view text, const Range& r) {
    return text.substr(static_cast<std::size_t>(r.location), static_cast<std::size_t>(r.length));
}

// Start of the text line (between line terminators) that holds `location`.
int lineStart(std::u16string_view text, int location) {
    int i = location;
    if (i < static_cast<int>(text.size()) && text[i] == u'\n' && i > 0 && text[i - 1] == u'\r') --i;
    while (i > 0 && !isLineTerminator(text[i - 1])) --i;
    return i;
}

std::string utf8(std::u16string_view s) {
    return toUtf8(icu::UnicodeString(s.data(), static_cast<int32_t>(s.size())));
}

TextCell cell(int index, std::string text, const BBox& box) {
    TextCell c;
    c.index = index;
    c.text = std::move(text);
    c.bbox = box;
    c.confidence = 1.0;
    c.fromOCR = false;
    return c;
}

// The first position, in range order, of a character that is neither white space nor a
// surrogate half.
std::optional<int> firstVisible(std::u16string_view text, const Range& r) {
    for (int p = r.location; p < r.location + r.length; ++p)
        if (isVisibleUnit(text[p])) return p;
    return std::nullopt;
}

std::optional<int> firstVisible(std::u16string_view text, const Piece& piece) {
    for (const Range& r : piece.ranges)
        if (auto p = firstVisible(text, r)) return p;
    return std::nullopt;
}

// The piece's text with the dropped spaces left out; its ranges are joined with one space,
// except where a join continues a fragment.
std::u16string pieceText(std::u16string_view text, const Piece& piece, const LetterSpacing::Repair& repair) {
    std::u16string out;
    bool first = true;
    for (const Range& r : piece.ranges) {
        std::u16string part;
        for (int p = r.location; p < r.location + r.length; ++p)
            if (!repair.drop.count(p)) part.push_back(text[p]);
        if (part.empty()) continue;
        if (!first) {
            const auto key = firstVisible(text, r);
            if (!key || !repair.joins.count(*key)) out.push_back(u' ');
        }
        out += part;
        first = false;
    }
    return std::u16string(trimmed(out));
}

std::vector<TextCell> lineCells(const PageTextView& view, std::span<const Piece> pieces, const Groups& groups,
                                const LetterSpacing::Repair& repair) {
    std::vector<TextCell> lines;
    for (const std::vector<int>& group : groups) {
        std::u16string line;
        Rect bounds = pieces[group.front()].bounds;
        for (int number : group) {
            const Piece& piece = pieces[number];
            bounds = bounds.unionWith(piece.bounds);
            const std::u16string text = pieceText(view.text, piece, repair);
            if (text.empty()) continue;
            if (!line.empty()) {
                const auto key = firstVisible(view.text, piece);
                if (!key || !repair.joins.count(*key)) line.push_back(u' ');
            }
            line += text;
        }
        if (line.empty()) continue;
        const int index = static_cast<int>(lines.size());
        lines.push_back(cell(index, utf8(line), toPageBox(bounds, view.cropBox, view.rotation)));
    }
    return lines;
}

std::vector<TextCell> wordCells(const PageTextView& view, const Flattening& flattening,
                                const LetterSpacing::Repair& repair) {
    const std::u16string_view text = view.text;
    const int n = static_cast<int>(text.size());
    auto inWord = [&](int p) { return repair.drop.count(p) || U16_IS_SURROGATE(text[p]) || !u_isUWhiteSpace(text[p]); };

    std::vector<bool> sideways(text.size(), false);  // per position: on a sideways line
    for (const PageTextView::Line& line : view.lines) {
        if (!line.sideways) continue;
        for (const Range& r : line.ranges)
            if (view.isValid(r)) std::fill_n(sideways.begin() + r.location, r.length, true);
    }
    std::vector<TextCell> words;
    std::map<int, int> wordAt;  // first and last position of every word -> its number
    for (int i = 0; i < n;) {
        if (!inWord(i)) {
            ++i;
            continue;
        }
        const int s = i;
        while (i < n && inWord(i)) ++i;
        const int e = i;
        const auto bounds = view.bounds(s, e);
        if (!bounds) continue;
        const Rect box = flattening.apply(*bounds, sideways[static_cast<std::size_t>(s)]);
        if (!box.hasArea()) continue;
        std::u16string word;
        for (int p = s; p < e; ++p)
            if (!repair.drop.count(p)) word.push_back(text[p]);
        const int index = static_cast<int>(words.size());
        words.push_back(cell(index, utf8(word), toPageBox(box, view.cropBox, view.rotation)));
        wordAt[s] = index;
        wordAt[e - 1] = index;
    }
    if (repair.joins.empty()) return words;

    UnionFind parts(words.size());
    for (const auto& [key, value] : repair.joins) {
        const auto k = wordAt.find(key);
        const auto v = wordAt.find(value);
        if (k != wordAt.end() && v != wordAt.end()) parts.unite(v->second, k->second);
    }
    std::vector<TextCell> joined;
    for (std::vector<std::size_t>& members : parts.components()) {
        std::stable_sort(members.begin(), members.end(),
                         [&](std::size_t a, std::size_t b) { return words[a].bbox.l < words[b].bbox.l; });
        TextCell out = words[members.front()];
        for (std::size_t m = 1; m < members.size(); ++m) {
            out.text += words[members[m]].text;
            out.bbox = out.bbox.unionWith(words[members[m]].bbox);
        }
        out.index = static_cast<int>(joined.size());
        joined.push_back(std::move(out));
    }
    return joined;
}

}  // namespace

int visibleScalarCount(std::u16string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size();) {
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        if (!u_isUWhiteSpace(c)) ++count;
    }
    return count;
}

std::vector<Piece> pieces(const PageTextView& view) {
    std::vector<Piece> out;
    for (const PageTextView::Line& line : view.lines) {
        Piece piece;
        std::optional<Rect> bounds;
        bool hasText = false;
        for (const Range& r : line.ranges) {
            if (!view.isValid(r)) continue;
            piece.ranges.push_back(r);
            if (const auto b = view.bounds(r.location, r.location + r.length))
                bounds = bounds ? bounds->unionWith(*b) : *b;
            if (!trimmed(substring(view.text, r)).empty()) hasText = true;
        }
        if (!hasText || !bounds || !bounds->hasArea()) continue;
        piece.bounds = *bounds;
        piece.sideways = line.sideways;
        out.push_back(std::move(piece));
    }
    return out;
}

Flattening flattening(std::span<const Piece> pieces, int rotation) {
    Flattening out;
    out.quarterTurned = normalisedRotation(rotation) % 180 != 0;
    if (pieces.empty()) return out;
    std::vector<double> heights;
    for (const Piece& p : pieces)
        heights.push_back(out.quarterTurned != p.sideways ? p.bounds.width() : p.bounds.height());
    std::sort(heights.begin(), heights.end());
    out.typical = heights[heights.size() / 4];
    return out;
}

Rect Flattening::apply(const Rect& rect, bool sideways) const {
    if (!typical) return rect;
    const double t = *typical;
    if (quarterTurned != sideways) {
        if (!(rect.width() > 3 * t)) return rect;
        const double mid = (rect.minX + rect.maxX) * 0.5;
        return {mid - t / 2, rect.minY, mid - t / 2 + t, rect.maxY};
    }
    if (!(rect.height() > 3 * t)) return rect;
    const double mid = rect.midY();
    return {rect.minX, mid - t / 2, rect.maxX, mid - t / 2 + t};
}

Groups lineGroups(std::span<const Piece> pieces, bool unrotated) {
    Groups groups;
    for (int number = 0; number < static_cast<int>(pieces.size()); ++number) {
        const Rect& p = pieces[number].bounds;
        bool placed = false;
        const std::size_t oldest = groups.size() > groupLookBack ? groups.size() - groupLookBack : 0;
        // The lines of a paragraph drawn sideways lie side by side along their length,
        // which the baseline test would take for pieces of one line.
        const bool mayJoin = unrotated && !pieces[number].sideways;
        for (std::size_t g = groups.size(); mayJoin && g > oldest && !placed; --g) {
            std::vector<int>& group = groups[g - 1];
            bool fits = true;
            double nearest = INFINITY;
            for (int member : group) {
                const Rect& q = pieces[member].bounds;
                if (pieces[member].sideways) {
                    fits = false;
                    break;
                }
                const double h = smallerHeight(p, q);
                const double gap = horizontalGap(p, q);
                if (verticalOverlap(p, q) < 0.7 * h || gap < -0.25 * h) {
                    fits = false;
                    break;
                }
                nearest = std::min(nearest, gap / h);
            }
            if (fits && nearest <= 1.2) {
                group.push_back(number);
                placed = true;
            }
        }
        if (!placed) groups.push_back({number});
    }
    return groups;
}

Groups runs(std::u16string_view text, std::span<const Piece> pieces, const Groups& lineGroups, bool unrotated) {
    UnionFind parts(pieces.size());
    for (const std::vector<int>& group : lineGroups)
        for (int member : group) parts.unite(group.front(), member);
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const Piece& a = pieces[i - 1];
        const Piece& b = pieces[i];
        if (a.ranges.empty() || b.ranges.empty()) continue;
        if (lineStart(text, a.ranges.front().location) != lineStart(text, b.ranges.front().location)) continue;
        if (verticalOverlap(a.bounds, b.bounds) < 0.7 * smallerHeight(a.bounds, b.bounds)) continue;
        parts.unite(i - 1, i);
    }
    Groups out;
    for (const std::vector<std::size_t>& members : parts.components()) out.emplace_back(members.begin(), members.end());
    if (unrotated)
        for (std::vector<int>& run : out)
            std::stable_sort(run.begin(), run.end(),
                             [&](int a, int b) { return pieces[a].bounds.minX < pieces[b].bounds.minX; });
    return out;
}

CharacterSequence characterSequence(std::u16string_view text, std::span<const Piece> pieces,
                                    const std::vector<int>& run) {
    CharacterSequence seq;
    seq.sideways = std::all_of(run.begin(), run.end(), [&](int number) { return pieces[number].sideways; });
    for (int number : run) {
        for (const Range& r : pieces[number].ranges) {
            int start = r.location;
            int end = r.location + r.length;
            while (start < end && isSpaceUnit(text[start])) ++start;
            while (end > start && isSpaceUnit(text[end - 1])) --end;
            if (start == end) continue;
            if (!seq.entries.empty()) seq.entries.push_back(boundaryMarker);
            for (int p = start; p < end; ++p) seq.entries.push_back(p);
        }
    }
    if (seq.entries.size() < 3) return seq;

    icu::UnicodeString spelled;
    for (int e : seq.entries) spelled.append(e == boundaryMarker ? u' ' : text[e]);

    // Four or more single characters, each standing alone between single spaces.
    static const Regex letterSpaced(u"(?<!\\S)\\S(?: \\S){3,}(?!\\S)");
    const auto matcher = letterSpaced.matcher(spelled);
    UErrorCode status = U_ZERO_ERROR;
    const int last = static_cast<int>(seq.entries.size()) - 1;
    while (matcher && matcher->find()) {
        const int from = std::max(1, matcher->start(status));
        const int to = std::min(last, matcher->end(status));
        if (U_FAILURE(status)) break;
        for (int i = from; i < to; ++i) {
            const int e = seq.entries[i];
            if (e == boundaryMarker)
                seq.candidates.insert(seq.entries[i + 1]);
            else if (text[e] == u' ')
                seq.candidates.insert(e);
        }
    }
    seq.examined = !seq.candidates.empty() || spelled.indexOf(u' ') >= 0;
    return seq;
}

std::optional<LetterSpacing::MeasuredRun> measure(const PageTextView& view, const CharacterSequence& sequence,
                                                  const Flattening& flattening) {
    std::map<int, Rect> boxes;
    std::optional<Rect> all;
    for (int e : sequence.entries) {
        if (e == boundaryMarker || !isVisibleUnit(view.text[e]) || e >= static_cast<int>(view.boxes.size()) ||
            !view.boxes[e])
            continue;
        const Rect box = flattening.apply(*view.boxes[e], sequence.sideways);
        if (!box.hasArea()) continue;
        boxes.emplace(e, box);
        all = all ? all->unionWith(box) : box;
    }
    if (!all) return std::nullopt;

    const bool horizontal = all->width() >= all->height();
    std::vector<double> thickness;
    for (const auto& [position, box] : boxes) thickness.push_back(horizontal ? box.height() : box.width());
    LetterSpacing::MeasuredRun run;
    run.unit = upperMedian(thickness);
    run.candidates = sequence.candidates;

    auto low = [horizontal](const Rect& r) { return horizontal ? r.minX : r.minY; };
    auto high = [horizontal](const Rect& r) { return horizontal ? r.maxX : r.maxY; };
    const std::vector<int>& entries = sequence.entries;
    for (std::size_t i = 1; i + 1 < entries.size(); ++i) {
        const int e = entries[i];
        if (e != boundaryMarker && view.text[e] != u' ') continue;
        const auto before = boxes.find(entries[i - 1]);
        const auto after = boxes.find(entries[i + 1]);
        if (entries[i - 1] == boundaryMarker || entries[i + 1] == boundaryMarker || before == boxes.end() ||
            after == boxes.end())
            continue;
        const Rect& b = before->second;
        const Rect& a = after->second;
        const double gap = std::max(low(a) - high(b), low(b) - high(a));
        if (gap < 0) continue;
        const double distance = std::abs((low(a) + high(a)) / 2 - (low(b) + high(b)) / 2);
        run.records.push_back({e == boundaryMarker ? entries[i + 1] : e, entries[i - 1], e == boundaryMarker,
                               distance / run.unit, gap / run.unit});
    }
    if (run.records.empty()) return std::nullopt;
    return run;
}

// The group's right-to-left and left-to-right letters.
struct LetterCounts {
    int rightToLeft = 0;
    int leftToRight = 0;
};

LetterCounts letterCounts(std::u16string_view text, const std::vector<int>& group, std::span<const Piece> pieces) {
    LetterCounts counts;
    for (int member : group) {
        for (const Range& range : pieces[member].ranges) {
            const int32_t end = range.location + range.length;
            for (int32_t i = range.location; i < end;) {
                UChar32 c;
                U16_NEXT(text.data(), i, end, c);
                if (BidiOrder::isRightToLeft(static_cast<char32_t>(c))) {
                    ++counts.rightToLeft;
                } else if (u_charDirection(c) == U_LEFT_TO_RIGHT) {
                    ++counts.leftToRight;
                }
            }
        }
    }
    return counts;
}

Groups finalGroups(std::u16string_view text, const Groups& lineGroups, std::span<const Piece> pieces,
                   bool unrotated) {
    // Pieces in reading order: left edges rising, or right edges falling in a right-to-left line.
    auto before = [&](bool rightToLeft) {
        return [&pieces, rightToLeft](int a, int b) {
            return rightToLeft ? pieces[a].bounds.maxX > pieces[b].bounds.maxX
                               : pieces[a].bounds.minX < pieces[b].bounds.minX;
        };
    };
    auto inOrder = [&](const std::vector<int>& group, bool rightToLeft) {
        for (std::size_t k = 0; k + 1 < group.size(); ++k)
            if (!before(rightToLeft)(group[k], group[k + 1])) return false;
        return true;
    };
    Groups out;
    std::vector<bool> rightToLeft;
    for (const std::vector<int>& group : lineGroups) {
        const LetterCounts letters = letterCounts(text, group, pieces);
        const bool backwards = unrotated && letters.rightToLeft > letters.leftToRight;
        const auto [lo, hi] = std::minmax_element(group.begin(), group.end());
        const bool consecutive = *hi - *lo + 1 == static_cast<int>(group.size());
        // A line of both directions stored from its first letter, which the reader broke
        // where the runs of one direction give way to the other's: its pieces follow each
        // other from right to left, and they are one line read in that order.
        if (unrotated && consecutive && group.size() > 1 && letters.rightToLeft > 0 && letters.leftToRight > 0 &&
            inOrder(group, true)) {
            out.push_back(group);
            rightToLeft.push_back(true);
            continue;
        }
        if (consecutive && inOrder(group, backwards)) {
            for (int member : group) {
                out.push_back({member});
                rightToLeft.push_back(backwards);
            }
        } else {
            out.push_back(group);
            rightToLeft.push_back(backwards);
        }
    }
    std::vector<std::size_t> order(out.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return *std::min_element(out[a].begin(), out[a].end()) < *std::min_element(out[b].begin(), out[b].end());
    });
    Groups sorted;
    for (std::size_t g : order) {
        sorted.push_back(std::move(out[g]));
        if (unrotated) std::stable_sort(sorted.back().begin(), sorted.back().end(), before(rightToLeft[g]));
    }
    return sorted;
}

BBox toPageBox(const Rect& rect, const Rect& cropBox, int rotation) {
    const double x0 = rect.minX - cropBox.minX;
    const double x1 = rect.maxX - cropBox.minX;
    const double y0 = rect.minY - cropBox.minY;
    const double y1 = rect.maxY - cropBox.minY;
    const double w = cropBox.width();
    const double h = cropBox.height();
    switch (normalisedRotation(rotation)) {
        case 90: return {y0, x0, y1, x1};
        case 180: return {w - x1, y0, w - x0, y1};
        case 270: return {h - y1, w - x1, h - y0, w - x0};
        default: return {x0, h - y1, x1, h - y0};
    }
}

std::optional<PageText> read(const PageTextView& view) {
    if (visibleScalarCount(view.text) < 10) return std::nullopt;
    const bool unrotated = normalisedRotation(view.rotation) == 0;

    std::vector<Piece> all = pieces(view);
    const Flattening flat = flattening(all, view.rotation);
    for (Piece& p : all) p.bounds = flat.apply(p.bounds, p.sideways);

    const Groups groups = lineGroups(all, unrotated);
    std::vector<LetterSpacing::MeasuredRun> withCandidates;
    std::vector<LetterSpacing::MeasuredRun> withoutCandidates;
    for (const std::vector<int>& run : runs(view.text, all, groups, unrotated)) {
        const CharacterSequence seq = characterSequence(view.text, all, run);
        if (!seq.examined) continue;
        if (auto measured = measure(view, seq, flat))
            (seq.candidates.empty() ? withoutCandidates : withCandidates).push_back(std::move(*measured));
    }
    const LetterSpacing::Repair repair = LetterSpacing::repair(withCandidates, withoutCandidates);

    PageText cells;
    cells.lines = lineCells(view, all, finalGroups(view.text, groups, all, unrotated), repair);
    if (cells.lines.empty()) return std::nullopt;
    cells.words = wordCells(view, flat, repair);
    cells.halfTurned = view.halfTurned;
    return cells;
}

}  // namespace ce::PDFTextLayer
