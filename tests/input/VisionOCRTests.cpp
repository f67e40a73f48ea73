#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/ConversionOptions.h"
#include "core/EngineError.h"
#include "input/RecognitionTestSupport.h"
#include "input/Segments.h"
#include "input/Skew.h"
#include "input/VisionOCR.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::FakeRecognizer;

namespace {

// A rectangular line outline of the given pixel length and height on a width x height
// image whose top edge rises by `degrees`, its top-left corner at normalised (0.1, 0.5).
RecognizedLine tiltedLine(double degrees, double length, double height, int width = 2000, int imageHeight = 2000) {
    const double theta = degrees * std::numbers::pi / 180;
    RecognizedLine line;
    line.text = "line";
    line.quad.topLeft = {0.1, 0.5};
    line.quad.topRight = {0.1 + length * std::cos(theta) / width, 0.5 + length * std::sin(theta) / imageHeight};
    // The bottom edge lies `height` pixels below the top edge, square to it.
    const double downX = height * std::sin(theta) / width;
    const double downY = height * std::cos(theta) / imageHeight;
    line.quad.bottomLeft = {line.quad.topLeft.x + downX, line.quad.topLeft.y - downY};
    line.quad.bottomRight = {line.quad.topRight.x + downX, line.quad.topRight.y - downY};
    return line;
}

RecognizedLine line(std::string text, NormalizedRect box, std::vector<RangeBox> ranges = {}, double confidence = 0.9) {
    return {std::move(text), confidence, TextQuad::upright(box), std::move(ranges)};
}

}  // namespace

TEST(VisionOCRLanguages, PresetTable) {
    const std::vector<std::pair<std::optional<std::string>, std::vector<std::string>>> cases = {
        {std::nullopt, {}},
        {"en", {"en-US"}},
        {"es", {"es-ES", "en-US"}},
        {"zh", {"zh-Hans", "en-US"}},
        {"zh-hant", {"zh-Hant", "en-US"}},
        {"en-zh", {"zh-Hans", "en-US"}},
        {"EN", {}},
        {"auto", {}},
    };
    for (const auto& [code, expected] : cases) EXPECT_EQ(Languages::recognitionLanguages(code), expected) << code.value_or("none");
    for (const auto language : Languages::allCases())
        EXPECT_EQ(Languages::ocrLanguages(language), Languages::recognitionLanguages(std::string(Languages::rawValue(language))));
}

