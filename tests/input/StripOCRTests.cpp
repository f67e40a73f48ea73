#include <gtest/gtest.h>

#include <cmath>

#include "input/RecognitionTestSupport.h"
#include "input/StripOCR.h"
#include "platform/SansFont.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::FakeRecognizer;

namespace {

int rowsOf(const GrayRaster& canvas) {
    return static_cast<int>(std::lround((canvas.height - 2 * StripOCR::verticalMargin) / StripOCR::rowPitch));
}

// A piece read on a canvas, its box given in canvas pixels (y downwards).
RecognizedLine piece(std::string text, double left, double top, double right, double bottom, int width, int height) {
    RecognizedLine line;
    line.text = std::move(text);
    line.quad = TextQuad::upright({left / width, 1 - bottom / height, right / width, 1 - top / height});
    return line;
}

// Answers every row r of a strip with "No. r<r>" across the label and the crop.
std::vector<RecognizedLine> labelledRows(const FakeRecognizer::Call& call, std::size_t) {
    std::vector<RecognizedLine> pieces;
    for (int r = 0; r < rowsOf(call.image); ++r) {
        const double centre = StripOCR::verticalMargin + (r + 0.5) * StripOCR::rowPitch;
        pieces.push_back(piece("No. r" + std::to_string(r), 48, centre - 20, call.image.width - 48, centre + 20,
                               call.image.width, call.image.height));
    }
    return pieces;
}

// A white page at 1 pixel per point with a black block of the given size in each cell.
struct Page {
    GrayRaster raster = GrayRaster::filled(600, 2000, 255);
    std::vector<BBox> regions;

    // A region 20 pixels larger than its ink on every side, stacked down the page.
    void cell(int inkWidth, int inkHeight) {
        const int top = regions.empty() ? 0 : static_cast<int>(regions.back().b);
        const int left = 20;
        for (int y = top + 20; y < top + 20 + inkHeight; ++y)
            for (int x = left + 20; x < left + 20 + inkWidth; ++x) raster.pixels[static_cast<std::size_t>(y) * 600 + x] = 0;
        regions.push_back({static_cast<double>(left), static_cast<double>(top),
                           static_cast<double>(left + inkWidth + 40), static_cast<double>(top + inkHeight + 40)});
    }
};

std::vector<TextCell> tokensOfHeights(const std::vector<double>& heights) {
    std::vector<TextCell> tokens;
    for (double h : heights) {
        TextCell token;
        token.bbox = {0, 0, 10, h};
        tokens.push_back(token);
    }
    return tokens;
}

}  // namespace

TEST(StripOCRInkBox, WindowContrastAndInkCount) {
    GrayRaster raster = GrayRaster::filled(40, 40, 255);
    // 10 x 10 box: margins of 2 leave a 6 x 6 window at (12...17, 12...17).
    raster.pixels[12 * 40 + 12] = 0;
    raster.pixels[17 * 40 + 17] = 0;
    for (int x = 13; x < 17; ++x) raster.pixels[15 * 40 + x] = 0;
    raster.pixels[11 * 40 + 11] = 0;  // outside the window
    EXPECT_EQ(StripOCR::inkBox(raster, 10, 10, 20, 20), (StripOCR::PixelRect{10, 10, 10, 10}));
    raster.pixels[12 * 40 + 12] = 255;  // five ink pixels are not enough
    EXPECT_EQ(StripOCR::inkBox(raster, 10, 10, 20, 20), std::nullopt);
    EXPECT_EQ(StripOCR::inkBox(raster, 10, 10, 13, 20), std::nullopt);  // 3 wide: no window

    GrayRaster faint = GrayRaster::filled(40, 40, 255);
    for (int x = 12; x < 18; ++x) faint.pixels[15 * 40 + x] = 255 - 63;
    EXPECT_EQ(StripOCR::inkBox(faint, 10, 10, 20, 20), std::nullopt);
    faint.pixels[15 * 40 + 12] = 255 - 64;  // contrast 64 is enough
    EXPECT_EQ(StripOCR::inkBox(faint, 10, 10, 20, 20), (StripOCR::PixelRect{10, 13, 10, 5}));
}

