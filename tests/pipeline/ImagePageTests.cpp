#include <gtest/gtest.h>

#include <cmath>

#include "core/EngineError.h"
#include "image/PNGHeader.h"
#include "input/DeskewedPage.h"
#include "input/TestFiles.h"
#include "pipeline/ImagePage.h"
#include "pipeline/PDFPageSource.h"
#include "platform/ImageFile.h"
#include "platform/PNGEncoder.h"
#include "support/CaseNames.h"
#include "testsupport/LargeImages.h"

using namespace ce;
using namespace ce::testing;

namespace {

std::vector<std::uint8_t> solid(int width, int height, std::vector<std::uint8_t> value) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < width * height; ++i) bytes.insert(bytes.end(), value.begin(), value.end());
    return bytes;
}

std::string asString(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// A w x h white image with one dark 2 x 2 block whose top-left pixel is (x, y).
RGBImage withBlock(int w, int h, int x, int y) {
    RGBImage image = RGBImage::filled(w, h, 255, 255, 255);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            for (int k = 0; k < 3; ++k) image.pixels[((y + dy) * w + x + dx) * 3 + k] = 0;
    return image;
}

// The centre of the image's dark pixels.
std::pair<double, double> darkCentre(const RGBImage& image) {
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.pixels[(y * image.width + x) * 3] < 128) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
    return {sx / n, sy / n};
}

}  // namespace

TEST(ImagePageResolution, FallsBackToSeventyTwoWhenImplausible) {
    struct Case {
        double x, y, wantX, wantY;
    };
    for (Case c : {Case{300, 300, 300, 300}, Case{300, 30, 300, 30}, Case{2, 2, 2, 2}, Case{1, 1, 72, 72},
                   Case{0, 300, 72, 72}, Case{0.5, 300, 72, 72}, Case{1, 300, 1, 300}, Case{300, 29.9, 300, 29.9},
                   Case{NAN, 300, 72, 72}, Case{-300, -300, 72, 72}, Case{INFINITY, 300, 72, 72}}) {
        const auto [x, y] = ImagePage::plausibleResolution(c.x, c.y);
        EXPECT_EQ(x, c.wantX) << c.x << " x " << c.y;
        EXPECT_EQ(y, c.wantY) << c.x << " x " << c.y;
    }
}

TEST(ImagePageBudget, DecodesReducedOnlyAboveTheBudget) {
    EXPECT_EQ(ImagePage::reducedSide(4000, 4000), 0);
    EXPECT_EQ(ImagePage::reducedSide(16'000'000, 1), 0);
    EXPECT_EQ(ImagePage::reducedSide(16'000'001, 1), 16'000'000);
    EXPECT_EQ(ImagePage::reducedSide(4001, 4000), 4000);
    EXPECT_EQ(ImagePage::reducedSide(4100, 4000), 4049);
}

namespace {
struct OrientationCase {
    int orientation;
    int width, height;        // upright size of a 3 x 2 frame
    int leftX, leftY;         // where the frame's top-left pixel lands
    int rightX, rightY;       // where its top-right pixel lands
};

void PrintTo(const OrientationCase& c, std::ostream* os) { *os << "orientation " << c.orientation; }

class ImagePageOrientation : public ::testing::TestWithParam<OrientationCase> {};
}  // namespace

TEST_P(ImagePageOrientation, TurnsTheFrameUpright) {
    const OrientationCase& c = GetParam();
    RGBImage frame = RGBImage::filled(3, 2, 128, 128, 128);
    frame.pixels[0] = 0;
    frame.pixels[2 * 3] = 255;
    const RGBImage up = ImagePage::upright(frame, c.orientation);
    ASSERT_EQ(up.width, c.width);
    ASSERT_EQ(up.height, c.height);
    EXPECT_EQ(up.pixels[(c.leftY * up.width + c.leftX) * 3], 0);
    EXPECT_EQ(up.pixels[(c.rightY * up.width + c.rightX) * 3], 255);
}

// Standard EXIF meanings: 2 mirrored, 3 half turn, 4 flipped, 5 transposed, 6 needs a
// quarter turn clockwise, 7 transversed, 8 needs a quarter turn anticlockwise.
INSTANTIATE_TEST_SUITE_P(Orientations, ImagePageOrientation,
                         ::testing::Values(OrientationCase{0, 3, 2, 0, 0, 2, 0}, OrientationCase{1, 3, 2, 0, 0, 2, 0},
                                           OrientationCase{2, 3, 2, 2, 0, 0, 0}, OrientationCase{3, 3, 2, 2, 1, 0, 1},
                                           OrientationCase{4, 3, 2, 0, 1, 2, 1}, OrientationCase{5, 2, 3, 0, 0, 0, 2},
                                           OrientationCase{6, 2, 3, 1, 0, 1, 2}, OrientationCase{7, 2, 3, 1, 2, 1, 0},
                                           OrientationCase{8, 2, 3, 0, 2, 0, 0}, OrientationCase{9, 3, 2, 0, 0, 2, 0}),
    [](const auto& info) { return "orientation" + std::to_string(info.param.orientation); });

