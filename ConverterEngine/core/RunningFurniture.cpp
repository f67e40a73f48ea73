#include "core/RunningFurniture.h"

#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include <unicode/locid.h>
#include <unicode/uchar.h>

#include "core/Graphemes.h"
#include "core/Regex.h"
#include "core/Unicode.h"
#include "core/Whitespace.h"

namespace ce::RunningFurniture {

namespace {

// Texts longer than this (in grapheme clusters) are body text, never furniture.
constexpr std::size_t maxGraphemes = 200;
constexpr double maxCentreDX = 0.05;
constexpr double maxCentreDY = 0.03;
constexpr double maxWidthDelta = 0.05;
constexpr double maxHeightDelta = 0.03;

const std::string pictureKey = "\x01picture";

// Matched against a normalised key ("#" stands for a run of digits); group 1 is
// the page-number run.
const std::array<Regex, 5>& pageNumberPatterns() {
    static const std::array<Regex, 5> patterns = {
        Regex(u"(?:\\bpage|\\bpág\\.?|\\bpag\\.?|\\bpágina|\\bpagina|\\bp\\.) ?(?:#[-–])?(#)"),
        Regex(u"(?:\\A|[|·•—–] ?)(#) ?(?:of|de|/) ?#(?:\\z| ?[|·•—–])"),
        Regex(u"\\A[\\s\\-–—|·•]*(?:#[-–])?(#)[\\s\\-–—|·•.]*\\z"),
        Regex(u"\\A(?:#[-–])?(#) ?[|·•—–]"),
        Regex(u"[|·•—–] ?(?:#[-–])?(#)\\z"),
    };
    return patterns;
}

bool isNumeric(UChar32 c) { return u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE; }

std::vector<std::string> numericRuns(const icu::UnicodeString& text) {
    std::vector<std::string> runs;
    icu::UnicodeString run;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        UChar32 c = text.char32At(i);
        if (isNumeric(c)) {
            run.append(c);
        } else if (!run.isEmpty()) {
            runs.push_back(toUtf8(run));
            run.remove();
        }
    }
    if (!run.isEmpty()) runs.push_back(toUtf8(run));
    return runs;
}

icu::UnicodeString normalised(const icu::UnicodeString& trimmedText) {
    icu::UnicodeString lower(trimmedText);
    lower.toLower(icu::Locale::getRoot());
    icu::UnicodeString key;
    bool lastFromSpace = false;
    for (int32_t i = 0; i < lower.length(); i = lower.moveIndex32(i, 1)) {
        UChar32 c = lower.char32At(i);
        bool space = false;
        if (isNumeric(c)) {
            if (key.isEmpty() || key.charAt(key.length() - 1) != u'#') key.append(u'#');
        } else if (c == u'#') {
            key.append(static_cast<UChar32>(0xFF03));
        } else if (u_isUWhiteSpace(c)) {
            if (!lastFromSpace) key.append(u' ');
            space = true;
        } else {
            key.append(c);
        }
        lastFromSpace = space;
    }
    return key;
}

// A decimal integer with an optional leading sign; nothing on overflow.
std::optional<long long> readInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Whether digit run k of both candidates reads as a number that advances from a to b
// exactly as their pages do.
bool advancesWithPage(const Candidate& a, const Candidate& b, std::size_t k) {
    const auto na = readInteger(a.numbers[k]);
    const auto nb = readInteger(b.numbers[k]);
    long long delta = 0;
    return na && nb && !__builtin_sub_overflow(*nb, *na, &delta) && delta == static_cast<long long>(b.page) - a.page;
}

bool compatibleGiven(const Candidate& a, const Candidate& b, const std::set<int>& slotsOfA) {
    if (a.numbers.size() != b.numbers.size()) return false;
    for (std::size_t k = 0; k < a.numbers.size(); ++k) {
        if (a.numbers[k] == b.numbers[k]) continue;
        if (!slotsOfA.contains(static_cast<int>(k)) || !advancesWithPage(a, b, k)) return false;
    }
    return true;
}

// Whether two side-margin texts with letters and equal keys are one slug printed on two
// pages: every number that changes advances with the page ("Frm 00012", "Frm 00013"), or
// some number does and the other changed numbers (a time, a format code) are fewer
// than the numbers that stay the same.
bool sameSlug(const Candidate& a, const Candidate& b) {
    if (a.numbers.size() != b.numbers.size()) return false;
    int advancing = 0;
    int changed = 0;
    int equal = 0;
    for (std::size_t k = 0; k < a.numbers.size(); ++k) {
        if (a.numbers[k] == b.numbers[k]) {
            ++equal;
            continue;
        }
        if (advancesWithPage(a, b, k))
            ++advancing;
        else
            ++changed;
    }
    return changed == 0 || (advancing > 0 && changed < equal);
}

// The element as a candidate when its kind may repeat and it lies in a top, bottom or
// side band of the page.
std::optional<Candidate> makeCandidate(const DocElement& element, int page, int index, double pageWidth,
                                       double pageHeight) {
    Candidate candidate;
    candidate.page = page;
    candidate.element = index;
    switch (element.kind) {
        case DocElementKind::title:
        case DocElementKind::sectionHeader:
        case DocElementKind::text:
        case DocElementKind::caption:
        case DocElementKind::footnote: {
            const std::string trimmedText = trimmingWhitespace(element.text, WhitespaceSet::whiteSpace);
            if (trimmedText.empty() || graphemeCount(trimmedText) > maxGraphemes) return std::nullopt;
            const icu::UnicodeString text = toUnicode(trimmedText);
            candidate.key = toUtf8(normalised(text));
            candidate.numbers = numericRuns(text);
            break;
        }
        case DocElementKind::picture:
            if (!element.captions.empty()) return std::nullopt;
            candidate.key = pictureKey;
            break;
        default:
            return std::nullopt;
    }
    const BBox& box = element.bbox;
    if (box.b / pageHeight <= band) {
        candidate.top = true;
    } else if (box.t / pageHeight >= 1 - band) {
        candidate.top = false;
    } else if (box.r / pageWidth <= sideBand || box.l / pageWidth >= 1 - sideBand) {
        candidate.side = true;
        candidate.top = box.r / pageWidth <= sideBand;
    } else {
        return std::nullopt;
    }
    candidate.cx = (box.l + box.r) / 2 / pageWidth;
    candidate.cy = (box.t + box.b) / 2 / pageHeight;
    candidate.w = (box.r - box.l) / pageWidth;
    candidate.h = (box.b - box.t) / pageHeight;
    return candidate;
}

bool samePlace(const Candidate& a, const Candidate& b) {
    if (std::abs(a.cx - b.cx) > maxCentreDX || std::abs(a.cy - b.cy) > maxCentreDY) return false;
    if (a.key == pictureKey &&
        (std::abs(a.w - b.w) > maxWidthDelta || std::abs(a.h - b.h) > maxHeightDelta)) {
        return false;
    }
    return true;
}

bool hasLetter(const std::string& key) {
    const icu::UnicodeString text = toUnicode(key);
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        if (u_isalpha(text.char32At(i))) return true;
    }
    return false;
}

}  // namespace

