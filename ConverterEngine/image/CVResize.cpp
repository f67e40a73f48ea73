// Built with -ffp-contract=off: the compiler must not fuse multiplies and adds on its
// own; fused operations happen only where std::fmaf is written out.
#include "image/CVResize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ce::CVResize {

namespace {
std::uint8_t saturate(double v) {
    const double r = std::nearbyint(v);
    return static_cast<std::uint8_t>(std::clamp(r, 0.0, 255.0));
}

std::uint8_t saturate(float v) { return saturate(static_cast<double>(v)); }

std::size_t at(int x, int y, int width) {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
}

RGBImage blank(const Region& region, std::uint8_t value = 0) {
    return {region.width(), region.height(),
            std::vector<std::uint8_t>(static_cast<std::size_t>(region.width()) * region.height() * 3, value)};
}

RGBImage boxAverage(const RGBImage& src, const Region& region, int kx, int ky) {
    RGBImage dst = blank(region);
    const float fullScale = 1.0f / static_cast<float>(kx * ky);
    for (int y = region.y0; y < region.y1; ++y) {
        for (int x = region.x0; x < region.x1; ++x) {
            const int x0 = kx * x, y0 = ky * y;
            const int x1 = std::min(x0 + kx, src.width), y1 = std::min(y0 + ky, src.height);
            const int count = std::max(0, x1 - x0) * std::max(0, y1 - y0);
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int sy = y0; sy < y1; ++sy) {
                    for (int sx = x0; sx < x1; ++sx) sum += src.pixels[at(sx, sy, src.width) + c];
                }
                std::uint8_t value = 0;
                if (count == kx * ky && kx == 2 && ky == 2) {
                    value = static_cast<std::uint8_t>((sum + 2) >> 2);
                } else if (count == kx * ky) {
                    value = saturate(static_cast<float>(sum) * fullScale);
                } else if (count > 0) {
                    value = saturate(static_cast<float>(sum) * (1.0f / static_cast<float>(count)));
                }
                dst.pixels[at(x - region.x0, y - region.y0, dst.width) + c] = value;
            }
        }
    }
    return dst;
}

// Each destination pixel sums its own entries in table order, so leaving out the entries
// of pixels outside the region changes no value inside it. A source row on the border of
// two destination rows is summed across once and weighed for each. The fused
// multiply-adds give the same bits in the processor's instruction as in libm's routine,
// which the baseline build calls for each one; the clone for processors with FMA runs
// them inline.
__attribute__((target_clones("fma", "default"))) RGBImage areaAverage(const RGBImage& src, int newWidth,
                                                                      int newHeight, const Region& region) {
    std::vector<Decimate> xTable;
    for (Decimate d : areaTable(src.width, newWidth)) {
        if (d.di < region.x0 || d.di >= region.x1) continue;
        d.di = (d.di - region.x0) * 3;
        d.si *= 3;
        xTable.push_back(d);
    }
    std::vector<Decimate> yTable;
    for (Decimate d : areaTable(src.height, newHeight)) {
        if (d.di < region.y0 || d.di >= region.y1) continue;
        d.di -= region.y0;
        yTable.push_back(d);
    }
    RGBImage dst = blank(region);
    const std::size_t rowValues = static_cast<std::size_t>(dst.width) * 3;
    std::vector<float> buffer(rowValues), sum(rowValues);
    int currentRow = -1;
    int summedRow = -1;  // the source row `buffer` holds
    auto flush = [&] {
        for (std::size_t k = 0; k < rowValues; ++k) {
            dst.pixels[static_cast<std::size_t>(currentRow) * rowValues + k] = saturate(sum[k]);
        }
    };
    for (const Decimate& entry : yTable) {
        if (entry.si != summedRow) {
            const std::uint8_t* row = src.pixels.data() + at(0, entry.si, src.width);
            std::fill(buffer.begin(), buffer.end(), 0.0f);
            for (const Decimate& x : xTable) {
                for (int c = 0; c < 3; ++c) {
                    float& slot = buffer[static_cast<std::size_t>(x.di + c)];
                    slot = std::fmaf(x.alpha, static_cast<float>(row[x.si + c]), slot);
                }
            }
            summedRow = entry.si;
        }
        const float beta = entry.alpha;
        if (entry.di == currentRow) {
            for (std::size_t k = 0; k < rowValues; ++k) sum[k] += beta * buffer[k];
        } else {
            if (currentRow >= 0) flush();
            currentRow = entry.di;
            for (std::size_t k = 0; k < rowValues; ++k) sum[k] = beta * buffer[k];
        }
    }
    if (currentRow >= 0) flush();
    return dst;
}

