#include "SplitLayout.h"

#include <algorithm>
#include <cmath>

namespace SplitLayout {

Bounds bounds(double width, double minWidth) {
    Bounds b;
    b.available = width - dividerWidth > 1 ? width - dividerWidth : 1;
    b.lower = std::min(minWidth / b.available, 0.5);
    b.upper = 1 - b.lower;
    return b;
}

double clamped(const Bounds& bounds, double share) {
    double shown = share <= bounds.lower ? bounds.lower : share;
    if (bounds.upper < shown) shown = bounds.upper;
    return shown;
}

double storedShare(double stored) { return std::isfinite(stored) ? stored : defaultShare; }

Widths widths(const Bounds& bounds, double shownShare) {
    const double leading = bounds.available * shownShare;
    return {leading, bounds.available - leading};
}

double dragged(const Bounds& bounds, double startShare, double translation) {
    return clamped(bounds, startShare + translation / bounds.available);
}

double adjusted(const Bounds& bounds, double shownShare, bool increment) {
    return clamped(bounds, shownShare + (increment ? adjustStep : -adjustStep));
}

}  // namespace SplitLayout
