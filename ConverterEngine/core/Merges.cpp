#include "core/Merges.h"

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
            // Only a continuation in a later column: text below in the same column is a
            // paragraph of its own (key-value lines, addresses, a caption under its text).
            const bool nextColumn =
                first.r + epsilon < candidate.l && endsOpen(ordered[tail].text) && startsWithLetter(candidate.text);
            if (!nextColumn) break;
            continuations.push_back(candidate.cid);
            consumed = static_cast<std::ptrdiff_t>(next);
            tail = next;
        }
        if (!continuations.empty()) result[first.cid] = std::move(continuations);
    }
    return result;
}

}  // namespace ce
