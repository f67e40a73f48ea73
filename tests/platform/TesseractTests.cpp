#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "core/EngineError.h"
#include "image/GrayRaster.h"
#include "image/RGBImage.h"
#include "input/DeskewedPage.h"
#include "input/Skew.h"
#include "platform/SansFont.h"
#include "platform/TesseractLanguages.h"
#include "platform/TesseractRecognizer.h"

using namespace ce;

namespace {

struct DataFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tessdata-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    explicit DataFolder(const std::vector<std::string>& names) {
        std::filesystem::create_directories(path);
        for (const auto& name : names) std::ofstream(path / (name + ".traineddata")) << "x";
    }
    ~DataFolder() { std::filesystem::remove_all(path); }
};

int threadCount() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) (void)entry, ++count;
    return count;
}

}  // namespace

TEST(TesseractLanguages, CodesMapToInstalledData) {
    EXPECT_EQ(TesseractLanguages::tesseractName("en-US"), "eng");
    EXPECT_EQ(TesseractLanguages::tesseractName("en-GB"), "eng");
    EXPECT_EQ(TesseractLanguages::tesseractName("es-ES"), "spa");
    EXPECT_EQ(TesseractLanguages::tesseractName("zh-Hant"), "chi_tra");
    EXPECT_EQ(TesseractLanguages::tesseractName("zh-Hant-TW"), "chi_tra");
    EXPECT_EQ(TesseractLanguages::tesseractName("xx-YY"), "");

    const DataFolder both({"eng", "spa"});
    EXPECT_EQ(TesseractLanguages::resolve({}, both.path), "eng+spa");
    EXPECT_EQ(TesseractLanguages::resolve({"es-ES", "en-US"}, both.path), "spa+eng");
    EXPECT_EQ(TesseractLanguages::resolve({"en-US", "en-GB", "zh-Hans"}, both.path), "eng");
    const DataFolder english({"eng"});
    EXPECT_EQ(TesseractLanguages::resolve({}, english.path), "eng");
    EXPECT_EQ(TesseractLanguages::resolve({"es-ES", "en-US"}, english.path), "eng");
    const DataFolder none({});
    try {
        TesseractLanguages::resolve({"es-ES"}, none.path);
        FAIL() << "no language data must throw";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.kind(), EngineError::Kind::textRecognition);
        EXPECT_NE(std::string(error.what()).find("es-ES"), std::string::npos);
    }
}

TEST(SansFont, LabelWidthAndInk) {
    const double width = SansFont::typographicWidth("No.", 29.76);
    EXPECT_NEAR(width, 29.76 * (0.722 + 0.556 + 0.278), 1.0);
    GrayRaster raster = GrayRaster::filled(100, 50, 255);
    SansFont::draw(raster, "No.", 29.76, 10, 40, 0);
    int darkest = 255, minX = 100, maxX = -1, minY = 50, maxY = -1;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            if (raster.at(x, y) < 128) {
                darkest = std::min<int>(darkest, raster.at(x, y));
                minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_LT(darkest, 40);
    EXPECT_NEAR(minX, 12, 2);
    EXPECT_LE(maxX, 10 + width);
    EXPECT_NEAR(maxY, 39, 1);                // sits on the baseline
    EXPECT_NEAR(maxY - minY, 21, 2);         // cap height of Liberation Sans, 0.69 em
}

TEST(TesseractRecognizer, OneThreadPerRecognitionAndMissingDataIsAnError) {
    if (!std::filesystem::exists(TesseractLanguages::dataDirectory() / "eng.traineddata"))
        GTEST_SKIP() << "Tesseract English data (eng.traineddata) is not installed";
    GrayRaster page = GrayRaster::filled(900, 200, 255);
    SansFont::draw(page, "Threads keep to themselves", 40, 40, 110, 0);
    TextRecognizer::Request request;
    request.languages = {"en-US"};
    request.pixelsPerPoint = 300.0 / 72.0;
    const RecognizerImage image{page.pixels.data(), page.width, page.height, 1};

    // Two at once, then two more on new threads that take the instances the first left.
    const int before = threadCount();
    std::vector<std::vector<RecognizedLine>> results(4);
    for (std::size_t first : {0, 2}) {
        std::vector<std::thread> workers;
        for (std::size_t k = first; k < first + 2; ++k)
            workers.emplace_back([&, k] { results[k] = TesseractRecognizer::shared().recognize(image, request); });
        for (auto& worker : workers) worker.join();
    }
    EXPECT_EQ(threadCount(), before);  // no OpenMP worker threads left behind
    for (const auto& lines : results) {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, "Threads keep to themselves");
        ASSERT_EQ(lines[0].rangeBoxes.size(), 4u);
        EXPECT_EQ(lines[0].box(0, 7), lines[0].rangeBoxes[0].quad);
        EXPECT_GT(lines[0].confidence, 0.5);
        EXPECT_LE(lines[0].confidence, 1.0);
    }

    request.languages = {"xx-YY"};
    EXPECT_THROW(TesseractRecognizer::shared().recognize(image, request), EngineError);
    EXPECT_THROW(TesseractRecognizer::shared().recognize({nullptr, 0, 0, 1}, {}), EngineError);
}

