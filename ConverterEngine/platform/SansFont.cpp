#include "platform/SansFont.h"

#include <cmath>
#include <memory>
#include <optional>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "core/EngineError.h"
#include "core/Utf8.h"

namespace ce::SansFont {

namespace {

std::optional<std::filesystem::path> findFontFile() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return std::nullopt;
    std::optional<std::filesystem::path> path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans:style=Regular"));
    if (pattern != nullptr) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* family = nullptr;
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                std::string_view(reinterpret_cast<const char*>(family)) == "Liberation Sans")
                path = std::filesystem::path(reinterpret_cast<const char*>(file));
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return path;
}

// This thread's FreeType library and face, opened on first use.
class Face {
public:
    Face() {
        if (FT_Init_FreeType(&library_) != 0) throw EngineError::textRecognition("FreeType cannot start");
        const std::string path = fontFile().string();
        if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
            FT_Done_FreeType(library_);
            throw EngineError::textRecognition("cannot load the label font " + path);
        }
    }
    ~Face() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    FT_Face sized(double size) {
        FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(std::lround(size * 64)), 72, 72);
        return face_;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

Face& face() {
    thread_local Face instance;
    return instance;
}

}  // namespace

std::filesystem::path fontFile() {
    static const std::optional<std::filesystem::path> path = findFontFile();
    if (!path) throw EngineError::textRecognition("the font Liberation Sans is not installed");
    return *path;
}

double typographicWidth(std::string_view text, double size) {
    FT_Face ft = face().sized(size);
    double width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const FT_UInt glyph = FT_Get_Char_Index(ft, static_cast<FT_ULong>(nextScalar(text, i)));
        if (FT_Load_Glyph(ft, glyph, FT_LOAD_NO_HINTING) == 0) width += ft->glyph->linearHoriAdvance / 65536.0;
    }
    return width;
}

void draw(GrayRaster& raster, std::string_view text, double size, double x, double baselineY, std::uint8_t grey) {
    FT_Face ft = face().sized(size);
    double penX = x;
    for (std::size_t i = 0; i < text.size();) {
        const FT_UInt glyph = FT_Get_Char_Index(ft, static_cast<FT_ULong>(nextScalar(text, i)));
        // The fractional pen position goes into the outline so glyphs sit where the
        // advances put them; the whole-pixel part is the bitmap's origin.
        const double originX = std::floor(penX);
        const double originY = std::floor(baselineY);
        FT_Vector delta{static_cast<FT_Pos>(std::lround((penX - originX) * 64)),
                        static_cast<FT_Pos>(-std::lround((baselineY - originY) * 64))};
        FT_Set_Transform(ft, nullptr, &delta);
        if (FT_Load_Glyph(ft, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = ft->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = static_cast<int>(originX) + slot->bitmap_left;
        const int top = static_cast<int>(originY) - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= raster.height) continue;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int px = left + static_cast<int>(column);
                if (px < 0 || px >= raster.width) continue;
                const unsigned coverage = bitmap.buffer[row * static_cast<unsigned>(std::abs(bitmap.pitch)) + column];
                std::uint8_t& pixel = raster.pixels[static_cast<std::size_t>(y) * raster.width + px];
                pixel = static_cast<std::uint8_t>((pixel * (255 - coverage) + grey * coverage + 127) / 255);
            }
        }
        penX += slot->linearHoriAdvance / 65536.0;
    }
    FT_Set_Transform(ft, nullptr, nullptr);
}

const LabelFont& labelFont() {
    struct Font final : LabelFont {
        double typographicWidth(std::string_view text, double size) const override {
            return SansFont::typographicWidth(text, size);
        }
        void draw(GrayRaster& raster, std::string_view text, double size, double x, double baselineY,
                  std::uint8_t grey) const override {
            SansFont::draw(raster, text, size, x, baselineY, grey);
        }
    };
    static const Font font;
    return font;
}

}  // namespace ce::SansFont
