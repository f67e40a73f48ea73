// An 8-bit RGB raster: three bytes per pixel (R, G, B), rows stored top to bottom
// with no padding, no alpha. Invariant: pixels.size() == width * height * 3.
#pragma once

#include <cstdint>
#include <vector>

namespace ce {

struct RGBImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

}  // namespace ce