namespace {
struct SkewCase {
    const char* name;
    std::vector<double> angles;
    std::optional<double> expected;
};

void PrintTo(const SkewCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class SkewEstimate : public ::testing::TestWithParam<SkewCase> {};
}  // namespace

TEST_P(SkewEstimate, MedianOfAgreeingLongLines) {
    std::vector<RecognizedLine> lines;
    for (double angle : GetParam().angles) lines.push_back(tiltedLine(angle, 1000, 20));
    const auto skew = Skew::estimate(lines, 2000, 2000);
    ASSERT_EQ(skew.has_value(), GetParam().expected.has_value());
    if (skew) {
        EXPECT_NEAR(*skew, *GetParam().expected, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SkewEstimate,
                         ::testing::Values(SkewCase{"FiveLines", {0.5, 0.1, 0.4, 0.2, 0.3}, 0.3},
                                           SkewCase{"FourLines", {0.1, 0.2, 0.3, 0.4}, std::nullopt},
                                           SkewCase{"EvenCountTakesUpperMiddle", {1, 1, 1.2, 1.3, 1.5, 1.5}, 1.3},
                                           SkewCase{"NegativeAngles", {-2.1, -2, -1.9, -2, -2.05}, -2},
                                           SkewCase{"SpreadTooWide", {0, 0, 0.1, 0.2, 0.3, 0.5, 0.8, 0.9},
                                                    std::nullopt}),
                         ce::testing::ByName{});

TEST(SkewEstimate, AspectLimitAndHeight) {
    // 64 pixels high on a 1024-pixel image: exactly 15 times as long takes part.
    EXPECT_TRUE(Skew::lineAngle(tiltedLine(0, 960, 64, 1024, 1024).quad, 1024, 1024).has_value());
    EXPECT_FALSE(Skew::lineAngle(tiltedLine(0, 953.6, 64, 1024, 1024).quad, 1024, 1024).has_value());
    EXPECT_FALSE(Skew::lineAngle(tiltedLine(0, 1000, 0).quad, 2000, 2000).has_value());
    EXPECT_FALSE(Skew::lineAngle(tiltedLine(0, 1000, -5).quad, 2000, 2000).has_value());
    EXPECT_NEAR(*Skew::lineAngle(tiltedLine(2, 1000, 20).quad, 2000, 2000), 2, 1e-9);
    // Short lines never count, however many agree.
    std::vector<RecognizedLine> lines(6, tiltedLine(1, 100, 20));
    EXPECT_EQ(Skew::estimate(lines, 2000, 2000), std::nullopt);
}

TEST(VisionOCRObserve, AsksForPageRecognitionAndMeasuresSkew) {
    auto fake = std::make_shared<FakeRecognizer>([](const FakeRecognizer::Call&, std::size_t) {
        return std::vector<RecognizedLine>(5, tiltedLine(1.5, 1000, 20, 400, 300));
    });
    const VisionOCR ocr({"es-ES", "en-US"}, VisionOCR::defaultSegmentGap, fake);
    const auto observations = ocr.observe(RGBImage::filled(400, 300, 255, 255, 255), 2.5);
    EXPECT_EQ(observations.width, 400);
    EXPECT_EQ(observations.height, 300);
    EXPECT_EQ(observations.scale, 2.5);
    ASSERT_TRUE(observations.skewDegrees.has_value());
    EXPECT_NEAR(*observations.skewDegrees, 1.5, 1e-9);
    const auto calls = fake->calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request.languages, (std::vector<std::string>{"es-ES", "en-US"}));
    EXPECT_TRUE(calls[0].request.languageCorrection);
    EXPECT_EQ(calls[0].request.layout, TextRecognizer::Layout::page);
    EXPECT_EQ(calls[0].request.pixelsPerPoint, 2.5);

    RGBImage broken = RGBImage::filled(4, 4, 0, 0, 0);
    broken.pixels.pop_back();
    EXPECT_THROW(ocr.observe(broken, 1), EngineError);
    EXPECT_THROW(ocr.observe(RGBImage{}, 1), EngineError);
}

TEST(VisionOCRObservations, CharacterCountSkipsWhiteSpace) {
    VisionOCR::Observations observations;
    observations.results = {line("ab c", {}), line("  d\n", {}), line("e\xCC\x81\t", {})};
    EXPECT_EQ(observations.characterCount(), 5);  // a b c d, and e with its combining accent
}

TEST(VisionOCRPageText, LineBoxesFlipToTopLeftPoints) {
    VisionOCR::Observations observations;
    observations.width = 1224;
    observations.height = 1584;
    observations.scale = 2;
    observations.results = {line("  hello  ", {0.1, 0.2, 0.5, 0.25}), line(" \n ", {0, 0, 1, 1})};
    const PageText text = VisionOCR({}).pageText(observations, RGBImage{}, 0);
    ASSERT_EQ(text.lines.size(), 1u);  // the blank line yields nothing
    const TextCell& cell = text.lines[0];
    EXPECT_EQ(cell.text, "hello");
    EXPECT_NEAR(cell.bbox.l, 61.2, 1e-9);
    EXPECT_NEAR(cell.bbox.t, 594, 1e-9);
    EXPECT_NEAR(cell.bbox.r, 306, 1e-9);
    EXPECT_NEAR(cell.bbox.b, 633.6, 1e-9);
    EXPECT_EQ(cell.confidence, 0.9);
    EXPECT_TRUE(cell.fromOCR);
    EXPECT_TRUE(text.words.empty());
    EXPECT_TRUE(text.segments.empty());  // a line without word boxes gives no segment
}

TEST(VisionOCRPageText, WordsAreNumberedOverThePageAndMissingBoxesAreSkipped) {
    VisionOCR::Observations observations;
    observations.width = 1000;
    observations.height = 1000;
    observations.scale = 1;
    // "one two three": the second word has no box.
    observations.results = {
        line("one two three", {0.1, 0.8, 0.5, 0.82},
             {{0, 3, TextQuad::upright({0.1, 0.8, 0.2, 0.82})}, {8, 13, TextQuad::upright({0.3, 0.8, 0.5, 0.82})}}),
        line("four", {0.1, 0.7, 0.2, 0.72}, {{0, 4, TextQuad::upright({0.1, 0.7, 0.2, 0.72})}})};
    const PageText text = VisionOCR({}).pageText(observations, RGBImage{}, 0);
    ASSERT_EQ(text.words.size(), 3u);
    EXPECT_EQ(text.words[0].text, "one");
    EXPECT_EQ(text.words[1].text, "three");
    EXPECT_EQ(text.words[2].text, "four");
    EXPECT_EQ(text.words[2].index, 2);
    EXPECT_NEAR(text.words[1].bbox.l, 300, 1e-9);
    EXPECT_NEAR(text.words[1].bbox.t, 180, 1e-9);
    // Without an ink raster each line is one segment with the line's edges.
    ASSERT_EQ(text.segments.size(), 2u);
    EXPECT_EQ(text.segments[0].text, "one three");
    EXPECT_EQ(text.segments[0].bbox, text.lines[0].bbox);
    EXPECT_EQ(text.segments[1].index, 1);
}

TEST(VisionOCRPageText, RotationTurnsTiltedOutlinesUpright) {
    // A 1000-pixel line rising 2 degrees, 20 pixels high, turned back by -2 degrees
    // about the centre becomes a flat box 20 pixels high.
    VisionOCR::Observations observations;
    observations.width = 2000;
    observations.height = 2000;
    observations.scale = 2;
    RecognizedLine tilted = tiltedLine(2, 1000, 20);
    tilted.quad.boundingBox = {0.1, 0.49, 0.35, 0.52};
    observations.results = {tilted};
    const PageText text = VisionOCR({}).pageText(observations, RGBImage{}, -2);
    ASSERT_EQ(text.lines.size(), 1u);
    EXPECT_NEAR(text.lines[0].bbox.height() * 2, 20, 1e-6);
    EXPECT_NEAR(text.lines[0].bbox.width() * 2, 1000, 1e-6);
}

namespace {
// A page of 1 point per pixel with ink blocks on one line band.
struct SegmentFixture {
    GrayRaster raster = GrayRaster::filled(300, 40, 255);
    TextCell lineCell;
    std::vector<TextCell> words;

    SegmentFixture() {
        lineCell.bbox = {10, 10, 290, 30};  // 20 points high
        lineCell.confidence = 0.8;
    }
    void ink(int x0, int x1, std::uint8_t grey = 0) {
        for (int y = 14; y < 26; ++y)
            for (int x = x0; x < x1; ++x) raster.pixels[static_cast<std::size_t>(y) * raster.width + x] = grey;
    }
    void word(const char* text, double l, double r) {
        TextCell cell;
        cell.text = text;
        cell.bbox = {l, 10, r, 30};
        words.push_back(cell);
    }
};
}  // namespace

TEST(Segments, GapOfTheMinimumWidthSplitsAndTrimsToInk) {
    // scale 1, gap 0.3, height 20: at least 6 blank columns split.
    for (const auto& [blank, expectedSegments] : std::vector<std::pair<int, std::size_t>>{{6, 2}, {5, 1}}) {
        SegmentFixture f;
        f.ink(40, 100);
        f.ink(100 + blank, 180);
        f.word("left", 30, 105);
        f.word("right", 100 + blank - 5, 190);
        const auto segments = Segments::split(f.words, f.lineCell, &f.raster, 1, 0.3);
        ASSERT_EQ(segments.size(), expectedSegments) << blank;
        EXPECT_EQ(segments[0].bbox.l, 40);  // pulled in to the ink
        EXPECT_EQ(segments[0].bbox.t, 10);
        EXPECT_EQ(segments[0].confidence, 0.8);
        if (expectedSegments == 2) {
            EXPECT_EQ(segments[0].text, "left");
            EXPECT_EQ(segments[0].bbox.r, 100);
            EXPECT_EQ(segments[1].text, "right");
            EXPECT_EQ(segments[1].bbox.l, 106);
            EXPECT_EQ(segments[1].bbox.r, 180);
        } else {
            EXPECT_EQ(segments[0].text, "left right");
            EXPECT_EQ(segments[0].bbox.r, 180);
        }
    }
}

TEST(Segments, LowContrastOneWordAndNoRasterKeepTheLine) {
    SegmentFixture f;
    f.ink(40, 100, 255 - 47);
    f.ink(150, 180, 255 - 47);
    f.word("a", 30, 105);
    f.word("b", 140, 190);
    for (const GrayRaster* raster : std::vector<const GrayRaster*>{&f.raster, nullptr}) {
        const auto segments = Segments::split(f.words, f.lineCell, raster, 1, 0.3);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0].text, "a b");
        EXPECT_EQ(segments[0].bbox, f.lineCell.bbox);
    }
    SegmentFixture one;
    one.ink(40, 100);
    one.word("solo", 30, 105);
    const auto segments = Segments::split(one.words, one.lineCell, &one.raster, 1, 0.3);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].bbox, one.lineCell.bbox);  // not trimmed to the ink
    EXPECT_TRUE(Segments::split({}, one.lineCell, &one.raster, 1, 0.3).empty());
}

