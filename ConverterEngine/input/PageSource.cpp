#include "input/PageSource.h"

#include <algorithm>
#include <cmath>

namespace ce {

std::map<int, std::vector<std::uint8_t>> PageSource::crops(const std::vector<CropRegion>& regions, double scale,
                                                           const CropEncoder& encode, const RGBImage* render) const {
    std::map<int, std::vector<std::uint8_t>> result;
    if (regions.empty()) return result;
    std::optional<RGBImage> image = cropFrame();
    if (!image) {
        try {
            image = render ? *render : this->render(scale);
        } catch (...) {
            return result;
        }
    }
    const double k = image->width / width();
    if (!std::isfinite(k) || k <= 0) return result;
    for (const CropRegion& region : regions) {
        // The integral hull of the scaled box, clipped to the image.
        const double x0 = std::floor(k * std::min(region.bbox.l, region.bbox.r));
        const double y0 = std::floor(k * std::min(region.bbox.t, region.bbox.b));
        const double x1 = std::ceil(k * std::max(region.bbox.l, region.bbox.r));
        const double y1 = std::ceil(k * std::max(region.bbox.t, region.bbox.b));
        if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) continue;
        const int left = static_cast<int>(std::clamp(x0, 0.0, static_cast<double>(image->width)));
        const int top = static_cast<int>(std::clamp(y0, 0.0, static_cast<double>(image->height)));
        const int right = static_cast<int>(std::clamp(x1, 0.0, static_cast<double>(image->width)));
        const int bottom = static_cast<int>(std::clamp(y1, 0.0, static_cast<double>(image->height)));
        if (right - left < 2 || bottom - top < 2) continue;
        try {
            result[region.id] = encode(image->cropped(left, top, right, bottom));
        } catch (...) {
            continue;
        }
    }
    return result;
}

}  // namespace ce
