#include "input/Segments.h"

#include <algorithm>
#include <cmath>

#include "core/Truncation.h"

namespace ce::Segments {

namespace {

int ceiling(double value) { return truncated(std::ceil(value)); }

struct Gap {
    int start = 0;
    int end = 0;
};

std::vector<Gap> gaps(const std::vector<bool>& inked, int minimum) {
    std::vector<Gap> found;
    int runStart = -1;
    for (int x = 0; x < static_cast<int>(inked.size()); ++x) {
        if (!inked[static_cast<std::size_t>(x)]) {
            if (runStart < 0) runStart = x;
        } else if (runStart >= 0) {
            if (x - runStart >= minimum) found.push_back({runStart, x});
            runStart = -1;
        }
    }
    return found;
}

TextCell segmentCell(const std::vector<TextCell>& words, std::size_t first, std::size_t last, const TextCell& line,
                     const InkColumns& ink, double scale) {
    TextCell cell;
    for (std::size_t k = first; k <= last; ++k) cell.text += (k == first ? "" : " ") + words[k].text;
    cell.bbox = {words[first].bbox.l, line.bbox.t, words[last].bbox.r, line.bbox.b};
    cell.confidence = line.confidence;
    cell.fromOCR = true;
    const int count = static_cast<int>(ink.inked.size());
    const int from = std::max(0, truncated(scale * cell.bbox.l) - ink.x0);
    const int to = std::min(truncated(scale * cell.bbox.r) - ink.x0 + 1, count);
    int firstInked = -1;
    int lastInked = -1;
    for (int x = from; x < to; ++x) {
        if (!ink.inked[static_cast<std::size_t>(x)]) continue;
        if (firstInked < 0) firstInked = x;
        lastInked = x;
    }
    if (firstInked >= 0) {
        cell.bbox.l = (ink.x0 + firstInked) / scale;
        cell.bbox.r = (ink.x0 + lastInked + 1) / scale;
    }
    return cell;
}

TextCell wholeLine(const std::vector<TextCell>& words, const TextCell& line) {
    TextCell cell;
    for (std::size_t k = 0; k < words.size(); ++k) cell.text += (k == 0 ? "" : " ") + words[k].text;
    cell.bbox = line.bbox;
    cell.confidence = line.confidence;
    cell.fromOCR = true;
    return cell;
}

}  // namespace

std::optional<InkColumns> inkColumns(const GrayRaster& raster, const BBox& line, double scale) {
    const double margin = 0.15 * scale * line.height();
    const int x0 = std::max(0, truncated(scale * line.l));
    const int x1 = std::min(raster.width, ceiling(scale * line.r));
    const int y0 = std::max(0, truncated(scale * line.t + margin));
    const int y1 = std::min(raster.height, ceiling(scale * line.b - margin));
    if (x1 - x0 < 3 || y0 >= y1) return std::nullopt;
    int lo = 255;
    int hi = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int v = raster.at(x, y);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    if (hi - lo < minimumContrast) return std::nullopt;
    const int threshold = (hi + lo) / 2;
    InkColumns ink{x0, std::vector<bool>(static_cast<std::size_t>(x1 - x0), false)};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (raster.at(x, y) < threshold) ink.inked[static_cast<std::size_t>(x - x0)] = true;
    return ink;
}

std::vector<TextCell> split(const std::vector<TextCell>& words, const TextCell& line, const GrayRaster* raster,
                            double scale, double segmentGap) {
    if (words.empty()) return {};
    if (words.size() < 2 || raster == nullptr) return {wholeLine(words, line)};
    const auto ink = inkColumns(*raster, line.bbox, scale);
    if (!ink) return {wholeLine(words, line)};

    const int minimum = std::max(2, truncated(std::round(scale * (segmentGap * line.bbox.height()))));
    const std::vector<Gap> found = gaps(ink->inked, minimum);
    const auto centre = [&](const TextCell& word) { return scale * (word.bbox.l + word.bbox.r) * 0.5 - ink->x0; };

    std::vector<TextCell> segments;
    std::size_t first = 0;
    for (std::size_t k = 0; k + 1 < words.size(); ++k) {
        const double left = centre(words[k]);
        const double right = centre(words[k + 1]);
        const bool splits = std::any_of(found.begin(), found.end(),
                                        [&](const Gap& gap) { return left <= gap.start && right >= gap.end; });
        if (!splits) continue;
        segments.push_back(segmentCell(words, first, k, line, *ink, scale));
        first = k + 1;
    }
    segments.push_back(segmentCell(words, first, words.size() - 1, line, *ink, scale));
    return segments;
}

}  // namespace ce::Segments
