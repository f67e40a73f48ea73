#include "core/BBox.h"

#include <algorithm>
#include <functional>

namespace ce {

double BBox::area() const { return std::max(0.0, r - l) * std::max(0.0, b - t); }

double BBox::intersectionArea(const BBox& other) const {
    const double iw = std::min(r, other.r) - std::max(l, other.l);
    const double ih = std::min(b, other.b) - std::max(t, other.t);
    return (iw > 0 && ih > 0) ? iw * ih : 0.0;
}

double BBox::intersectionOverSelf(const BBox& other) const {
    const double a = area();
    return a > 0 ? intersectionArea(other) / a : 0.0;
}

double BBox::iou(const BBox& other) const {
    const double inter = intersectionArea(other);
    const double uni = area() + other.area() - inter;
    return uni > 0 ? inter / uni : 0.0;
}

BBox BBox::unionWith(const BBox& other) const {
    return {std::min(l, other.l), std::min(t, other.t), std::max(r, other.r), std::max(b, other.b)};
}

BBox BBox::scaled(double factor) const { return {l * factor, t * factor, r * factor, b * factor}; }

std::size_t hashValue(const BBox& box) {
    std::size_t h = 0;
    for (double v : {box.l, box.t, box.r, box.b}) {
        h ^= std::hash<double>{}(v) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    }
    return h;
}

}  // namespace ce
