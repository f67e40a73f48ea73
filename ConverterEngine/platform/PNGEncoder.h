// Encoding RGB images as PNG files in memory (over libvips).
#pragma once

#include <cstdint>
#include <vector>

#include "image/RGBImage.h"

namespace ce::PNGEncoder {

// The image as PNG bytes (8-bit RGB, no alpha). Throws EngineError::imageConversion
// for an empty image or when encoding fails.
std::vector<std::uint8_t> encode(const RGBImage& image);

}  // namespace ce::PNGEncoder