std::string normalisedKey(std::string_view trimmedText) { return toUtf8(normalised(toUnicode(trimmedText))); }

std::set<int> pageNumberSlots(std::string_view key) {
    std::set<int> slots;
    icu::UnicodeString text = toUnicode(key);
    for (const Regex& pattern : pageNumberPatterns()) {
        auto matcher = pattern.matcher(text);
        if (!matcher) continue;
        while (matcher->find()) {
            UErrorCode status = U_ZERO_ERROR;
            int32_t start = matcher->start(1, status);
            if (U_FAILURE(status) || start < 0) continue;
            int before = 0;
            for (int32_t i = 0; i < start; ++i) before += text.charAt(i) == u'#';
            slots.insert(before);
        }
    }
    return slots;
}

bool compatible(const Candidate& a, const Candidate& b) {
    if (a.numbers.size() != b.numbers.size()) return false;
    if (a.numbers.empty()) return true;
    return compatibleGiven(a, b, pageNumberSlots(a.key));
}

void remove(std::vector<ConvertedPage>& pages) {
    if (pages.size() <= 1) return;

    std::vector<Candidate> candidates;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const ConvertedPage& page = pages[p];
        if (!(page.width > 0) || !(page.height > 0)) continue;
        const auto& body = page.content.body;
        for (std::size_t e = 0; e < body.size(); ++e) {
            if (auto c = makeCandidate(body[e], static_cast<int>(p), static_cast<int>(e), page.width,
                                       page.height)) {
                candidates.push_back(std::move(*c));
            }
        }
    }

    // Only candidates with equal keys in the same band can match: compare within
    // those groups, in collection order.
    std::map<std::tuple<std::string, bool, bool>, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        groups[{candidates[i].key, candidates[i].top, candidates[i].side}].push_back(i);
    }

    std::vector<std::vector<bool>> marked(pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p) marked[p].assign(pages[p].content.body.size(), false);
    auto isMarked = [&](const Candidate& c) { return marked[c.page][c.element]; };
    bool any = false;

    for (const auto& [groupKey, members] : groups) {
        if (members.size() < 2) continue;
        const std::set<int> slots = pageNumberSlots(std::get<0>(groupKey));
        // Texts with letters in a side margin are slugs; bare numbers there (a table's
        // last column) repeat only where a page-number pattern says so.
        const bool slugs = std::get<2>(groupKey) && hasLetter(std::get<0>(groupKey));
        for (std::size_t x = 0; x < members.size(); ++x) {
            const Candidate& a = candidates[members[x]];
            for (std::size_t y = x + 1; y < members.size(); ++y) {
                const Candidate& b = candidates[members[y]];
                if (a.page == b.page || (isMarked(a) && isMarked(b))) continue;
                if (!samePlace(a, b) || !(slugs ? sameSlug(a, b) : compatibleGiven(a, b, slots))) continue;
                marked[a.page][a.element] = true;
                marked[b.page][b.element] = true;
                any = true;
            }
        }
    }
    if (!any) return;

    for (std::size_t p = 0; p < pages.size(); ++p) {
        auto& content = pages[p].content;
        std::vector<DocElement> body;
        body.reserve(content.body.size());
        for (std::size_t e = 0; e < content.body.size(); ++e) {
            if (marked[p][e]) {
                content.furniture.push_back(std::move(content.body[e]));
            } else {
                body.push_back(std::move(content.body[e]));
            }
        }
        content.body = std::move(body);
    }
}

}  // namespace ce::RunningFurniture