TEST(StripOCRStretchedCrop, StretchesContrastAndRejectsOutsideRectangles) {
    GrayRaster raster = GrayRaster::filled(4, 2, 200);
    raster.pixels[1] = 100;
    raster.pixels[2] = 150;
    const auto crop = StripOCR::stretchedCrop(raster, {0, 0, 3, 1});
    ASSERT_TRUE(crop.has_value());
    EXPECT_EQ(crop->pixels, (std::vector<std::uint8_t>{255, 0, 128}));
    EXPECT_EQ(StripOCR::stretchedCrop(raster, {2, 0, 3, 1}), std::nullopt);
    EXPECT_EQ(StripOCR::stretchedCrop(raster, {-1, 0, 2, 1}), std::nullopt);
    EXPECT_EQ(StripOCR::stretchedCrop(raster, {0, 0, 0, 1}), std::nullopt);
    EXPECT_EQ(StripOCR::stretchedCrop(GrayRaster::filled(2, 2, 9), {0, 0, 2, 2})->pixels,
              (std::vector<std::uint8_t>(4, 0)));
}

TEST(StripOCRRegions, TypicalHeightDecidesWhichRegionsAreRead) {
    // Token heights 10, 20, 30, 40 give a typical height of 30 (k = 1.6). Ink boxes
    // carry a 2-pixel margin on each side: ink 60 high gives a box of 64, which
    // passes (at most 75); 80 gives 84, which does not; 5 gives 9 (at least 0.3 x 30)
    // and passes, 4 does not; ink 5 wide gives a box 9 wide (at least 4.5).
    Page page;
    page.cell(40, 60);
    page.cell(40, 80);
    page.cell(40, 5);
    page.cell(40, 4);
    page.cell(5, 20);
    FakeRecognizer fake(labelledRows);
    const auto texts = StripOCR::recognizeRegions(page.regions, ce::testing::rgbOf(page.raster),
                                                  tokensOfHeights({40, 10, 30, 20}), {"en-US"}, 1, fake, SansFont::labelFont());
    EXPECT_EQ(texts, (std::vector<std::optional<std::string>>{"r0", std::nullopt, "r1", std::nullopt, "r2"}));
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].request.languageCorrection);
    EXPECT_EQ(calls[0].request.layout, TextRecognizer::Layout::strip);
    EXPECT_EQ(calls[0].request.languages, (std::vector<std::string>{"en-US"}));
}

TEST(StripOCRRegions, InkHeightAndWidthLimitsAreInclusive) {
    struct Case {
        double typical;
        int inkWidth, inkHeight;  // ink box is 4 larger on each axis
        bool read;
    };
    const std::vector<Case> cases = {
        {60, 5, 20, true},    // 9 wide >= 0.15 x 60
        {61, 5, 20, false},   // 9 < 9.15
        {30, 20, 71, true},   // 75 high = 2.5 x 30
        {30, 20, 72, false},  // 76
        {30, 20, 5, true},    // 9 = 0.3 x 30
        {30, 20, 4, false},   // 8
    };
    for (const Case& c : cases) {
        Page page;
        page.cell(c.inkWidth, c.inkHeight);
        FakeRecognizer fake(labelledRows);
        const auto texts = StripOCR::recognizeRegions(page.regions, ce::testing::rgbOf(page.raster),
                                                      tokensOfHeights({c.typical}), {}, 1, fake, SansFont::labelFont());
        EXPECT_EQ(texts[0].has_value(), c.read) << c.typical << " " << c.inkWidth << "x" << c.inkHeight;
    }
}

TEST(StripOCRRegions, NoUsableTokensMeansNoRecognition) {
    Page page;
    page.cell(40, 20);
    FakeRecognizer fake(labelledRows);
    for (const auto& tokens : {std::vector<TextCell>{}, tokensOfHeights({2, 1.5})}) {
        const auto texts = StripOCR::recognizeRegions(page.regions, ce::testing::rgbOf(page.raster), tokens, {}, 1, fake, SansFont::labelFont());
        EXPECT_EQ(texts, (std::vector<std::optional<std::string>>{std::nullopt}));
    }
    EXPECT_TRUE(fake.calls().empty());
}

TEST(StripOCRRegions, FortyOneRegionsMakeTwoBatchesAndAFailedBatchStaysEmpty) {
    Page page;
    for (int i = 0; i < 41; ++i) page.cell(30, 8);
    FakeRecognizer fake([](const FakeRecognizer::Call& call, std::size_t index) {
        if (index == 0) throw std::runtime_error("recogniser failed");
        return labelledRows(call, index);
    });
    const auto texts = StripOCR::recognizeRegions(page.regions, ce::testing::rgbOf(page.raster),
                                                  tokensOfHeights({12}), {}, 1, fake, SansFont::labelFont());
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].image.height, 3168);  // trunc(40 x 76.8 + 96)
    EXPECT_EQ(calls[1].image.height, 172);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(texts[static_cast<std::size_t>(i)], std::nullopt) << i;
    EXPECT_EQ(texts[40], "r0");
}

