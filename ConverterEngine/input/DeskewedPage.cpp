#include "input/DeskewedPage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ce {

DeskewedPage::DeskewedPage(std::shared_ptr<const PageSource> base, double degrees)
    : base_(std::move(base)), degrees_(degrees) {}

RGBImage DeskewedPage::rotate(const RGBImage& image, double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    if (!std::isfinite(radians) || image.width < 1 || image.height < 1) return image;
    if (std::abs(std::remainder(degrees, 360.0)) == 180) {
        // A half turn maps pixels onto pixels: the last pixel comes first.
        RGBImage out = image;
        const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
        for (std::size_t i = 0; i < count; ++i)
            std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(3 * (count - 1 - i)), 3,
                        out.pixels.begin() + static_cast<std::ptrdiff_t>(3 * i));
        return out;
    }
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double cx = image.width * 0.5;
    const double cy = image.height * 0.5;
    const int w = image.width;
    const int h = image.height;
    RGBImage out = RGBImage::filled(w, h, 255, 255, 255);
    auto sample = [&](int x, int y, int k) -> double {
        if (x < 0 || y < 0 || x >= w || y >= h) return 255;
        return image.pixels[(static_cast<std::size_t>(y) * w + x) * 3 + k];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // The source point that lands on this pixel's centre (rows grow downwards, so a
            // counter-clockwise turn on screen reads the source turned the other way).
            const double ox = x + 0.5 - cx;
            const double oy = y + 0.5 - cy;
            const double sx = c * ox - s * oy + cx - 0.5;
            const double sy = s * ox + c * oy + cy - 0.5;
            if (sx <= -1 || sy <= -1 || sx >= w || sy >= h) continue;
            const int x0 = static_cast<int>(std::floor(sx));
            const int y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0;
            const double fy = sy - y0;
            for (int k = 0; k < 3; ++k) {
                const double top = sample(x0, y0, k) * (1 - fx) + sample(x0 + 1, y0, k) * fx;
                const double bottom = sample(x0, y0 + 1, k) * (1 - fx) + sample(x0 + 1, y0 + 1, k) * fx;
                out.pixels[(static_cast<std::size_t>(y) * w + x) * 3 + k] =
                    static_cast<std::uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
            }
        }
    return out;
}

RecognitionImage DeskewedPage::ocrImage(double maxUpscale) const {
    RecognitionImage base = base_->ocrImage(maxUpscale);
    return {rotate(base.image, -degrees_), base.scale};
}

std::optional<RGBImage> DeskewedPage::cropFrame() const {
    std::optional<RGBImage> frame = base_->cropFrame();
    if (frame) frame = rotate(*frame, -degrees_);
    return frame;
}

}  // namespace ce
