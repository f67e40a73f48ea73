#include "input/Skew.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "input/VisionOCR.h"

namespace ce::Skew {

std::optional<double> lineAngle(const TextQuad& quad, int width, int height) {
    const double dx = (quad.topRight.x - quad.topLeft.x) * width;
    const double h = (quad.topLeft.y - quad.bottomLeft.y) * height;
    if (!(h > 0) || !(dx >= VisionOCR::skewMinAspect * h)) return std::nullopt;
    return std::atan2((quad.topRight.y - quad.topLeft.y) * height, dx) * 180.0 / std::numbers::pi;
}

std::optional<double> estimate(const std::vector<RecognizedLine>& lines, int width, int height) {
    std::vector<double> angles;
    for (const RecognizedLine& line : lines)
        if (const auto angle = lineAngle(line.quad, width, height); angle && std::isfinite(*angle))
            angles.push_back(*angle);
    const std::size_t n = angles.size();
    if (n < static_cast<std::size_t>(VisionOCR::skewMinLines)) return std::nullopt;
    std::sort(angles.begin(), angles.end());
    if (angles[3 * n / 4] - angles[n / 4] > VisionOCR::skewMaxSpread) return std::nullopt;
    return angles[n / 2];
}

}  // namespace ce::Skew
