#include "input/StripOCR.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/Median.h"
#include "core/Regex.h"
#include "core/Truncation.h"
#include "core/Unicode.h"
#include "core/Whitespace.h"

namespace ce::StripOCR {

namespace {

// The drawn size of a crop: scaled by `upscale`, then shrunk (keeping its shape) to
// fit the row pitch and the widest crop allowed.
struct DrawnSize {
    double width = 0;
    double height = 0;
};

DrawnSize drawnSize(const PixelRect& box, double upscale) {
    double width = upscale * box.width;
    double height = upscale * box.height;
    const double shrink = std::min({1.0, height > 0 ? rowPitch / height : 1.0, width > 0 ? maxCropWidth / width : 1.0});
    return {width * shrink, height * shrink};
}

// Draws `crop` into the canvas rectangle (x, y, width, height), y downwards, with
// bilinear sampling; canvas pixels whose centres lie inside the rectangle are set.
void drawScaled(GrayRaster& canvas, const GrayRaster& crop, double x, double y, double width, double height) {
    if (width <= 0 || height <= 0 || crop.width <= 0 || crop.height <= 0) return;
    const int px0 = std::max(0, truncated(std::ceil(x - 0.5)));
    const int px1 = std::min(canvas.width, truncated(std::ceil(x + width - 0.5)));
    const int py0 = std::max(0, truncated(std::ceil(y - 0.5)));
    const int py1 = std::min(canvas.height, truncated(std::ceil(y + height - 0.5)));
    const auto sample = [&](double u, double v) {
        u = std::clamp(u, 0.0, crop.width - 1.0);
        v = std::clamp(v, 0.0, crop.height - 1.0);
        const int u0 = static_cast<int>(u);
        const int v0 = static_cast<int>(v);
        const int u1 = std::min(u0 + 1, crop.width - 1);
        const int v1 = std::min(v0 + 1, crop.height - 1);
        const double fu = u - u0;
        const double fv = v - v0;
        const double top = crop.at(u0, v0) * (1 - fu) + crop.at(u1, v0) * fu;
        const double bottom = crop.at(u0, v1) * (1 - fu) + crop.at(u1, v1) * fu;
        return top * (1 - fv) + bottom * fv;
    };
    for (int py = py0; py < py1; ++py) {
        const double v = (py + 0.5 - y) / height * crop.height - 0.5;
        for (int px = px0; px < px1; ++px) {
            const double u = (px + 0.5 - x) / width * crop.width - 0.5;
            canvas.pixels[static_cast<std::size_t>(py) * canvas.width + px] =
                static_cast<std::uint8_t>(std::lround(std::clamp(sample(u, v), 0.0, 255.0)));
        }
    }
}

std::string withoutLabel(const std::string& text) {
    static const Regex pattern(u"^\\s*[Nn][oO0]\\s*[.,:]?\\s*");
    const icu::UnicodeString unicode = toUnicode(text);
    auto matcher = pattern.matcher(unicode);
    UErrorCode status = U_ZERO_ERROR;
    if (!matcher->lookingAt(status) || U_FAILURE(status)) return text;
    const int32_t end = matcher->end(status);
    if (U_FAILURE(status)) return text;
    return toUtf8(unicode.tempSubString(end));
}

}  // namespace

std::optional<PixelRect> inkBox(const GrayRaster& raster, double x0, double y0, double x1, double y1) {
    const double dx = std::max((x1 - x0) * 0.08, 2.0);
    const double dy = std::max((y1 - y0) * 0.12, 2.0);
    const int cx0 = std::max(0, truncated(x0 + dx));
    const int cx1 = std::min(raster.width, truncated(x1 - dx));
    const int cy0 = std::max(0, truncated(y0 + dy));
    const int cy1 = std::min(raster.height, truncated(y1 - dy));
    if (cx1 - cx0 < 2 || cy1 - cy0 < 2) return std::nullopt;
    int lo = 255;
    int hi = 0;
    for (int y = cy0; y < cy1; ++y)
        for (int x = cx0; x < cx1; ++x) {
            lo = std::min<int>(lo, raster.at(x, y));
            hi = std::max<int>(hi, raster.at(x, y));
        }
    if (hi - lo < 64) return std::nullopt;
    const int threshold = (lo + hi) / 2;
    int count = 0;
    int ix0 = INT_MAX, ix1 = -1, iy0 = INT_MAX, iy1 = -1;
    for (int y = cy0; y < cy1; ++y)
        for (int x = cx0; x < cx1; ++x) {
            if (raster.at(x, y) >= threshold) continue;
            ++count;
            ix0 = std::min(ix0, x);
            ix1 = std::max(ix1, x);
            iy0 = std::min(iy0, y);
            iy1 = std::max(iy1, y);
        }
    if (count < 6) return std::nullopt;
    const int left = std::max(0, ix0 - 2);
    const int right = std::min(raster.width, ix1 + 3);
    const int top = std::max(0, iy0 - 2);
    const int bottom = std::min(raster.height, iy1 + 3);
    return PixelRect{static_cast<double>(left), static_cast<double>(top), static_cast<double>(right - left),
                     static_cast<double>(bottom - top)};
}

std::optional<GrayRaster> stretchedCrop(const GrayRaster& raster, const PixelRect& rect) {
    const double minX = std::min(rect.x, rect.x + rect.width);
    const double minY = std::min(rect.y, rect.y + rect.height);
    const int x = truncated(minX);
    const int y = truncated(minY);
    const int w = truncated(std::abs(rect.width));
    const int h = truncated(std::abs(rect.height));
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > raster.width - w || y > raster.height - h) return std::nullopt;
    int lo = 255;
    int hi = 0;
    for (int row = y; row < y + h; ++row)
        for (int column = x; column < x + w; ++column) {
            lo = std::min<int>(lo, raster.at(column, row));
            hi = std::max<int>(hi, raster.at(column, row));
        }
    const double range = std::max(hi - lo, 1);
    GrayRaster crop = GrayRaster::filled(w, h, 255);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column) {
            const double v = std::round((raster.at(x + column, y + row) - lo) / range * 255.0);
            crop.pixels[static_cast<std::size_t>(row) * w + column] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
        }
    return crop;
}