TEST(Segments, MinimumGapFollowsScaleAndLineHeight) {
    // Scale 3, gap 0.3: a 10-point line needs 9 blank columns, a 1-point line 2.
    for (const auto& [height, needed] : std::vector<std::pair<double, int>>{{10, 9}, {1, 2}}) {
        for (int blank : {needed - 1, needed}) {
            GrayRaster raster = GrayRaster::filled(200, 60, 255);
            const int bandTop = 30 - static_cast<int>(height * 3 / 2);
            const int bandBottom = bandTop + static_cast<int>(height * 3);
            for (int y = bandTop; y < bandBottom; ++y)
                for (int x = 20; x < 180; ++x)
                    if (x < 60 || x >= 60 + blank) raster.pixels[static_cast<std::size_t>(y) * 200 + x] = 0;
            TextCell lineCell;
            lineCell.bbox = {20 / 3.0, bandTop / 3.0, 180 / 3.0, bandBottom / 3.0};
            std::vector<TextCell> words(2);
            words[0].text = "x";
            words[0].bbox = {20 / 3.0, lineCell.bbox.t, 50 / 3.0, lineCell.bbox.b};
            words[1].text = "y";
            words[1].bbox = {(75 + blank) / 3.0, lineCell.bbox.t, 180 / 3.0, lineCell.bbox.b};
            EXPECT_EQ(Segments::split(words, lineCell, &raster, 3, 0.3).size(), blank >= needed ? 2u : 1u)
                << "height " << height << " blank " << blank;
        }
    }
}