// Source index and fixed-point weights of one destination index when enlarging.
struct LinearTap {
    int i = 0;
    bool single = false;  // reads one source pixel only
    std::int16_t w0 = 0;
    std::int16_t w1 = 0;
};

std::int16_t fixedWeight(float w) {
    const double r = std::nearbyint(static_cast<double>(w * 2048.0f));
    return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
}

std::vector<LinearTap> linearTaps(int n, int m) {
    const double inverse = static_cast<double>(m) / static_cast<double>(n);
    const double scale = 1.0 / inverse;
    std::vector<LinearTap> taps(static_cast<std::size_t>(m));
    for (int d = 0; d < m; ++d) {
        int i = static_cast<int>(std::floor(d * scale));
        float f = static_cast<float>((d + 1) - (i + 1) * inverse);
        if (f <= 0) {
            f = 0;
            i = std::max(i, 0);
        } else if (i < 0) {
            i = 0;
            f = 0;
        } else {
            f = f - std::floor(f);
        }
        bool single = false;
        if (i + 1 >= n) {
            f = 0;
            i = std::min(i, n - 1);
            single = true;
        }
        taps[static_cast<std::size_t>(d)] = {i, single, fixedWeight(1.0f - f), fixedWeight(f)};
    }
    return taps;
}

RGBImage linearEnlarge(const RGBImage& src, int newWidth, int newHeight, const Region& region) {
    const std::vector<LinearTap> xs = linearTaps(src.width, newWidth);
    const std::vector<LinearTap> ys = linearTaps(src.height, newHeight);
    const std::size_t rowValues = static_cast<std::size_t>(region.width()) * 3;
    auto horizontal = [&](int sy) {
        std::vector<std::int32_t> row(rowValues);
        const std::uint8_t* p = src.pixels.data() + at(0, sy, src.width);
        for (int x = region.x0; x < region.x1; ++x) {
            const LinearTap& t = xs[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c) {
                std::int32_t v = t.w0 * static_cast<std::int32_t>(p[t.i * 3 + c]);
                if (!t.single) v += t.w1 * static_cast<std::int32_t>(p[(t.i + 1) * 3 + c]);
                row[static_cast<std::size_t>(x - region.x0) * 3 + c] = v;
            }
        }
        return row;
    };
    RGBImage dst = blank(region);
    int cachedRow0 = -1, cachedRow1 = -1;
    std::vector<std::int32_t> r0, r1;
    for (int y = region.y0; y < region.y1; ++y) {
        const LinearTap& t = ys[static_cast<std::size_t>(y)];
        const int s0 = t.i;
        const int s1 = t.single ? t.i : t.i + 1;
        if (s0 != cachedRow0) {
            r0 = s0 == cachedRow1 ? r1 : horizontal(s0);
            cachedRow0 = s0;
        }
        if (s1 != cachedRow1) {
            r1 = s1 == cachedRow0 ? r0 : horizontal(s1);
            cachedRow1 = s1;
        }
        const std::int32_t b0 = t.w0;
        const std::int32_t b1 = t.single ? 0 : t.w1;
        for (std::size_t k = 0; k < rowValues; ++k) {
            const std::int32_t v = (((b0 * (r0[k] >> 4)) >> 16) + ((b1 * (r1[k] >> 4)) >> 16) + 2) >> 2;
            dst.pixels[static_cast<std::size_t>(y - region.y0) * rowValues + k] =
                static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    }
    return dst;
}

bool nearlyWhole(double v) { return std::abs(v - std::nearbyint(v)) < 0x1p-52; }
}  // namespace

std::vector<Decimate> areaTable(int n, int m) {
    std::vector<Decimate> table;
    const double s = static_cast<double>(n) / static_cast<double>(m);
    for (int d = 0; d < m; ++d) {
        const double f1 = d * s;
        const double f2 = f1 + s;
        const double cell = std::min(s, n - f1);
        int i1 = static_cast<int>(std::ceil(f1));
        const int i2 = std::min(static_cast<int>(std::floor(f2)), n - 1);
        i1 = std::min(i1, i2);
        if (i1 - f1 > 0.001) table.push_back({d, i1 - 1, static_cast<float>((i1 - f1) / cell)});
        for (int i = i1; i < i2; ++i) table.push_back({d, i, static_cast<float>(1.0 / cell)});
        if (f2 - i2 > 0.001) {
            table.push_back({d, i2, static_cast<float>(std::min(std::min(f2 - i2, 1.0), cell) / cell)});
        }
    }
    return table;
}