Strip drawStrip(const std::vector<PixelRect>& boxes, const GrayRaster& raster, double upscale,
                const LabelFont& font) {
    Strip strip;
    strip.cropX = font.typographicWidth(label, labelSize) + leftMargin + labelGap;
    std::vector<DrawnSize> sizes;
    double widest = 0;
    for (const PixelRect& box : boxes) {
        sizes.push_back(drawnSize(box, upscale));
        widest = std::max(widest, sizes.back().width);
    }
    const int width = truncated(strip.cropX + widest + rightMargin);
    const int height = truncated(static_cast<double>(boxes.size()) * rowPitch + 2 * verticalMargin);
    strip.canvas = GrayRaster::filled(width, height, 255);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        // Row centre line, measured from the top of the canvas.
        const double centre = verticalMargin + (static_cast<double>(i) + 0.5) * rowPitch;
        font.draw(strip.canvas, label, labelSize, leftMargin, centre + labelDrop, 0);
        if (const auto crop = stretchedCrop(raster, boxes[i]))
            drawScaled(strip.canvas, *crop, strip.cropX, centre - 0.5 * sizes[i].height, sizes[i].width,
                       sizes[i].height);
    }
    return strip;
}

std::map<int, std::string> rowTexts(const std::vector<RecognizedLine>& pieces, int rows, double cropX,
                                    int canvasWidth, int canvasHeight) {
    struct Piece {
        double minX;
        std::string text;
    };
    std::map<int, std::vector<Piece>> byRow;
    for (const RecognizedLine& piece : pieces) {
        const NormalizedRect& box = piece.quad.boundingBox;
        const double row = std::floor(((1 - box.midY()) * canvasHeight - verticalMargin) / rowPitch);
        if (!(row >= 0) || row >= rows) continue;
        if (!(cropX < box.maxX * canvasWidth)) continue;
        const bool startsAtLabel = box.minX * canvasWidth < cropX;
        std::string text =
            trimmingWhitespace(startsAtLabel ? withoutLabel(piece.text) : piece.text, WhitespaceSet::spacesAndTabs);
        if (text.empty()) continue;
        byRow[static_cast<int>(row)].push_back({box.minX, std::move(text)});
    }
    std::map<int, std::string> answer;
    for (auto& [row, list] : byRow) {
        std::stable_sort(list.begin(), list.end(), [](const Piece& a, const Piece& b) { return a.minX < b.minX; });
        std::string joined;
        for (const Piece& piece : list) joined += (joined.empty() ? "" : " ") + piece.text;
        answer[row] = std::move(joined);
    }
    return answer;
}

