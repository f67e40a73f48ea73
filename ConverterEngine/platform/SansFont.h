// Drawing short texts in Liberation Sans (the stand-in for Helvetica), found through
// fontconfig and rasterised with FreeType, into grey rasters. Sizes are in canvas
// pixels (one point per pixel, as in a bitmap drawing context).
//
// State: each thread opens its own FreeType library and face on first use (thread
// local), so calls from different threads never share FreeType objects.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "image/GrayRaster.h"
#include "input/LabelFont.h"

namespace ce::SansFont {

// The regular face's file. Throws EngineError::textRecognition when fontconfig
// finds no Liberation Sans.
std::filesystem::path fontFile();

// The advance width of the text's glyphs at `size` (unhinted, without kerning).
// Throws EngineError::textRecognition when the font cannot be loaded.
double typographicWidth(std::string_view text, double size);

// Draws the text with its pen starting at (x, baselineY) in raster coordinates (y
// downwards), anti-aliased, blending towards `grey`; glyph parts outside the raster
// are clipped. Throws EngineError::textRecognition when the font cannot be loaded.
void draw(GrayRaster& raster, std::string_view text, double size, double x, double baselineY, std::uint8_t grey);

// The font as strip recognition's label font (typographicWidth and draw above).
const LabelFont& labelFont();

}  // namespace ce::SansFont
