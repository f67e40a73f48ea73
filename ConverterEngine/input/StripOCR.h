// Reading small regions (table cells left without text on recognised pages) after
// the fact: the ink of each region is cut from the page image, regions whose ink is
// near the typical text height are drawn as rows of tall white strips (up to
// `batchSize` rows each, every row labelled "No." and its ink scaled so that typical
// text is `targetHeight` pixels high), each strip is recognised once with the
// dictionaries off, and the pieces read are mapped back to their rows.
//
// Stateless: every call makes its own raster, canvases and requests; safe from any
// thread. Lengths are raster or canvas pixels unless named points.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/BBox.h"
#include "core/TextCell.h"
#include "image/GrayRaster.h"
#include "image/RGBImage.h"
#include "input/LabelFont.h"
#include "input/TextRecognizer.h"

namespace ce::StripOCR {

inline constexpr double targetHeight = 48;
inline constexpr double leftMargin = 48;
inline constexpr double labelGap = 16.8;
inline constexpr double rightMargin = 48;
inline constexpr double rowPitch = 76.8;
inline constexpr double verticalMargin = 48;  // above the first row and below the last
inline constexpr double labelSize = 29.76;
inline constexpr double labelDrop = 10.56;    // label baseline below the row's centre line
inline constexpr double maxCropWidth = 4096;
inline constexpr std::size_t batchSize = 40;
inline constexpr const char* label = "No.";

// A pixel rectangle with whole-number coordinates held as doubles.
struct PixelRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const PixelRect&) const = default;
};

// A drawn strip: its canvas (white, black ink, rows from the top) and where the
// crops start.
struct Strip {
    GrayRaster canvas;
    double cropX = 0;
};

// One optional text per region (page points, top-left origin), read from the page
// image at `scale` pixels per point; `tokens` give the typical text height (their box
// heights only). Strips are labelled with `font` and read by `recognizer`. Never
// throws: whatever cannot be read stays none.
std::vector<std::optional<std::string>> recognizeRegions(const std::vector<BBox>& regions, const RGBImage& page,
                                                         const std::vector<TextCell>& tokens,
                                                         const std::vector<std::string>& languages, double scale,
                                                         const TextRecognizer& recognizer, const LabelFont& font);

// The ink inside a box (x0, y0, x1, y1) of the raster, with a 2-pixel margin, clipped
// to the raster. The box is first shrunk by 8 % of its width and 12 % of its height
// on each side (at least 2 pixels); none when that window is under 2 x 2 pixels, its
// contrast is below 64 grey levels, or it has fewer than 6 ink pixels.
std::optional<PixelRect> inkBox(const GrayRaster& raster, double x0, double y0, double x1, double y1);

// The rectangle of the raster, contrast-stretched to 0...255; none when it is empty
// or not inside the raster.
std::optional<GrayRaster> stretchedCrop(const GrayRaster& raster, const PixelRect& rect);

// The strip for the ink boxes, their ink scaled by `upscale`. A drawn crop is never
// taller than the row pitch nor wider than maxCropWidth (it shrinks, keeping its
// shape), so rows never overlap and the canvas stays bounded. Throws EngineError when
// the label font cannot be loaded.
Strip drawStrip(const std::vector<PixelRect>& boxes, const GrayRaster& raster, double upscale,
                const LabelFont& font);

// The text of each row (0-based) of a strip of `rows` rows from the recognised
// pieces: a piece belongs to the row under its vertical centre, counts only when it
// ends right of cropX, loses a leading "No." label only when it starts left of cropX,
// and a row's pieces are joined left to right with spaces. Rows without text are absent.
std::map<int, std::string> rowTexts(const std::vector<RecognizedLine>& pieces, int rows, double cropX,
                                    int canvasWidth, int canvasHeight);

// drawStrip, one recognition with the dictionaries off, rowTexts. Never throws: a
// strip that cannot be drawn or recognised gives no rows.
std::map<int, std::string> recognizeBatch(const std::vector<PixelRect>& boxes, const GrayRaster& raster,
                                          const std::vector<std::string>& languages, double upscale,
                                          const TextRecognizer& recognizer, const LabelFont& font);

}  // namespace ce::StripOCR
