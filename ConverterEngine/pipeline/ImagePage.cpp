#include "pipeline/ImagePage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EngineError.h"
#include "image/Resample.h"
#include "platform/ImageFile.h"

namespace ce {

namespace {

// A pixel count from a scaled size: at least 1, rounded down or to nearest (ties to even).
int pixelsFor(double value, bool roundDown) {
    const double rounded = roundDown ? std::floor(value) : std::nearbyint(value);
    if (!(rounded >= 1)) return 1;
    return rounded > 1e9 ? 1'000'000'000 : static_cast<int>(rounded);
}

}  // namespace

std::pair<double, double> ImagePage::plausibleResolution(double dpiX, double dpiY) {
    const bool positive = dpiX > 0 && dpiY > 0 && std::isfinite(dpiX) && std::isfinite(dpiY);
    if (!positive || dpiX < 1 || dpiY < 1 || !(dpiX > 1 || dpiY > 1)) return {72, 72};
    return {dpiX, dpiY};
}

int ImagePage::reducedSide(long long w, long long h) {
    const double pixels = static_cast<double>(w) * static_cast<double>(h);
    if (pixels <= maxPixels) return 0;
    const double side = std::floor(std::sqrt(maxPixels / pixels) * static_cast<double>(std::max(w, h)));
    return static_cast<int>(std::max(1.0, side));
}

RGBImage ImagePage::upright(const RGBImage& image, long long orientation) {
    if (orientation < 2 || orientation > 8) return image;
    const int w = image.width;
    const int h = image.height;
    const bool swaps = orientation >= 5;
    RGBImage out;
    out.width = swaps ? h : w;
    out.height = swaps ? w : h;
    out.pixels.resize(image.pixels.size());
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;                   // mirrored left to right
                case 3: sx = w - 1 - x; sy = h - 1 - y; break;   // turned half way
                case 4: sy = h - 1 - y; break;                   // mirrored top to bottom
                case 5: sx = y; sy = x; break;                   // transposed
                case 6: sx = y; sy = h - 1 - x; break;           // stored a quarter turn anticlockwise
                case 7: sx = w - 1 - y; sy = h - 1 - x; break;   // transversed
                case 8: sx = w - 1 - y; sy = x; break;           // stored a quarter turn clockwise
            }
            std::memcpy(out.pixels.data() + (static_cast<std::size_t>(y) * out.width + x) * 3,
                        image.pixels.data() + (static_cast<std::size_t>(sy) * w + sx) * 3, 3);
        }
    return out;
}

ImagePage::ImagePage(RGBImage original, long long pixelWidth, long long pixelHeight, double dpiX, double dpiY)
    : original_(std::move(original)),
      pixelWidth_(pixelWidth < 1 ? original_.width : pixelWidth),
      pixelHeight_(pixelHeight < 1 ? original_.height : pixelHeight),
      dpiX_(dpiX),
      dpiY_(dpiY) {}

ImagePage::ImagePage(const std::filesystem::path& url, int index) {
    const ImageFile::FrameInfo info = ImageFile::frameInfo(url, index);
    double dpiX = info.dpiX.value_or(72);
    double dpiY = info.dpiY.value_or(72);
    if (info.pngPixelsPerMeterX && info.pngPixelsPerMeterY && *info.pngPixelsPerMeterX > 0 &&
        *info.pngPixelsPerMeterY > 0) {
        dpiX = *info.pngPixelsPerMeterX * 0.0254;
        dpiY = *info.pngPixelsPerMeterY * 0.0254;
    }
    std::tie(dpiX, dpiY) = plausibleResolution(dpiX, dpiY);
    long long w = std::max(0LL, info.pixelWidth);
    long long h = std::max(0LL, info.pixelHeight);
    if (info.decodedWhole && static_cast<double>(w) * static_cast<double>(h) > maxWholeFramePixels)
        throw EngineError::inputTooLarge(url);
    const long long orientation = info.orientation.value_or(1);
    RGBImage frame = upright(ImageFile::decode(url, index, reducedSide(w, h)), orientation);
    if (frame.width < 1 || frame.height < 1) throw EngineError::unreadableInput(url);
    if (orientation >= 5 && orientation <= 8) {
        std::swap(w, h);
        std::swap(dpiX, dpiY);
    }
    *this = ImagePage(std::move(frame), w, h, dpiX, dpiY);
}

int ImagePage::frameCount(const std::filesystem::path& url) { return ImageFile::frameCount(url); }

double ImagePage::width() const { return static_cast<double>(pixelWidth_) * 72 / dpiX_; }

double ImagePage::height() const { return static_cast<double>(pixelHeight_) * 72 / dpiY_; }

RGBImage ImagePage::render(double scale) const {
    const double w = width();
    const double h = height();
    const double pixels = scale * scale * w * h;
    double s = scale;
    if (pixels > maxPixels) s = scale * std::sqrt(maxPixels / pixels);
    const bool roundDown = s < scale;
    return Resample::resize(original_, pixelsFor(w * s, roundDown), pixelsFor(h * s, roundDown),
                            Resample::Filter::lanczos);
}

RecognitionImage ImagePage::ocrImage(double maxUpscale) const {
    const double native = original_.width / width();
    const double target = std::min(std::sqrt(ocrUpscalePixels / (width() * height())), maxUpscale);
    if (native * 1.05 < target) return {render(target), target};
    return {original_, native};
}

}  // namespace ce