TEST(ImagePageFile, ResolutionFromTheFile) {
    ScratchFolder folder;
    const auto pixels = solid(10, 5, {9, 9, 9});
    const ImagePage plain(folder.write("plain.png", makePNG(10, 5, 3, pixels)), 0);
    EXPECT_EQ(plain.dpiX(), 72);
    EXPECT_EQ(plain.width(), 10);
    EXPECT_EQ(plain.height(), 5);
    const ImagePage metric(folder.write("metric.png", makePNG(10, 5, 3, pixels, physChunk(11811, 11811))), 0);
    EXPECT_NEAR(metric.dpiX(), 299.9994, 1e-9);
    EXPECT_NEAR(metric.width(), 10 * 72 / 299.9994, 1e-9);
    const ImagePage skewed(folder.write("skewed.png", makePNG(10, 5, 3, pixels, physChunk(40, 11811))), 0);
    EXPECT_NEAR(skewed.dpiX(), 1.016, 1e-9);
    EXPECT_NEAR(skewed.dpiY(), 299.9994, 1e-9);
    const ImagePage bmp(folder.write("page.bmp", makeBMP(3, 2, solid(3, 2, {200, 100, 50}), 11811)), 0);
    EXPECT_NEAR(bmp.dpiY(), 299.9994, 1e-9);
    EXPECT_EQ(bmp.original(), RGBImage::filled(3, 2, 200, 100, 50));
    EXPECT_EQ(ImagePage::frameCount(folder.path() / "page.bmp"), 1);
}

TEST(ImagePageFile, OrientationSwapsSizeAndResolution) {
    ScratchFolder folder;
    RGBImage frame = withBlock(6, 4, 0, 0);
    std::vector<std::uint8_t> pixels = frame.pixels;
    const auto file = folder.write("turned.png", makePNG(6, 4, 3, pixels, physChunk(11811, 5906) + exifOrientationChunk(6)));
    const ImagePage page(file, 0);
    EXPECT_EQ(page.pixelWidth(), 4);
    EXPECT_EQ(page.pixelHeight(), 6);
    EXPECT_NEAR(page.dpiX(), 5906 * 0.0254, 1e-9);
    EXPECT_EQ(page.original(), withBlock(4, 6, 2, 0));  // top-left corner went to the top right
}

TEST(ImagePageFile, AlphaIsCompositedOverWhite) {
    ScratchFolder folder;
    const ImagePage page(folder.write("alpha.png", makePNG(3, 1, 4, {255, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 128})), 0);
    EXPECT_EQ(page.original(), (RGBImage{3, 1, {255, 255, 255, 0, 0, 255, 127, 127, 127}}));
    const ImagePage grey(folder.write("grey.png", makePNG(2, 1, 2, {0, 0, 60, 255})), 0);
    EXPECT_EQ(grey.original(), (RGBImage{2, 1, {255, 255, 255, 60, 60, 60}}));
}

TEST(ImagePageFile, LargeFramesAreDecodedReduced) {
    ScratchFolder folder;
    const auto png = PNGEncoder::encode(RGBImage::filled(4100, 4000, 30, 60, 90));
    const ImagePage page(folder.write("large.png", asString(png)), 0);
    EXPECT_EQ(page.pixelWidth(), 4100);
    EXPECT_EQ(page.pixelHeight(), 4000);
    EXPECT_EQ(page.width(), 4100);
    EXPECT_EQ(page.original().width, 4049);
    EXPECT_LE(static_cast<double>(page.original().width) * page.original().height, ImagePage::maxPixels);
    EXPECT_EQ(page.original().pixels[0], 30);
}

TEST(ImagePageFile, BadFilesGiveEngineErrors) {
    ScratchFolder folder;
    const std::string good = makePNG(4, 4, 3, solid(4, 4, {1, 2, 3}));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.png", ""},
        {"garbage.jpg", std::string(500, 'x')},
        {"truncated.png", good.substr(0, good.size() - 30)},
        {"header-only.png", good.substr(0, 33)},
        // A header that declares 20,000 x 20,000 pixels over 4 x 4 pixels of data.
        {"lying-header.png", makePNG(4, 4, 3, solid(4, 4, {1, 2, 3}), "", 20000, 20000)},
        {"short.bmp", makeBMP(2, 2, solid(2, 2, {1, 2, 3}), 0).substr(0, 40)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        try {
            ImagePage(folder.write(name, bytes), 0);
            ADD_FAILURE() << "decoded";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.kind(), EngineError::Kind::unreadableInput) << error.what();
        }
    }
    EXPECT_THROW(ImagePage(folder.path() / "missing.png", 0), EngineError);
    EXPECT_THROW(ImagePage::frameCount(folder.path() / "garbage.jpg"), EngineError);
    EXPECT_THROW(ImagePage(folder.write("one.png", good), 1), EngineError);
}

