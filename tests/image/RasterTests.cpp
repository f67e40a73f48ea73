#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "core/EngineError.h"
#include "image/RGBImage.h"
#include "image/Resample.h"
#include "support/CaseNames.h"

using namespace ce;
using Resample::Filter;

namespace {

RGBImage noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    RGBImage image = RGBImage::filled(width, height, 0, 0, 0);
    for (auto& byte : image.pixels) byte = static_cast<std::uint8_t>(random() & 0xff);
    return image;
}

RGBImage row(const RGBImage& image, int y) { return image.cropped(0, y, image.width, y + 1); }
RGBImage column(const RGBImage& image, int x) { return image.cropped(x, 0, x + 1, image.height); }

}  // namespace

namespace {
struct CropCase {
    const char* name;
    int x0, y0, x1, y1;
    int width, height;
    int firstX, firstY;  // source pixel of the crop's top-left corner
};

void PrintTo(const CropCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class RGBImageCrop : public ::testing::TestWithParam<CropCase> {};
}  // namespace

TEST_P(RGBImageCrop, ClampsToTheImage) {
    const CropCase& c = GetParam();
    const RGBImage image = noise(5, 4, 7);
    const RGBImage crop = image.cropped(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(crop.width, c.width);
    EXPECT_EQ(crop.height, c.height);
    ASSERT_EQ(crop.pixels.size(), static_cast<std::size_t>(c.width * c.height * 3));
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x)
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(crop.pixels[(y * crop.width + x) * 3 + k],
                          image.pixels[((c.firstY + y) * image.width + c.firstX + x) * 3 + k]);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RGBImageCrop,
    ::testing::Values(CropCase{"inside", 1, 1, 4, 3, 3, 2, 1, 1}, CropCase{"negativeOrigin", -2, -3, 2, 2, 2, 2, 0, 0},
                      CropCase{"pastTheEdge", 3, 2, 99, 99, 2, 2, 3, 2}, CropCase{"inverted", 4, 1, 2, 3, 0, 2, 4, 1},
                      CropCase{"outside", 7, 0, 9, 4, 0, 4, 5, 0}, CropCase{"below", 0, 6, 5, 8, 5, 0, 0, 4}),
    ce::testing::ByName{});

TEST(RGBImagePixelBuffer, StoresBGRAndOpaqueAlpha) {
    const BGRABuffer buffer = RGBImage{1, 1, {10, 20, 30}}.pixelBuffer();
    EXPECT_EQ(buffer.bytes, (std::vector<std::uint8_t>{30, 20, 10, 255}));
    EXPECT_EQ(buffer.bytesPerRow, 4u);
    EXPECT_THROW(RGBImage{}.pixelBuffer(), EngineError);
}

TEST(Resample, SameSizeKeepsTheBytes) {
    const RGBImage image = noise(7, 5, 1);
    for (Filter filter : {Filter::bilinear, Filter::lanczos}) {
        EXPECT_EQ(Resample::resize(image, 7, 5, filter), image);
        EXPECT_EQ(Resample::resize(image, 7, 5, filter, Resample::Box{0, 0, 7, 5}), image);
    }
}

TEST(Resample, OneAxisChangeNeverMixesTheOtherAxis) {
    const RGBImage image = noise(9, 6, 2);
    for (Filter filter : {Filter::bilinear, Filter::lanczos}) {
        const RGBImage wide = Resample::resize(image, 14, 6, filter);
        for (int y = 0; y < image.height; ++y)
            EXPECT_EQ(row(wide, y), Resample::resize(row(image, y), 14, 1, filter)) << "row " << y;
        const RGBImage low = Resample::resize(image, 9, 4, filter);
        for (int x = 0; x < image.width; ++x)
            EXPECT_EQ(column(low, x), Resample::resize(column(image, x), 1, 4, filter)) << "column " << x;
    }
}

TEST(Resample, UniformGreyStaysExact) {
    const RGBImage grey = RGBImage::filled(13, 11, 117, 117, 117);
    struct Size {
        int width, height;
    };
    for (Filter filter : {Filter::bilinear, Filter::lanczos})
        for (Size size : {Size{1, 1}, Size{4, 3}, Size{13, 40}, Size{50, 37}, Size{6, 11}}) {
            EXPECT_EQ(Resample::resize(grey, size.width, size.height, filter),
                      RGBImage::filled(size.width, size.height, 117, 117, 117));
            EXPECT_EQ(Resample::resize(grey, size.width, size.height, filter, Resample::Box{2.5, 1.25, 9, 10}),
                      RGBImage::filled(size.width, size.height, 117, 117, 117));
        }
}

TEST(Resample, KnownBilinearEnlargements) {
    const RGBImage one{1, 1, {10, 200, 30}};
    EXPECT_EQ(Resample::resize(one, 3, 1, Filter::bilinear), RGBImage::filled(3, 1, 10, 200, 30));
    // Windows (0,1), (0,2), (0,2), (1,1); weights 3/4 and 1/4 at 22 fractional bits.
    const RGBImage pair{2, 1, {0, 0, 0, 255, 255, 255}};
    const RGBImage four = Resample::resize(pair, 4, 1, Filter::bilinear);
    EXPECT_EQ(four, (RGBImage{4, 1, {0, 0, 0, 64, 64, 64, 191, 191, 191, 255, 255, 255}}));
}

TEST(Resample, LanczosOvershootIsClampedNotWrapped) {
    RGBImage edge = RGBImage::filled(8, 1, 0, 0, 0);
    for (int x = 4; x < 8; ++x) edge.pixels[x * 3] = edge.pixels[x * 3 + 1] = edge.pixels[x * 3 + 2] = 255;
    const RGBImage big = Resample::resize(edge, 32, 1, Filter::lanczos);
    for (int x = 0; x < 32; ++x) {
        const int value = big.pixels[x * 3];
        if (x < 12) {
            EXPECT_LE(value, 20) << x;
        }
        if (x >= 20) {
            EXPECT_GE(value, 235) << x;
        }
    }
    EXPECT_EQ(big.pixels[0], 0);
    EXPECT_EQ(big.pixels[31 * 3], 255);
}

TEST(Resample, BoxSelectsTheSourceRegion) {
    const RGBImage image = noise(10, 10, 3);
    // A box of whole pixels at scale 1 reproduces the crop exactly (every window is one tap).
    EXPECT_EQ(Resample::resize(image, 4, 3, Filter::bilinear, Resample::Box{2, 5, 6, 8}), image.cropped(2, 5, 6, 8));
}
