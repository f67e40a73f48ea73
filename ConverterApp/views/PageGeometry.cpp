#include "PageGeometry.h"

#include <algorithm>

#include "RegionLabels.h"

namespace PageGeometry {

std::optional<double> aspectRatio(const ce::ConvertedPage* page, std::optional<QSizeF> imagePixels) {
    if (page && page->width > 0 && page->height > 0) return page->width / page->height;
    if (imagePixels) return imagePixels->width() / std::max(imagePixels->height(), 1.0);
    return std::nullopt;
}

QSizeF fittedSize(QSizeF available, std::optional<double> aspect) {
    if (!aspect || !(*aspect > 0)) return available;
    const double w = std::min(available.height() * *aspect, available.width());
    return {std::max(w, 1.0), std::max(w / *aspect, 1.0)};
}

BoxStyle boxStyle(const ce::LayoutRegion& region, const ce::ConvertedPage& page, QSizeF fitted, bool highlighted) {
    const double sx = fitted.width() / page.width;
    const double sy = fitted.height() / page.height;
    const ce::BBox& b = region.bbox;
    const bool furniture = RegionLabels::isLeftOut(region, page);
    BoxStyle s;
    s.rect = QRectF(sx * b.l, sy * b.t, std::max(sx * (b.r - b.l), minBoxSide), std::max(sy * (b.b - b.t), minBoxSide));
    s.fillOpacity = highlighted ? 0.28 : (furniture ? 0.04 : 0.1);
    s.borderOpacity = furniture ? 0.5 : 0.9;
    s.lineWidth = highlighted ? 2 : 1;
    s.dashed = furniture;
    return s;
}

QTransform overlayTransform(const ce::ConvertedPage& page, QSizeF fitted) {
    QTransform t;
    if (!page.deskewDegrees) return t;
    const QPointF centre(fitted.width() / 2, fitted.height() / 2);
    t.translate(centre.x(), centre.y());
    t.rotate(-*page.deskewDegrees);
    t.translate(-centre.x(), -centre.y());
    return t;
}

std::vector<int> regionsAt(const ce::ConvertedPage& page, QSizeF fitted, QPointF point) {
    std::vector<int> ids;
    if (!(page.width > 0 && page.height > 0)) return ids;
    const QPointF local = overlayTransform(page, fitted).inverted().map(point);
    for (const ce::LayoutRegion& region : page.regions) {
        const QRectF r = boxStyle(region, page, fitted, false).rect;
        if (local.x() >= r.left() && local.x() < r.right() && local.y() >= r.top() && local.y() < r.bottom())
            ids.push_back(region.id);
    }
    return ids;
}

}  // namespace PageGeometry