// A frame of 400 million pixels is decoded reduced to the budget, keeping its declared
// size in points and its colour (the benchmark huge-image-benchmark measures memory).
// An interlaced PNG can only be decoded whole, so one over 2^28 pixels is refused.
TEST(ImagePageFile, HugeFramesAreDecodedReduced) {
    ScratchFolder folder;
    const auto url = folder.path() / "huge.png";
    LargeImages::writeOneColourPNG(url, 20000, 20000, 1, 90);
    const ImagePage page(url, 0);
    EXPECT_EQ(page.pixelWidth(), 20000);
    EXPECT_EQ(page.pixelHeight(), 20000);
    EXPECT_EQ(page.width(), 20000);
    EXPECT_EQ(page.original().width, 4000);
    EXPECT_EQ(page.original().height, 4000);
    EXPECT_EQ(page.original().pixels.front(), 90);
    EXPECT_EQ(page.original().pixels.back(), 90);

    std::string interlaced = makePNG(4, 4, 1, std::vector<std::uint8_t>(16, 9), "", 20000, 20000);
    interlaced.replace(8, 25, pngChunk("IHDR", interlaced.substr(16, 12) + '\1'));
    try {
        ImagePage(folder.write("interlaced.png", interlaced), 0);
        ADD_FAILURE() << "interlaced.png was decoded";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.kind(), EngineError::Kind::inputTooLarge) << error.what();
    }
}

// A 54-byte header declaring 23000 x 23000 pixels stored top-down (a negative height)
// is refused, not decoded at full size from rows the file does not hold.
TEST(ImagePageFile, BMPHeadersAreHeldToTheirRows) {
    ScratchFolder folder;
    const std::string header = makeBMP(1, 1, {0, 0, 0}, 0, true).substr(0, 54);
    std::string huge = header;
    huge.replace(18, 8, littleEndian32(23000) + littleEndian32(static_cast<std::uint32_t>(-23000)));
    std::string shortRows = makeBMP(4, 6, solid(4, 6, {1, 2, 3}), 0, true);
    shortRows.resize(shortRows.size() - 12);
    for (const auto& [name, bytes] : {std::pair{"huge.bmp", huge}, std::pair{"short.bmp", shortRows}}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ImagePage(folder.write(name, bytes), 0), EngineError);
    }
    const ImagePage topDown(folder.write("top-down.bmp", makeBMP(3, 2, solid(3, 2, {9, 8, 7}), 0, true)), 0);
    EXPECT_EQ(topDown.pixelHeight(), 2);
    EXPECT_EQ(topDown.original(), RGBImage::filled(3, 2, 9, 8, 7));
}

// Above the budget a BMP is reduced while it is read: each pixel is the mean of the
// block it covers, whichever way the rows are stored.
TEST(ImagePageFile, BMPsAreReducedRowByRow) {
    ScratchFolder folder;
    // 6 x 4: left half black, right half white, the bottom row red.
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const std::uint8_t v = x < 3 ? 0 : 255;
            rgb.insert(rgb.end(), {y == 3 ? std::uint8_t{255} : v, y == 3 ? std::uint8_t{0} : v, y == 3 ? std::uint8_t{0} : v});
        }
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const auto file = folder.write("page.bmp", makeBMP(6, 4, rgb, 0, topDown));
        const RGBImage reduced = ImageFile::decode(file, 0, 3);
        ASSERT_EQ(reduced.width, 3);
        ASSERT_EQ(reduced.height, 2);
        EXPECT_EQ((std::vector<int>(reduced.pixels.begin(), reduced.pixels.begin() + 3)), (std::vector<int>{0, 0, 0}));
        // The bottom right block: two white pixels and two red ones.
        const std::size_t last = reduced.pixels.size() - 3;
        EXPECT_EQ((std::vector<int>(reduced.pixels.begin() + last, reduced.pixels.end())), (std::vector<int>{255, 128, 128}));
        EXPECT_EQ(ImageFile::decode(file, 0, 0).width, 6);
    }
}

