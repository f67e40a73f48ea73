// The arithmetic of the split pane: how the offered width, the minimum pane width
// and the stored share of the leading pane become pane widths, and how a drag or an
// accessibility step turns into a new share. Pure functions; the widget only paints
// and forwards input to them.
#pragma once

namespace SplitLayout {

inline constexpr double dividerWidth = 1;
inline constexpr double handleWidth = 9;  // the grab area, centred on the divider
inline constexpr double adjustStep = 0.05;
inline constexpr double defaultShare = 0.5;

struct Bounds {
    double available = 1;  // the offered width less the divider, at least 1
    double lower = 0.5;    // the smallest share the leading pane is shown with
    double upper = 0.5;    // the largest
};

struct Widths {
    double leading = 0;
    double trailing = 0;
};

Bounds bounds(double width, double minWidth);

// The share clamped into [lower, upper]: a value at or below `lower` takes `lower`
// (the tie goes to the bound), then a value above `upper` takes `upper`.
double clamped(const Bounds& bounds, double share);

// A stored share that is not a finite number reads as the default.
double storedShare(double stored);

// The leading pane gets available x shown share, the trailing pane the rest.
Widths widths(const Bounds& bounds, double shownShare);

// The share after a drag that started at `startShare` and has moved `translation`
// points since it began (absolute, so no error accumulates), clamped.
double dragged(const Bounds& bounds, double startShare, double translation);

// One accessibility step up or down from the shown share, clamped.
double adjusted(const Bounds& bounds, double shownShare, bool increment);

}  // namespace SplitLayout
