// Real Tesseract on pages the tests draw; skipped where the English data is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/ConversionOptions.h"
#include "input/RecognitionTestSupport.h"
#include "input/StripOCR.h"
#include "input/VisionOCR.h"
#include "pipeline/PlatformServices.h"

using namespace ce;
using namespace ce::testing;

namespace {

const std::vector<std::string> pageLines = {
    "The quick brown fox jumps over the lazy dog again",
    "Recognition of scanned pages needs straight lines",
    "Seven lines of text make a good estimate of skew",
    "Another line with several words and numbers 12345",
    "Tesseract should read every one of these lines",
    "The sixth line is here to add more evidence",
    "Finally the last line closes the page",
};

// Baselines of the drawn lines, in pixels; text is 28 pixels, scale 4 pixels per point.
std::vector<double> baselines() {
    std::vector<double> values;
    for (std::size_t i = 0; i < pageLines.size(); ++i) values.push_back(150 + 70.0 * static_cast<double>(i));
    return values;
}

class Recognition : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hasEnglishData()) GTEST_SKIP() << "Tesseract English data (eng.traineddata) is not installed";
    }
};

}  // namespace

TEST_F(Recognition, SkewedScanIsMeasuredAndStraightened) {
    const GrayRaster upright = drawnLines(1200, 900, pageLines, 28, 80, baselines());
    const RGBImage scan = rgbOf(turned(upright, 2));
    const double scale = 4;
    const VisionOCR ocr(Languages::recognitionLanguages("en"), VisionOCR::defaultSegmentGap, PlatformServices::textRecognizer());
    const auto observations = ocr.observe(scan, scale);
    ASSERT_TRUE(observations.skewDegrees.has_value());
    EXPECT_NEAR(*observations.skewDegrees, 2, 0.35);
    EXPECT_GT(observations.characterCount(), 250);

    // The page turned back, and the outlines with it: lines lie where they were drawn.
    const RGBImage straightened = rgbOf(turned(turned(upright, 2), -*observations.skewDegrees));
    const PageText text = ocr.pageText(observations, straightened, -*observations.skewDegrees);
    ASSERT_EQ(text.lines.size(), pageLines.size());
    for (std::size_t i = 0; i < pageLines.size(); ++i) {
        const TextCell& line = text.lines[i];
        EXPECT_EQ(line.text, pageLines[i]);
        EXPECT_TRUE(line.fromOCR);
        EXPECT_GT(line.confidence, 0.5);
        EXPECT_LE(line.confidence, 1.0);
        // Baseline in points; a turned-back line box is about one text height tall.
        EXPECT_NEAR(line.bbox.b * scale, baselines()[i], 12) << line.text;
        EXPECT_LT(line.bbox.height() * scale, 40) << line.text;
        EXPECT_NEAR(line.bbox.l * scale, 80, 8) << line.text;
    }
    EXPECT_EQ(text.words.size(), 59u);
    EXPECT_EQ(text.words.front().text, "The");
}

TEST_F(Recognition, WideGapSplitsALineIntoSegments) {
    GrayRaster page = GrayRaster::filled(1000, 300, 255);
    SansFont::draw(page, "Total amount", 30, 60, 150, 0);
    SansFont::draw(page, "125.40", 30, 700, 150, 0);
    const RGBImage image = rgbOf(page);
    // Word spaces of this font are about half the tight line height; a gap of 0.8
    // line heights keeps words together and still splits at the column gap.
    const PageText text = VisionOCR(Languages::recognitionLanguages("en"), 0.8, PlatformServices::textRecognizer()).recognize(image, 300.0 / 72.0);
    ASSERT_EQ(text.words.size(), 3u);
    ASSERT_EQ(text.segments.size(), 2u);
    EXPECT_EQ(text.segments[0].text, "Total amount");
    EXPECT_EQ(text.segments[1].text, "125.40");
    EXPECT_EQ(text.segments[1].index, 1);
    EXPECT_GT(text.segments[1].bbox.l, text.segments[0].bbox.r);
}

TEST_F(Recognition, StripReadsSmallRegions) {
    // Cells of a table drawn at 2 pixels per point; tokens give the text height.
    const double scale = 2;
    GrayRaster page = GrayRaster::filled(800, 400, 255);
    const std::vector<std::string> cells = {"125", "Lisbon", "7.50", "", "42"};
    std::vector<BBox> regions;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const double top = 20 + 70.0 * static_cast<double>(i);
        if (!cells[i].empty()) SansFont::draw(page, cells[i], 24, 100, top + 38, 0);
        regions.push_back({40 / scale, top / scale, 400 / scale, (top + 56) / scale});
    }
    TextCell token;
    token.bbox = {0, 0, 40, 9};  // 18 pixels high
    const auto texts = StripOCR::recognizeRegions(regions, rgbOf(page), {token}, Languages::recognitionLanguages("en"), scale,
                                                  *PlatformServices::textRecognizer(), PlatformServices::labelFont());
    ASSERT_EQ(texts.size(), cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].empty())
            EXPECT_EQ(texts[i], std::nullopt);
        else
            EXPECT_EQ(texts[i], cells[i]) << i;
    }
}