// A page turned by two degrees either way is read as straight text, and every box
// comes back in the turned page's own coordinates: the lines keep the page's skew
// (so the engine's deskew step measures it) and each word's box holds its own ink.
TEST(TesseractRecognizer, TurnedPageIsReadStraightAndBoxesStayInThePagesFrame) {
    if (!std::filesystem::exists(TesseractLanguages::dataDirectory() / "eng.traineddata"))
        GTEST_SKIP() << "Tesseract English data (eng.traineddata) is not installed";
    const std::vector<std::string> texts = {
        "Whole paragraphs were lost on turned pages because the recogniser read each line",
        "across its slope and broke it apart into pieces, so this layer straightens the page",
        "first and turns every box back again afterwards into the coordinates the caller",
        "gave, which keeps the skew of the page for the engine to measure and correct",
        "later on its own, exactly as it did before the recogniser was given straight text",
        "to read, and nothing on the page is ever turned twice by the two of them together"};
    GrayRaster straight = GrayRaster::filled(2100, 520, 255);
    for (std::size_t i = 0; i < texts.size(); ++i)
        SansFont::draw(straight, texts[i], 30, 60, 100 + 46.0 * static_cast<double>(i), 0);
    RGBImage colour = RGBImage::filled(straight.width, straight.height, 255, 255, 255);
    for (std::size_t i = 0; i < straight.pixels.size(); ++i)
        colour.pixels[3 * i] = colour.pixels[3 * i + 1] = colour.pixels[3 * i + 2] = straight.pixels[i];
    TextRecognizer::Request request;
    request.languages = {"en-US"};
    request.pixelsPerPoint = 300.0 / 72.0;

    for (const double degrees : {2.0, -2.0}) {
        SCOPED_TRACE(degrees);
        const GrayRaster page = *GrayRaster::of(DeskewedPage::rotate(colour, degrees));
        const auto lines =
            TesseractRecognizer::shared().recognize({page.pixels.data(), page.width, page.height, 1}, request);
        ASSERT_EQ(lines.size(), texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(lines[i].text, texts[i]);
            const auto angle = Skew::lineAngle(lines[i].quad, page.width, page.height);
            ASSERT_TRUE(angle.has_value());
            EXPECT_NEAR(*angle, degrees, 0.3);
            for (const RangeBox& word : lines[i].rangeBoxes) {
                const NormalizedRect& box = word.quad.boundingBox;
                int ink = 0, pixels = 0;
                for (int y = static_cast<int>((1 - box.maxY) * page.height); y < (1 - box.minY) * page.height; ++y)
                    for (int x = static_cast<int>(box.minX * page.width); x < box.maxX * page.width; ++x, ++pixels)
                        ink += page.at(x, y) < 128;
                EXPECT_GT(ink, pixels / 12) << lines[i].text.substr(word.begin, word.end - word.begin);
            }
        }
        EXPECT_NEAR(*Skew::estimate(lines, page.width, page.height), degrees, 0.2);
    }
}

// A page lit from one corner, as a phone photo is: the dim side is darker than the
// ink on the bright side, so a single threshold for the page loses its text.
TEST(TesseractRecognizer, UnevenlyLitPageKeepsItsText) {
    if (!std::filesystem::exists(TesseractLanguages::dataDirectory() / "eng.traineddata"))
        GTEST_SKIP() << "Tesseract English data (eng.traineddata) is not installed";
    const std::vector<std::string> texts = {"Light falls off across the page", "from the window to the far corner",
                                            "and the paper there turns grey", "yet every line is still readable"};
    GrayRaster page = GrayRaster::filled(1200, 560, 255);
    for (std::size_t i = 0; i < texts.size(); ++i)
        SansFont::draw(page, texts[i], 40, 60, 110 + 110.0 * static_cast<double>(i), 0);
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            const double light = 1.0 - 0.55 * (x + y) / static_cast<double>(page.width + page.height);
            std::uint8_t& pixel = page.pixels[static_cast<std::size_t>(y) * page.width + x];
            pixel = static_cast<std::uint8_t>((70 + pixel * 130.0 / 255.0) * light);
        }
    TextRecognizer::Request request;
    request.languages = {"en-US"};
    request.pixelsPerPoint = 300.0 / 72.0;
    const auto lines =
        TesseractRecognizer::shared().recognize({page.pixels.data(), page.width, page.height, 1}, request);
    ASSERT_EQ(lines.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(lines[i].text, texts[i]);
}

// Slivers and tiny images hold no text and are read as empty pages, not failures;
// an image longer than Tesseract takes is read reduced, its boxes still in its own
// normalised frame.
TEST(TesseractRecognizer, ImagesOfAnySizeAreRead) {
    if (!std::filesystem::exists(TesseractLanguages::dataDirectory() / "eng.traineddata"))
        GTEST_SKIP() << "Tesseract English data (eng.traineddata) is not installed";
    TextRecognizer::Request request;
    request.languages = {"en-US"};
    struct Size {
        const char* name;
        int width, height;
    };
    for (const Size& size : {Size{"one pixel", 1, 1}, Size{"two pixels", 2, 2}, Size{"thin row", 400, 1},
                             Size{"thin column", 1, 400}, Size{"long thin row", 40000, 2}}) {
        SCOPED_TRACE(size.name);
        const GrayRaster blank = GrayRaster::filled(size.width, size.height, 255);
        EXPECT_TRUE(TesseractRecognizer::shared()
                        .recognize({blank.pixels.data(), blank.width, blank.height, 1}, request)
                        .empty());
    }

    GrayRaster banner = GrayRaster::filled(40000, 300, 255);
    SansFont::draw(banner, "A banner longer than any page", 160, 30000, 200, 0);
    request.pixelsPerPoint = 300.0 / 72.0;
    const auto lines =
        TesseractRecognizer::shared().recognize({banner.pixels.data(), banner.width, banner.height, 1}, request);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "A banner longer than any page");
    EXPECT_NEAR(lines[0].quad.boundingBox.minX, 30000.0 / 40000.0, 0.01);
    EXPECT_LT(lines[0].quad.boundingBox.minY, 1.0 - 200.0 / 300.0);  // the baseline lies inside the box
    EXPECT_GT(lines[0].quad.boundingBox.maxY, 1.0 - 200.0 / 300.0);
}
