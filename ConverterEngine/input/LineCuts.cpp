#include "input/LineCuts.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <optional>

namespace ce::LineCuts {

namespace {

struct Extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void add(const Glyph& glyph) {
        low = std::min(low, glyph.low);
        high = std::max(high, glyph.high);
    }
    // The empty stretch between the two extents; negative where they overlap.
    double gapTo(const Extent& other) const { return std::max(other.low - high, low - other.high); }
};

// The line's letter spacing: the narrowest gap between neighbouring visible glyphs
// stored one after the other without white space (overlaps count as none), or none
// with fewer than two such gaps. A line with a column gap has letters that touch on
// either side of it; a heading set evenly apart has no narrower gap than its spacing.
double letterSpacing(std::span<const Glyph> glyphs) {
    std::optional<double> narrowest;
    int count = 0;
    for (std::size_t k = 1; k < glyphs.size(); ++k) {
        const Glyph& a = glyphs[k - 1];
        const Glyph& b = glyphs[k];
        if (!a.visible || !b.visible) continue;
        const double gap = std::max({0.0, b.low - a.high, a.low - b.high});
        narrowest = narrowest ? std::min(*narrowest, gap) : gap;
        ++count;
    }
    return count >= 2 ? *narrowest : 0;
}

bool directionsMeet(const Glyph& a, const Glyph& b) {
    return a.direction != Direction::neutral && b.direction != Direction::neutral && a.direction != b.direction;
}

}  // namespace

std::vector<Part> parts(std::span<const Glyph> glyphs, bool rightToLeft, const Options& options) {
    const int n = static_cast<int>(glyphs.size());
    if (n == 0) return {};
    // after[k]: the visible glyphs from position k to the line's end.
    std::vector<Extent> after(static_cast<std::size_t>(n) + 1);
    for (int k = n - 1; k >= 0; --k) {
        after[k] = after[k + 1];
        if (glyphs[k].visible) after[k].add(glyphs[k]);
    }
    const double spacing = letterSpacing(glyphs);
    std::vector<Part> out;
    std::vector<Extent> extents;
    Extent before;
    int from = 0;
    for (int k = 0; k < n; ++k) {
        if (k > from && glyphs[k].visible && glyphs[k - 1].visible) {
            const double share =
                directionsMeet(glyphs[k - 1], glyphs[k]) ? options.widestGapBetweenDirections : options.widestGap;
            const double widest = share * std::max(glyphs[k - 1].size, glyphs[k].size);
            if (widest > 0 && before.gapTo(after[k]) > spacing + widest) {
                out.push_back({from, k});
                extents.push_back(before);
                before = Extent{};
                from = k;
            }
        }
        if (glyphs[k].visible) before.add(glyphs[k]);
    }
    out.push_back({from, n});
    extents.push_back(before);
    if (out.size() == 1) return out;

    // The parts lie apart from each other along the line, so their order there is plain.
    std::vector<std::size_t> order(out.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rightToLeft ? extents[a].low > extents[b].low : extents[a].low < extents[b].low;
    });
    std::vector<Part> sorted;
    for (std::size_t i : order) sorted.push_back(out[i]);
    return sorted;
}

}  // namespace ce::LineCuts
