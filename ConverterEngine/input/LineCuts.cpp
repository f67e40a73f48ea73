#include "input/LineCuts.h"

#include <algorithm>
#include <limits>
#include <numeric>

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
    std::vector<Part> out;
    std::vector<Extent> extents;
    Extent before;
    int from = 0;
    for (int k = 0; k < n; ++k) {
        if (k > from && glyphs[k].visible && glyphs[k - 1].visible) {
            const double widest = options.widestGap * std::max(glyphs[k - 1].size, glyphs[k].size);
            if (widest > 0 && before.gapTo(after[k]) > widest) {
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
