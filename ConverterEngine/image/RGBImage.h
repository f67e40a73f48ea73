// An 8-bit RGB raster: three bytes per pixel (R, G, B), rows stored top to bottom
// with no padding, no alpha. Invariant: pixels.size() == width * height * 3; the
// pixel at (x, y) starts at byte (y * width + x) * 3.
//
// This is the engine's only raster type: pages are rendered into it, models read
// from it, crops are cut from it. It is a plain value and safe to copy between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ce {

// A 32-bit B, G, R, 255 pixel buffer, the input format of the layout model.
// Row y starts at byte y * bytesPerRow; bytesPerRow >= width * 4.
struct BGRABuffer {
    int width = 0;
    int height = 0;
    std::size_t bytesPerRow = 0;
    std::vector<std::uint8_t> bytes;
};

struct RGBImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    // A width x height image of one colour (sizes below 0 count as 0).
    static RGBImage filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);

    // The pixels in [x0, x1) x [y0, y1), each edge clamped to the image first (x0 and y0
    // into 0...size, x1 and y1 into x0...size, y0...size). A box outside the image, or an
    // inverted one, gives an empty image (0 wide or 0 high, no bytes). Never fails.
    RGBImage cropped(int x0, int y0, int x1, int y1) const;

    // The image as a new BGRA buffer, each pixel B, G, R, 255. Throws
    // EngineError::imageConversion when the image is empty or too large to address.
    BGRABuffer pixelBuffer() const;

    bool operator==(const RGBImage&) const = default;
};

}  // namespace ce
