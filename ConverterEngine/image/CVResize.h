// The resamplers the table model's input is prepared with: area averaging of the
// page image to a height of 1024 pixels and bilinear resampling of the table crop to
// 448 x 448. Their arithmetic is fixed to the byte (fixed-point weights, single
// precision where noted, ties-to-even rounding); they are not the general resampler.
// Pixels are 8-bit RGB, 3 bytes per pixel, row-major, no padding.
#pragma once

#include <cstdint>
#include <vector>

#include "image/RGBImage.h"

namespace ce::CVResize {

// One entry of an area table: destination index x 3, source index x 3, weight.
struct Decimate {
    int di = 0;
    int si = 0;
    float alpha = 0;
};

// The area table of one axis from n source to m destination pixels.
std::vector<Decimate> areaTable(int n, int m);

// Scales to the target size: unchanged when equal; linear enlarging when either axis
// grows; integral box averaging for whole-number factors; area averaging otherwise.
RGBImage resize(const RGBImage& image, int newWidth, int newHeight);

// Destination pixels [x0, x1) x [y0, y1) of a resize.
struct Region {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

// The same pixels as resize(image, newWidth, newHeight).cropped(region) (the region
// clamped to the target size), computing only those: a table needs its own box of the
// page scaled, not the whole page.
RGBImage resizedRegion(const RGBImage& image, int newWidth, int newHeight, Region region);

// Bilinear resampling at half-pixel centres; unrounded values, 3 per pixel.
std::vector<double> cropResize448(const RGBImage& image, int targetWidth = 448, int targetHeight = 448);

// Each value rounded to nearest (ties to even) and clamped to 0...255.
RGBImage toRGB8(const std::vector<double>& values, int width, int height);

}  // namespace ce::CVResize