TEST(StripOCRStrip, CropsStayInsideTheirRowsAndWithinTheWidthCap) {
    // A crop drawn 3 times its size would be 120 pixels high, taller than a row: it
    // shrinks to the row pitch and stays inside its row.
    GrayRaster page = GrayRaster::filled(3000, 200, 0);
    const StripOCR::Strip strip = StripOCR::drawStrip({{0, 0, 10, 40}}, page, 3, SansFont::labelFont());
    const int cropColumn = static_cast<int>(strip.cropX) + 5;
    int firstDark = -1, lastDark = -1;
    for (int y = 0; y < strip.canvas.height; ++y)
        if (strip.canvas.at(cropColumn, y) < 128) {
            if (firstDark < 0) firstDark = y;
            lastDark = y;
        }
    EXPECT_GE(firstDark, StripOCR::verticalMargin - 1);
    EXPECT_LE(lastDark, StripOCR::verticalMargin + StripOCR::rowPitch + 1);
    EXPECT_GT(lastDark - firstDark, 70);

    // A crop 2000 pixels wide at k = 3 would be 6000 wide: it is capped at 4096.
    const StripOCR::Strip wide = StripOCR::drawStrip({{0, 0, 2000, 20}}, page, 3, SansFont::labelFont());
    EXPECT_EQ(wide.canvas.width, static_cast<int>(wide.cropX + StripOCR::maxCropWidth + StripOCR::rightMargin));
    EXPECT_EQ(wide.canvas.height, 172);
    EXPECT_GT(wide.cropX, 48 + 16.8 + 40);  // the label "No." is about 46 pixels wide
    EXPECT_LT(wide.cropX, 48 + 16.8 + 52);
}

namespace {
struct RowCase {
    const char* name;
    std::vector<std::tuple<std::string, double, double>> pieces;  // text, left and right edge (canvas pixels)
    std::optional<std::string> row0;
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class StripOCRRows : public ::testing::TestWithParam<RowCase> {};
}  // namespace

TEST_P(StripOCRRows, MapsPiecesToRowsAndRemovesTheLabel) {
    const int width = 600, height = 172;
    const double cropX = 110;
    std::vector<RecognizedLine> pieces;
    for (const auto& [text, left, right] : GetParam().pieces)
        pieces.push_back(piece(text, left, 70, right, 100, width, height));
    const auto rows = StripOCR::rowTexts(pieces, 1, cropX, width, height);
    if (GetParam().row0)
        EXPECT_EQ(rows, (std::map<int, std::string>{{0, *GetParam().row0}}));
    else
        EXPECT_TRUE(rows.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripOCRRows,
    ::testing::Values(RowCase{"Label", {{"No. 125", 48, 200}}, "125"},
                      RowCase{"LowerCase", {{"no 125", 48, 200}}, "125"},
                      RowCase{"Zero", {{"N0. 125", 48, 200}}, "125"},
                      RowCase{"Comma", {{"No, 125", 48, 200}}, "125"},
                      RowCase{"Colon", {{" No:125 ", 48, 200}}, "125"},
                      RowCase{"LabelAlone", {{"No.", 48, 200}}, std::nullopt},
                      RowCase{"EndsAtCropStart", {{"125", 48, 110}}, std::nullopt},
                      RowCase{"NameRightOfLabelKeepsItsNo", {{"Norway", 120, 300}}, "Norway"},
                      RowCase{"NameAfterLabel", {{"No. Norway", 48, 300}}, "Norway"},
                      RowCase{"LeftToRight", {{"b", 0.6 * 600, 400}, {"a", 0.3 * 600, 300}}, "a b"},
                      RowCase{"TabsTrimmedNotLineBreaks", {{"\t7\n", 120, 200}}, "7\n"}),
    ce::testing::ByName{});

TEST(StripOCRRows, PiecesOutsideTheRowsAreIgnored) {
    const int width = 600, height = 172;  // one row: 48 ... 124.8
    const std::vector<RecognizedLine> pieces = {piece("above", 120, 0, 200, 40, width, height),
                                                piece("below", 120, 130, 200, 170, width, height)};
    EXPECT_TRUE(StripOCR::rowTexts(pieces, 1, 110, width, height).empty());
}
