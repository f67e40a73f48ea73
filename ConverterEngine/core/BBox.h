// A box in page points, origin at the top left of the page, y growing downwards.
// A well-formed box has l < r and t < b; inverted boxes are representable and
// every operation stays finite on them (areas clamp to zero, no division by zero).
#pragma once

#include <cstddef>

namespace ce {

struct BBox {
    double l = 0;
    double t = 0;
    double r = 0;
    double b = 0;

    double width() const { return r - l; }
    double height() const { return b - t; }
    double centerX() const { return (l + r) * 0.5; }
    double centerY() const { return (t + b) * 0.5; }
    double area() const;
    double intersectionArea(const BBox& other) const;
    double intersectionOverSelf(const BBox& other) const;
    double iou(const BBox& other) const;
    BBox unionWith(const BBox& other) const;
    BBox scaled(double factor) const;

    bool operator==(const BBox&) const = default;
};

std::size_t hashValue(const BBox& box);

}  // namespace ce