std::map<int, std::string> recognizeBatch(const std::vector<PixelRect>& boxes, const GrayRaster& raster,
                                          const std::vector<std::string>& languages, double upscale,
                                          const TextRecognizer& recognizer, const LabelFont& font) {
    try {
        const Strip strip = drawStrip(boxes, raster, upscale, font);
        TextRecognizer::Request request;
        request.languages = languages;
        request.languageCorrection = false;
        request.layout = TextRecognizer::Layout::strip;
        // Strip text is 48 pixels high: about 11.5 points at 300 dots per inch.
        request.pixelsPerPoint = 300.0 / 72.0;
        const auto pieces = recognizer.recognize(
            {strip.canvas.pixels.data(), strip.canvas.width, strip.canvas.height, 1}, request);
        return rowTexts(pieces, static_cast<int>(boxes.size()), strip.cropX, strip.canvas.width, strip.canvas.height);
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<std::optional<std::string>> recognizeRegions(const std::vector<BBox>& regions, const RGBImage& page,
                                                         const std::vector<TextCell>& tokens,
                                                         const std::vector<std::string>& languages, double scale,
                                                         const TextRecognizer& recognizer, const LabelFont& font) {
    std::vector<std::optional<std::string>> result(regions.size());
    try {
        std::vector<double> heights;
        for (const TextCell& token : tokens)
            if (const double h = scale * token.bbox.height(); h > 2.0) heights.push_back(h);
        if (heights.empty()) return result;
        const double typical = upperMedian(heights);

        const std::optional<GrayRaster> raster = GrayRaster::of(page);
        if (!raster) return result;

        std::vector<std::size_t> kept;
        std::vector<PixelRect> boxes;
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const BBox& region = regions[i];
            const auto ink =
                inkBox(*raster, scale * region.l, scale * region.t, scale * region.r, scale * region.b);
            if (!ink || ink->height < 0.3 * typical || ink->height > 2.5 * typical || ink->width < 0.15 * typical)
                continue;
            kept.push_back(i);
            boxes.push_back(*ink);
        }
        const double upscale = targetHeight / typical;
        for (std::size_t start = 0; start < kept.size(); start += batchSize) {
            const std::size_t end = std::min(kept.size(), start + batchSize);
            const std::vector<PixelRect> batch(boxes.begin() + static_cast<std::ptrdiff_t>(start),
                                               boxes.begin() + static_cast<std::ptrdiff_t>(end));
            for (auto& [row, text] : recognizeBatch(batch, *raster, languages, upscale, recognizer, font))
                result[kept[start + static_cast<std::size_t>(row)]] = std::move(text);
        }
    } catch (const std::exception&) {
        // Whatever was read before the failure stays; the rest stays none.
    }
    return result;
}

}  // namespace ce::StripOCR
