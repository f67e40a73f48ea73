// Separable fixed-point resampling of RGB images with a triangle (bilinear) or a
// Lanczos-3 filter. Results are exact integers: the same input always gives the same
// bytes on every machine (weights are rounded to 22 fractional bits, accumulation is
// 64-bit integer). Stateless; safe from any thread.
#pragma once

#include <optional>

#include "image/RGBImage.h"

namespace ce::Resample {

enum class Filter {
    bilinear,  // triangle filter, support radius 1
    lanczos,   // Lanczos filter with a = 3, support radius 3
};

// A source rectangle in continuous pixel coordinates; x1 and y1 are the far edges.
struct Box {
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;
};

// The box of `source` (the whole image when absent) mapped onto a width x height
// image; the aspect ratio is the caller's concern. Target sizes below 1 count as 1.
// Same size and whole box: the source is returned unchanged. An axis whose size and
// extent do not change is not filtered at all.
RGBImage resize(const RGBImage& source, int width, int height, Filter filter,
                std::optional<Box> box = std::nullopt);

}  // namespace ce::Resample
