#include <gtest/gtest.h>

#include <cmath>

#include "image/PNGHeader.h"
#include "input/TestFiles.h"
#include "pipeline/PDFPageSource.h"
#include "platform/PNGEncoder.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

namespace {

// A 200 x 100 point page with a black 20-point square in its top-left corner (unrotated).
TestPage markedPage(const std::string& rotate) {
    return TestPage{.mediaBox = "0 0 200 100", .rotate = rotate, .content = "0 0 0 rg 0 80 20 20 re f"};
}

bool darkAt(const RGBImage& image, int x, int y) { return image.pixels[(y * image.width + x) * 3] < 128; }

PDFPageSource sourceFor(const ScratchFolder& folder, const TestPage& page) {
    return PDFPageSource(PDFDocument::open(folder.write("page.pdf", makePDF({page})))->page(0));
}

}  // namespace

namespace {
struct RotationCase {
    const char* rotate;
    double width, height;
    bool squareRight, squareBottom;  // where the square lands as displayed
};

void PrintTo(const RotationCase& c, std::ostream* os) { *os << ce::testing::printable(c.rotate); }

class PDFPageRotation : public ::testing::TestWithParam<RotationCase> {};
}  // namespace

TEST_P(PDFPageRotation, SizeAndDrawingFollowTheDisplayedPage) {
    const RotationCase& c = GetParam();
    ScratchFolder folder;
    const PDFPageSource source = sourceFor(folder, markedPage(c.rotate));
    EXPECT_EQ(source.width(), c.width);
    EXPECT_EQ(source.height(), c.height);
    const RGBImage image = source.render(2);
    ASSERT_EQ(image.width, c.width * 2);
    ASSERT_EQ(image.height, c.height * 2);
    const int x = c.squareRight ? image.width - 10 : 10;
    const int y = c.squareBottom ? image.height - 10 : 10;
    EXPECT_TRUE(darkAt(image, x, y));
    EXPECT_FALSE(darkAt(image, image.width - 1 - x, y));
    EXPECT_FALSE(darkAt(image, x, image.height - 1 - y));
}

INSTANTIATE_TEST_SUITE_P(Rotations, PDFPageRotation,
                         ::testing::Values(RotationCase{"0", 200, 100, false, false},
                                           RotationCase{"90", 100, 200, true, false},
                                           RotationCase{"180", 200, 100, true, true},
                                           RotationCase{"270", 100, 200, false, true},
                                           RotationCase{"45", 100, 200, true, false},
                                           RotationCase{"-90", 100, 200, false, true}),
    [](const auto& info) { return "rotate" + ce::testing::identifier(info.param.rotate); });

TEST(PDFPageSource, RendersTheCropBox) {
    ScratchFolder folder;
    const PDFPageSource source =
        sourceFor(folder, TestPage{"0 0 200 100", "100 0 200 50", "", "0 0 0 rg 100 0 10 10 re f"});
    EXPECT_EQ(source.width(), 100);
    EXPECT_EQ(source.height(), 50);
    const RGBImage image = source.render(1);
    ASSERT_EQ(image.width, 100);
    EXPECT_TRUE(darkAt(image, 3, 46));
    EXPECT_FALSE(darkAt(image, 50, 25));
}

TEST(PDFPageSource, SizesRoundHalfAwayFromZero) {
    ScratchFolder folder;
    const PDFPageSource source = sourceFor(folder, TestPage{.mediaBox = "0 0 11 7"});
    const RGBImage image = source.render(0.5);  // 5.5 x 3.5 pixels
    EXPECT_EQ(image.width, 6);
    EXPECT_EQ(image.height, 4);
    const RGBImage tiny = source.render(0.01);
    EXPECT_EQ(tiny.width, 1);
    EXPECT_EQ(tiny.height, 1);
    EXPECT_EQ(tiny.pixels, (std::vector<std::uint8_t>{255, 255, 255}));
}

