#include "core/Merges.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "core/Regex.h"
#include "core/Unicode.h"

namespace ce {

namespace {

// Elements a broken paragraph may jump over to reach its continuation.
bool isSkipped(DocLabel label) {
    switch (label) {
        case DocLabel::pageHeader:
        case DocLabel::pageFooter:
        case DocLabel::table:
        case DocLabel::picture:
        case DocLabel::caption:
        case DocLabel::footnote:
            return true;
        default:
            return false;
    }
}

// The text ends, apart from trailing white space, in a character that leaves a sentence open.
bool endsOpen(const std::string& text) {
    static const Regex tail(u"\\A.+[a-z,\\-\\u00AD]\\s*\\z");
    return tail.find(toUnicode(text));
}

// The text starts, after optional white space, with a Latin letter.
bool startsWithLetter(const std::string& text) {
    static const Regex head(u"\\A\\s*[a-zA-Z\\u00C0-\\u024F].+\\z");
    return head.find(toUnicode(text));
}

constexpr double epsilon = 0.001;  // points

// The text opens a list item or stands as a marker of its own.
bool startsLikeAListItem(const std::string& text) {
    static const Regex marker(u"\\A\\s*(?:[-*+\u2022\u00B7\u2013\u2014\u25AA\u25CF]|\\(?\\d{1,3}[.)]|[a-zA-Z][.)])(?:\\s|\\z)");
    return marker.find(toUnicode(text));
}

// Whether `candidate` is the next line of the paragraph whose last box is `tail`, in
// the same column: the layout model often finds each line of justified, double-spaced
// or narrow-column text as a box of its own. Lines of one type size follow each other
// at most one line height apart, the candidate not indented past the tail, and the
// tail either leaves its sentence open or is a full line (it reaches as far right as
// the candidate does; the short last line of a paragraph ends it).
bool continuesBelow(const ROElement& tail, const ROElement& candidate) {
    const double line = std::min(tail.lineHeight, candidate.lineHeight);
    if (!(line > 0) || std::abs(tail.lineHeight - candidate.lineHeight) > 0.25 * line) return false;
    const double gap = tail.b - candidate.t;  // y grows upwards: the tail stands above
    if (gap < -0.3 * line || gap > 1.0 * line) return false;
    if (candidate.l > tail.l + 0.5 * line || candidate.l < tail.l - 3 * line) return false;
    if (std::min(tail.r, candidate.r) - std::max(tail.l, candidate.l) <= 0) return false;
    if (candidate.text.empty() || startsLikeAListItem(candidate.text)) return false;
    if (endsOpen(tail.text)) return true;
    const bool singleLine = tail.t - tail.b < 1.6 * tail.lineHeight;
    return singleLine && tail.r >= candidate.r - line;
}

}  // namespace

ReadingOrder::CidMap ReadingOrder::predictMerges(const std::vector<ROElement>& ordered) {
    CidMap result;
    const std::size_t n = ordered.size();
    // Elements up to `consumed` continue an earlier chain and start none of their own.
    std::ptrdiff_t consumed = -1;
    for (std::size_t i = 0; i < n; ++i) {
        if (ordered[i].label != DocLabel::text || static_cast<std::ptrdiff_t>(i) <= consumed) continue;
        const ROElement& first = ordered[i];
        std::size_t tail = i;
        std::vector<int> continuations;
        while (true) {
            std::size_t next = tail + 1;
            while (next < n && isSkipped(ordered[next].label)) ++next;
            if (next == n) break;
            const ROElement& candidate = ordered[next];
            if (candidate.label != DocLabel::text) break;
            const bool nextColumn =
                first.r + epsilon < candidate.l && endsOpen(ordered[tail].text) && startsWithLetter(candidate.text);
            if (!nextColumn && !(next == tail + 1 && continuesBelow(ordered[tail], candidate))) break;
            continuations.push_back(candidate.cid);
            consumed = static_cast<std::ptrdiff_t>(next);
            tail = next;
        }
        if (!continuations.empty()) result[first.cid] = std::move(continuations);
    }
    return result;
}

}  // namespace ce