TEST(ImagePageRender, ScalesWithinTheBudget) {
    const ImagePage page(RGBImage::filled(300, 150, 10, 10, 10), 0, 0, 150, 150);  // 144 x 72 points
    const RGBImage native = page.render(150.0 / 72);
    EXPECT_EQ(native, page.original());
    const RGBImage half = page.render(0.5);
    EXPECT_EQ(half.width, 72);
    EXPECT_EQ(half.height, 36);
    // 144 x 72 points at scale 50 would be 25,920,000 pixels: lowered, sizes rounded down.
    const RGBImage big = page.render(50);
    const double s = 50 * std::sqrt(16e6 / (50.0 * 50 * 144 * 72));
    EXPECT_EQ(big.width, static_cast<int>(std::floor(144 * s)));
    EXPECT_EQ(big.height, static_cast<int>(std::floor(72 * s)));
}

TEST(ImagePageRender, RecognitionImage) {
    const ImagePage scan(RGBImage::filled(2550, 3300, 200, 200, 200), 0, 0, 300, 300);
    const RecognitionImage native = scan.ocrImage(3);
    EXPECT_DOUBLE_EQ(native.scale, 300.0 / 72);
    EXPECT_EQ(native.image.width, 2550);
    const ImagePage small(RGBImage::filled(600, 800, 200, 200, 200), 0, 0, 72, 72);
    const RecognitionImage upscaled = small.ocrImage(3);
    EXPECT_DOUBLE_EQ(upscaled.scale, std::sqrt(4e6 / 480000.0));
    EXPECT_EQ(upscaled.image.width, 1732);
    EXPECT_EQ(upscaled.image.height, 2309);
    EXPECT_EQ(small.ocrImage(1.04).scale, 1);  // under 5% gain: the frame itself
}

TEST(DeskewedPage, TurnsClockwiseByItsDegrees) {
    const RGBImage image = withBlock(21, 21, 15, 9);  // right of centre
    auto [x0, y0] = darkCentre(DeskewedPage::rotate(image, 0));
    EXPECT_NEAR(x0, 16, 1e-9);
    EXPECT_EQ(DeskewedPage::rotate(image, 0), image);
    auto [x1, y1] = darkCentre(DeskewedPage::rotate(image, 90));  // anticlockwise: now above the centre
    EXPECT_NEAR(x1, 10.5, 0.5);
    EXPECT_NEAR(y1, 5, 0.5);
    const auto base = std::make_shared<ImagePage>(image, 0, 0, 72, 72);
    const DeskewedPage page(base, 90);  // a page tilted anticlockwise, turned back clockwise
    auto [x2, y2] = darkCentre(page.render(1));
    EXPECT_NEAR(x2, 10.5, 0.5);
    EXPECT_NEAR(y2, 16, 0.5);
    EXPECT_EQ(page.width(), 21);
    EXPECT_EQ(page.ocrImage(1).scale, 1);
    EXPECT_EQ(page.ocrImage(1).image, page.render(1));
    // Crops come from the turned frame.
    const auto crops = page.crops({{7, {9, 14, 13, 19}}}, 5, PNGEncoder::encode);
    EXPECT_EQ(pngPixelSize(crops.at(7)), std::make_pair(4LL, 5LL));
}

TEST(DeskewedPage, SmallAnglesKeepSizeAndWhiteCorners) {
    const RGBImage grey = RGBImage::filled(40, 30, 100, 100, 100);
    const RGBImage turned = DeskewedPage::rotate(grey, 3);
    EXPECT_EQ(turned.width, 40);
    EXPECT_EQ(turned.height, 30);
    EXPECT_EQ(turned.pixels[0], 255);
    EXPECT_EQ(turned.pixels[(15 * 40 + 20) * 3], 100);
}

TEST(DeskewedPage, OverAPDFPageHasNoTextLayer) {
    ScratchFolder folder;
    auto document = PDFDocument::open(folder.write("page.pdf", makePDF({TestPage{}})));
    const DeskewedPage page(std::make_shared<PDFPageSource>(document->page(0)), 1.5);
    EXPECT_FALSE(page.textLayer().has_value());
    EXPECT_EQ(page.width(), 200);
    EXPECT_EQ(page.render(1).width, 200);
    EXPECT_FALSE(page.cropFrame().has_value());
}

TEST(ImagePageFile, CorpusImagesOpenRenderAndTurn) {
    const auto corpus = corpusDir();
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "corpus not available";
    int opened = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        const auto extension = entry.path().extension();
        if (extension != ".png" && extension != ".jpg" && extension != ".tiff") continue;
        SCOPED_TRACE(entry.path().string());
        const int frames = ImagePage::frameCount(entry.path());
        ASSERT_GE(frames, 1);
        for (int i = 0; i < frames; ++i) {
            auto page = std::make_shared<ImagePage>(entry.path(), i);
            for (double scale : {1.0, 2.0}) {
                const RGBImage image = page->render(scale);
                EXPECT_GE(image.width, 1);
                EXPECT_EQ(DeskewedPage(page, 2).render(scale).width, image.width);
            }
        }
        ++opened;
    }
    EXPECT_GT(opened, 5);
}
