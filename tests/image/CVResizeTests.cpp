#include <gtest/gtest.h>

#include "image/CVResize.h"

using namespace ce;

namespace {
// A grey image whose pixel values are given row by row (R = G = B).
RGBImage grey(int width, int height, std::vector<int> values) {
    RGBImage image{width, height, {}};
    for (int v : values) image.pixels.insert(image.pixels.end(), 3, static_cast<std::uint8_t>(v));
    return image;
}
std::vector<int> channel0(const RGBImage& image) {
    std::vector<int> out;
    for (std::size_t k = 0; k < image.pixels.size(); k += 3) out.push_back(image.pixels[k]);
    return out;
}
}  // namespace

TEST(CVResize, HalvingUsesTheTwoByTwoBlockRule) {
    const RGBImage src = grey(4, 4, {1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(channel0(CVResize::resize(src, 2, 2)), (std::vector<int>{3, 0, 0, 0}));  // (10 + 2) >> 2
}

TEST(CVResize, AreaTableOfThreeToTwo) {
    const auto table = CVResize::areaTable(3, 2);
    ASSERT_EQ(table.size(), 4u);
    const int expected[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 2}};
    const float weights[4] = {2.0f / 3, 1.0f / 3, 1.0f / 3, 2.0f / 3};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(table[k].di, expected[k][0]);
        EXPECT_EQ(table[k].si, expected[k][1]);
        EXPECT_FLOAT_EQ(table[k].alpha, weights[k]);
    }
    EXPECT_EQ(channel0(CVResize::resize(grey(3, 1, {0, 90, 180}), 2, 1)), (std::vector<int>{30, 150}));
}

TEST(CVResize, EnlargingEitherAxisUsesLinearTaps) {
    // Height 2 -> 3 enlarges (the middle row is the fixed-point mean) while width 4 -> 2 shrinks.
    const RGBImage src = grey(4, 2, {0, 0, 0, 0, 100, 100, 100, 100});
    const RGBImage out = CVResize::resize(src, 2, 3);
    EXPECT_EQ(channel0(out), (std::vector<int>{0, 0, 50, 50, 100, 100}));
    // Whole-number enlarging replicates rows.
    EXPECT_EQ(channel0(CVResize::resize(grey(1, 2, {10, 200}), 1, 4)), (std::vector<int>{10, 10, 200, 200}));
}

TEST(CVResize, BilinearCropOfOnePixelRepeatsIt) {
    const auto values = CVResize::cropResize448(grey(1, 1, {77}));
    ASSERT_EQ(values.size(), 448u * 448u * 3u);
    for (double v : values) ASSERT_EQ(v, 77.0);
    const auto same = CVResize::cropResize448(grey(2, 2, {1, 2, 3, 4}), 2, 2);
    EXPECT_EQ(same, (std::vector<double>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}));
}

TEST(CVResize, BilinearInterpolatesBetweenCentres) {
    // Two columns 0 and 200 to four: centres at -0.25, 0.25, 0.75, 1.25 source pixels.
    const auto values = CVResize::cropResize448(grey(2, 1, {0, 200}), 4, 1);
    EXPECT_EQ(values[0], 0.0);
    EXPECT_DOUBLE_EQ(values[3], 50.0);
    EXPECT_DOUBLE_EQ(values[6], 150.0);
    EXPECT_EQ(values[9], 200.0);
}

TEST(CVResize, ToRGB8RoundsHalvesToEvenThenClamps) {
    const RGBImage image = CVResize::toRGB8({254.5, 255.5, -3, 0.5, 1.5, 2.5}, 2, 1);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{254, 255, 0, 0, 2, 2}));
}

// A region of a resize is the crop of the whole resize, pixel for pixel, for each of the
// three resamplers and for regions at the edges, in the middle and past the target.
TEST(CVResize, ARegionIsTheCropOfTheWholeResize) {
    RGBImage page{36, 28, std::vector<std::uint8_t>(36 * 28 * 3)};
    for (std::size_t k = 0; k < page.pixels.size(); ++k) page.pixels[k] = static_cast<std::uint8_t>((k * 7919) % 251);
    struct Case {
        const char* name;
        int width, height;
        CVResize::Region region;
    };
    for (const Case& c : {Case{"area, middle", 23, 17, {3, 4, 15, 11}}, Case{"area, whole", 23, 17, {0, 0, 23, 17}},
                          Case{"area, last column and row", 23, 17, {22, 16, 23, 17}},
                          Case{"two by two, corner", 18, 14, {0, 5, 7, 14}}, Case{"three by four blocks", 12, 7, {2, 1, 9, 6}},
                          Case{"enlarge, middle", 50, 40, {11, 9, 42, 31}},
                          Case{"enlarge one axis, past the edge", 30, 35, {20, 30, 45, 50}},
                          Case{"same size", 36, 28, {5, 5, 10, 12}}}) {
        SCOPED_TRACE(c.name);
        const RGBImage whole = CVResize::resize(page, c.width, c.height);
        const RGBImage expected = whole.cropped(c.region.x0, c.region.y0, c.region.x1, c.region.y1);
        const RGBImage region = CVResize::resizedRegion(page, c.width, c.height, c.region);
        EXPECT_EQ(region.width, expected.width);
        EXPECT_EQ(region.height, expected.height);
        EXPECT_EQ(region.pixels, expected.pixels);
    }
}
