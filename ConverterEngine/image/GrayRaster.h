// An 8-bit grey raster for ink measurements: one value per pixel (0 black ... 255
// white), rows top to bottom, exactly `width` bytes per row. A plain value.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/RGBImage.h"

namespace ce {

struct GrayRaster {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    // A width x height raster of one value (sizes below 0 count as 0).
    static GrayRaster filled(int width, int height, std::uint8_t value);

    // The image's luminance (Rec. 601 weights, rounded); none when the image is
    // empty or its pixel data does not match its size.
    static std::optional<GrayRaster> of(const RGBImage& image);

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const GrayRaster&) const = default;
};

}  // namespace ce
