// What strip recognition needs of a font to write its row labels: the advance width
// of a short text and drawing it into a grey raster. Sizes are canvas pixels. The
// platform's sans-serif font implements it; implementations must be safe to call
// from several threads at once.
#pragma once

#include <cstdint>
#include <string_view>

#include "image/GrayRaster.h"

namespace ce {

class LabelFont {
public:
    virtual ~LabelFont() = default;

    // The advance width of the text's glyphs at `size`. Throws EngineError when the
    // font cannot be loaded.
    virtual double typographicWidth(std::string_view text, double size) const = 0;
    // Draws the text with its pen starting at (x, baselineY), y downwards, blending
    // towards `grey`. Throws EngineError when the font cannot be loaded.
    virtual void draw(GrayRaster& raster, std::string_view text, double size, double x, double baselineY,
                      std::uint8_t grey) const = 0;
};

}  // namespace ce