TEST(PDFPageSource, PixelBudget) {
    ScratchFolder folder;
    // 4000 x 2000 points: exactly 32,000,000 pixels at scale 2.
    const PDFPageSource source = sourceFor(folder, TestPage{.mediaBox = "0 0 4000 2000"});
    EXPECT_EQ(source.cappedScale(2), 2);
    const double above = 2.001;
    EXPECT_NEAR(source.cappedScale(above), 2, 1e-12);  // the scale that fills the budget exactly
    EXPECT_NEAR(source.cappedScale(10), 2, 1e-12);
}

TEST(PDFPageSource, RecognitionImageIsDrawnAtThreeWithinTheBudget) {
    ScratchFolder folder;
    const PDFPageSource letter = sourceFor(folder, TestPage{.mediaBox = "0 0 612 792"});
    for (double maxUpscale : {1.0, 5.0}) {
        const RecognitionImage ocr = letter.ocrImage(maxUpscale);
        EXPECT_EQ(ocr.scale, 3);
        EXPECT_EQ(ocr.image.width, 1836);
        EXPECT_EQ(ocr.image.height, 2376);
    }
    const PDFPageSource large = sourceFor(folder, TestPage{.mediaBox = "0 0 2000 2000"});
    const RecognitionImage ocr = large.ocrImage(1);
    EXPECT_DOUBLE_EQ(ocr.scale, 3 * std::sqrt(32e6 / 36e6));
    EXPECT_LE(static_cast<double>(ocr.image.width) * ocr.image.height, 32e6 + 2 * 5657);
}

TEST(PDFPageSource, HasNoTextLayerWithoutAReader) {
    ScratchFolder folder;
    EXPECT_FALSE(sourceFor(folder, TestPage{}).textLayer().has_value());
}

TEST(PageSourceCrops, SkipTinyAndOutsideRegionsAndKeepTheLaterOfOneId) {
    ScratchFolder folder;
    const PDFPageSource source = sourceFor(folder, markedPage("0"));
    const std::vector<CropRegion> regions = {
        {1, {0, 0, 20, 20}},        // the square: 40 x 40 pixels at scale 2
        {2, {50, 50, 50.4, 90}},    // under 2 pixels wide
        {3, {300, 10, 400, 50}},    // outside the page
        {4, {10, 10, 30, 20}},      // replaced by the next one
        {4, {0.25, 0.25, 10.5, 5}}, // hull 0..21 x 0..10
        {5, {190, 90, 260, 300}},   // clipped to the page: 20 x 20 pixels
    };
    const auto crops = source.crops(regions, 2, PNGEncoder::encode);
    ASSERT_EQ(crops.size(), 3u);
    EXPECT_EQ(pngPixelSize(crops.at(1)), std::make_pair(40LL, 40LL));
    EXPECT_EQ(pngPixelSize(crops.at(4)), std::make_pair(21LL, 10LL));
    EXPECT_EQ(pngPixelSize(crops.at(5)), std::make_pair(20LL, 20LL));
    EXPECT_TRUE(source.crops({}, 2, PNGEncoder::encode).empty());
    // A render handed in is used as it is: here one at scale 1.
    const RGBImage render = source.render(1);
    EXPECT_EQ(pngPixelSize(source.crops({{1, {0, 0, 20, 20}}}, 2, PNGEncoder::encode, &render).at(1)), std::make_pair(20LL, 20LL));
}

TEST(PDFPageSource, CorpusPagesOpenAndRender) {
    const auto corpus = ce::testing::corpusDir();
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "corpus not available";
    int opened = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".pdf") continue;
        SCOPED_TRACE(entry.path().string());
        auto document = PDFDocument::open(entry.path());
        // Locked files, and damaged ones whose page tree MuPDF cannot find or whose first
        // page cannot be loaded (it fails on its own), have no first page to draw.
        if (document->isLocked() || document->pageCount() == 0) continue;
        const auto first = document->page(0);
        if (!first) continue;
        const PDFPageSource source(first);
        const RGBImage image = source.render(1);
        EXPECT_EQ(image.width, std::max(1, static_cast<int>(std::round(source.width()))));
        EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 3);
        ++opened;
    }
    EXPECT_GT(opened, 50);
}
