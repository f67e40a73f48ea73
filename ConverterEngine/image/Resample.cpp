#include "image/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace ce::Resample {

namespace {

constexpr int fractionBits = 22;
constexpr std::int64_t half = std::int64_t{1} << (fractionBits - 1);

double filterValue(Filter filter, double x) {
    if (filter == Filter::bilinear) {
        const double a = std::fabs(x);
        return a < 1.0 ? 1.0 - a : 0.0;
    }
    if (x == 0.0) return 1.0;
    if (std::fabs(x) >= 3.0) return 0.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

// The contributor windows of one axis: for target index i, taps first[i] ... first[i] + count[i] - 1
// with the fixed-point weights in weights[i * stride ...].
struct Windows {
    int stride = 0;
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::int32_t> weights;
};

Windows buildWindows(int sourceSize, int targetSize, Filter filter, double start, double end) {
    const double scale = (end - start) / targetSize;
    const double filterScale = std::max(1.0, scale);
    const double support = (filter == Filter::lanczos ? 3.0 : 1.0) * filterScale;
    Windows windows;
    windows.stride = 2 * static_cast<int>(std::ceil(support)) + 1;
    windows.first.resize(static_cast<std::size_t>(targetSize));
    windows.count.resize(static_cast<std::size_t>(targetSize));
    windows.weights.assign(static_cast<std::size_t>(targetSize) * static_cast<std::size_t>(windows.stride), 0);
    std::vector<double> taps(static_cast<std::size_t>(windows.stride));
    for (int i = 0; i < targetSize; ++i) {
        const double centre = start + scale * (i + 0.5);
        const double low = std::trunc(centre - support + 0.5);
        const double high = std::trunc(centre + support + 0.5);
        const int first = static_cast<int>(std::clamp(low, 0.0, static_cast<double>(sourceSize)));
        const int last = static_cast<int>(std::clamp(high, 0.0, static_cast<double>(sourceSize)));
        const int count = std::clamp(last - first, 0, windows.stride);
        double sum = 0;
        for (int j = 0; j < count; ++j) {
            taps[static_cast<std::size_t>(j)] = filterValue(filter, (first + j + 0.5 - centre) / filterScale);
            sum += taps[static_cast<std::size_t>(j)];
        }
        std::int32_t* row = windows.weights.data() + static_cast<std::size_t>(i) * windows.stride;
        for (int j = 0; j < count; ++j) {
            const double w = sum != 0.0 ? taps[static_cast<std::size_t>(j)] / sum : taps[static_cast<std::size_t>(j)];
            row[j] = static_cast<std::int32_t>(std::lround(w * static_cast<double>(std::int64_t{1} << fractionBits)));
        }
        windows.first[static_cast<std::size_t>(i)] = first;
        windows.count[static_cast<std::size_t>(i)] = count;
    }
    return windows;
}

std::uint8_t clampByte(std::int64_t accumulator) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(accumulator >> fractionBits, 0, 255));
}

// Filters rows [rowStart, rowStart + rows) of `source` horizontally.
RGBImage horizontalPass(const RGBImage& source, const Windows& windows, int rowStart, int rows) {
    RGBImage out;
    out.width = static_cast<int>(windows.first.size());
    out.height = rows;
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(rows) * 3, 0);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* in = source.pixels.data() + static_cast<std::size_t>(rowStart + y) * source.width * 3;
        std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * out.width * 3;
        for (int x = 0; x < out.width; ++x) {
            const int count = windows.count[static_cast<std::size_t>(x)];
            if (count == 0) continue;
            const std::uint8_t* taps = in + static_cast<std::size_t>(windows.first[static_cast<std::size_t>(x)]) * 3;
            const std::int32_t* w = windows.weights.data() + static_cast<std::size_t>(x) * windows.stride;
            std::int64_t r = half, g = half, b = half;
            for (int k = 0; k < count; ++k) {
                r += std::int64_t{w[k]} * taps[k * 3];
                g += std::int64_t{w[k]} * taps[k * 3 + 1];
                b += std::int64_t{w[k]} * taps[k * 3 + 2];
            }
            dst[x * 3] = clampByte(r);
            dst[x * 3 + 1] = clampByte(g);
            dst[x * 3 + 2] = clampByte(b);
        }
    }
    return out;
}

// Filters `source` vertically; window starts are shifted up by `rowOffset`.
RGBImage verticalPass(const RGBImage& source, const Windows& windows, int rowOffset) {
    RGBImage out;
    out.width = source.width;
    out.height = static_cast<int>(windows.first.size());
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3, 0);
    const std::size_t rowBytes = static_cast<std::size_t>(source.width) * 3;
    std::vector<std::int64_t> sums(rowBytes);
    for (int y = 0; y < out.height; ++y) {
        const int count = windows.count[static_cast<std::size_t>(y)];
        if (count == 0) continue;
        const int first = windows.first[static_cast<std::size_t>(y)] - rowOffset;
        const std::int32_t* w = windows.weights.data() + static_cast<std::size_t>(y) * windows.stride;
        std::fill(sums.begin(), sums.end(), half);
        for (int k = 0; k < count; ++k) {
            const std::uint8_t* in = source.pixels.data() + static_cast<std::size_t>(first + k) * rowBytes;
            for (std::size_t i = 0; i < rowBytes; ++i) sums[i] += std::int64_t{w[k]} * in[i];
        }
        std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) dst[i] = clampByte(sums[i]);
    }
    return out;
}

}  // namespace

RGBImage resize(const RGBImage& source, int width, int height, Filter filter, std::optional<Box> box) {
    width = std::max(1, width);
    height = std::max(1, height);
    const Box area = box.value_or(Box{0, 0, static_cast<double>(source.width), static_cast<double>(source.height)});
    const bool sameX = width == source.width && area.x0 == 0 && area.x1 == source.width;
    const bool sameY = height == source.height && area.y0 == 0 && area.y1 == source.height;
    if (sameX && sameY) return source;

    const Windows columns = buildWindows(source.width, width, filter, area.x0, area.x1);
    const Windows rows = buildWindows(source.height, height, filter, area.y0, area.y1);
    if (sameX) return verticalPass(source, rows, 0);
    if (sameY) return horizontalPass(source, columns, 0, source.height);

    int rowStart = source.height;
    int rowEnd = 0;
    for (std::size_t i = 0; i < rows.first.size(); ++i) {
        rowStart = std::min(rowStart, rows.first[i]);
        rowEnd = std::max(rowEnd, rows.first[i] + rows.count[i]);
    }
    if (rowEnd <= rowStart) {
        rowStart = 0;
        rowEnd = 0;
    }
    const RGBImage intermediate = horizontalPass(source, columns, rowStart, rowEnd - rowStart);
    return verticalPass(intermediate, rows, rowStart);
}

}  // namespace ce::Resample
