#include "input/PageTextView.h"

#include <algorithm>

namespace ce {

PageTextView::Rect PageTextView::Rect::unionWith(const Rect& other) const {
    return {std::min(minX, other.minX), std::min(minY, other.minY), std::max(maxX, other.maxX),
            std::max(maxY, other.maxY)};
}

std::optional<PageTextView::Rect> PageTextView::bounds(int start, int end) const {
    std::optional<Rect> result;
    const int last = std::min<int>(end, static_cast<int>(boxes.size()));
    for (int i = std::max(0, start); i < last; ++i) {
        if (!boxes[i]) continue;
        result = result ? result->unionWith(*boxes[i]) : *boxes[i];
    }
    return result;
}

bool PageTextView::isValid(const Range& range) const {
    return range.location >= 0 && range.length >= 1 &&
           static_cast<long long>(range.location) + range.length <= static_cast<long long>(text.size());
}

}  // namespace ce