RGBImage resize(const RGBImage& image, int newWidth, int newHeight) {
    if (image.width == newWidth && image.height == newHeight) return image;
    newWidth = std::max(1, newWidth);
    newHeight = std::max(1, newHeight);
    return resizedRegion(image, newWidth, newHeight, {0, 0, newWidth, newHeight});
}

RGBImage resizedRegion(const RGBImage& image, int newWidth, int newHeight, Region region) {
    newWidth = std::max(1, newWidth);
    newHeight = std::max(1, newHeight);
    region.x0 = std::clamp(region.x0, 0, newWidth);
    region.x1 = std::clamp(region.x1, region.x0, newWidth);
    region.y0 = std::clamp(region.y0, 0, newHeight);
    region.y1 = std::clamp(region.y1, region.y0, newHeight);
    if (image.width == newWidth && image.height == newHeight) {
        return image.cropped(region.x0, region.y0, region.x1, region.y1);
    }
    if (image.width < 1 || image.height < 1) return blank(region, 255);
    const double sx = 1.0 / (static_cast<double>(newWidth) / image.width);
    const double sy = 1.0 / (static_cast<double>(newHeight) / image.height);
    if (sx < 1 || sy < 1) return linearEnlarge(image, newWidth, newHeight, region);
    if (nearlyWhole(sx) && nearlyWhole(sy)) {
        return boxAverage(image, region, static_cast<int>(std::nearbyint(sx)), static_cast<int>(std::nearbyint(sy)));
    }
    return areaAverage(image, newWidth, newHeight, region);
}

std::vector<double> cropResize448(const RGBImage& image, int targetWidth, int targetHeight) {
    if (image.width == targetWidth && image.height == targetHeight) {
        return std::vector<double>(image.pixels.begin(), image.pixels.end());
    }
    const int w = image.width, h = image.height;
    struct Tap {
        int i0;
        int i1;
        float right;
    };
    std::vector<Tap> xs(static_cast<std::size_t>(targetWidth));
    const double xScale = static_cast<double>(w) / targetWidth;
    for (int x = 0; x < targetWidth; ++x) {
        const float c = static_cast<float>((x + 0.5) * xScale - 0.5);
        int x0 = static_cast<int>(std::floor(c));
        float right = 0;
        if (x0 < 0) {
            x0 = 0;
        } else if (x0 + 1 >= w) {
            x0 = std::min(x0, w - 1);
        } else {
            right = c - static_cast<float>(x0);
        }
        xs[static_cast<std::size_t>(x)] = {x0, std::min(x0 + 1, w - 1), right};
    }
    auto horizontal = [&](int row) {
        std::vector<double> out(static_cast<std::size_t>(targetWidth) * 3);
        const std::uint8_t* p = image.pixels.data() + at(0, row, w);
        for (int x = 0; x < targetWidth; ++x) {
            const Tap& t = xs[static_cast<std::size_t>(x)];
            const double left = 1.0 - static_cast<double>(t.right);
            for (int c = 0; c < 3; ++c) {
                out[static_cast<std::size_t>(x) * 3 + c] =
                    static_cast<double>(p[t.i0 * 3 + c]) * left + static_cast<double>(p[t.i1 * 3 + c]) * t.right;
            }
        }
        return out;
    };
    std::vector<double> out(static_cast<std::size_t>(targetWidth) * targetHeight * 3);
    const double yScale = static_cast<double>(h) / targetHeight;
    int upperIndex = -1, lowerIndex = -1;
    std::vector<double> upper, lower;
    for (int y = 0; y < targetHeight; ++y) {
        const float r = static_cast<float>((y + 0.5) * yScale - 0.5);
        const int y0 = static_cast<int>(std::floor(r));
        const float weight = r - static_cast<float>(y0);
        const int row0 = std::clamp(y0, 0, h - 1);
        const int row1 = std::clamp(y0 + 1, 0, h - 1);
        if (row0 != upperIndex) {
            upper = row0 == lowerIndex ? lower : horizontal(row0);
            upperIndex = row0;
        }
        if (row1 != lowerIndex) {
            lower = row1 == upperIndex ? upper : horizontal(row1);
            lowerIndex = row1;
        }
        const double wLower = weight;
        const double wUpper = 1.0 - wLower;
        double* dst = out.data() + static_cast<std::size_t>(y) * targetWidth * 3;
        for (std::size_t k = 0; k < upper.size(); ++k) dst[k] = upper[k] * wUpper + lower[k] * wLower;
    }
    return out;
}

RGBImage toRGB8(const std::vector<double>& values, int width, int height) {
    RGBImage image{width, height, std::vector<std::uint8_t>(values.size())};
    for (std::size_t k = 0; k < values.size(); ++k) image.pixels[k] = saturate(values[k]);
    return image;
}

}  // namespace ce::CVResize
