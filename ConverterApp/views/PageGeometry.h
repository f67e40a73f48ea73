// Where the source page and its region boxes go: the page fitted into the pane, each
// region's box and look on the fitted page, and the turn by the page's deskew angle
// (the boxes turn about the page's centre while the image stays). Pure functions.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <optional>
#include <vector>

#include "EngineTypes.h"

namespace PageGeometry {

inline constexpr double minBoxSide = 2;  // a degenerate region stays visible

// The page's aspect ratio: the converted page's size when both sides are positive,
// else the loaded image's pixel size, else none.
std::optional<double> aspectRatio(const ce::ConvertedPage* page, std::optional<QSizeF> imagePixels);

// The largest size of that aspect ratio inside `available`, at least 1 x 1; the
// available size unchanged without an aspect ratio.
QSizeF fittedSize(QSizeF available, std::optional<double> aspect);

// How one region box is drawn.
struct BoxStyle {
    QRectF rect;  // in fitted-page coordinates, before the deskew turn
    double fillOpacity = 0.1;
    double borderOpacity = 0.9;
    double lineWidth = 1;
    bool dashed = false;  // a [4, 3] point dash pattern
};

// The box of `region` on a page fitted to `fitted`, highlighted or not.
BoxStyle boxStyle(const ce::LayoutRegion& region, const ce::ConvertedPage& page, QSizeF fitted, bool highlighted);

// Fitted-page coordinates to the overlay's turned coordinates: a turn by minus the
// deskew angle (a positive angle turns clockwise on screen) about the page's centre.
QTransform overlayTransform(const ce::ConvertedPage& page, QSizeF fitted);

// The ids of the regions whose (turned) box contains `point` (fitted-page
// coordinates), in drawing order, so the last one is on top.
std::vector<int> regionsAt(const ce::ConvertedPage& page, QSizeF fitted, QPointF point);

}  // namespace PageGeometry
