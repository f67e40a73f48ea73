#include "image/GrayRaster.h"

#include <algorithm>

namespace ce {

GrayRaster GrayRaster::filled(int width, int height, std::uint8_t value) {
    GrayRaster raster;
    raster.width = std::max(0, width);
    raster.height = std::max(0, height);
    raster.pixels.assign(static_cast<std::size_t>(raster.width) * raster.height, value);
    return raster;
}

std::optional<GrayRaster> GrayRaster::of(const RGBImage& image) {
    if (image.width <= 0 || image.height <= 0) return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (image.pixels.size() != count * 3) return std::nullopt;
    GrayRaster raster;
    raster.width = image.width;
    raster.height = image.height;
    raster.pixels.resize(count);
    const std::uint8_t* rgb = image.pixels.data();
    for (std::size_t i = 0; i < count; ++i, rgb += 3)
        raster.pixels[i] = static_cast<std::uint8_t>((77u * rgb[0] + 150u * rgb[1] + 29u * rgb[2] + 128u) >> 8);
    return raster;
}

}  // namespace ce
