#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/ConversionError.h"
#include "core/EngineError.h"
#include "input/DeskewedPage.h"
#include "input/PageSource.h"
#include "input/TestFiles.h"
#include "models/DetectionFixtures.h"
#include "models/ModelSet.h"
#include "pipeline/Converter.h"
#include "pipeline/PDFPageSource.h"
#include "platform/ImageFile.h"
#include "pipeline/PlatformServices.h"
#include "testsupport/StandInModels.h"

using namespace ce;
using ce::testing::detection;
namespace fs = std::filesystem;

TEST(ConverterDecisions, RecognitionWinsAtTheThresholds) {
    struct Case {
        int layer, recognised;
        bool wins;
    } cases[] = {{100, 300, true}, {100, 299, false}, {20, 90, false}, {0, 80, true}, {0, 79, false}};
    for (const Case& c : cases) EXPECT_EQ(Converter::recognitionWins(c.layer, c.recognised), c.wins) << c.layer;
}

TEST(ConverterDecisions, DeskewOnlyWithinTheLimits) {
    const Converter::Options defaults;
    EXPECT_EQ(Converter::deskewAngle(defaults, 0.3), std::nullopt);
    EXPECT_EQ(Converter::deskewAngle(defaults, -2.0), -2.0);
    EXPECT_EQ(Converter::deskewAngle(defaults, 0.4), 0.4);
    EXPECT_EQ(Converter::deskewAngle(defaults, 20.0), std::nullopt);
    EXPECT_EQ(Converter::deskewAngle(defaults, std::nullopt), std::nullopt);
    Converter::Options off;
    off.deskewMin = 0;
    EXPECT_EQ(Converter::deskewAngle(off, 5.0), std::nullopt);
}

TEST(ConverterDecisions, HalfTurnWinsOnlyWhenItReadsClearlyAndWell) {
    EXPECT_TRUE(Converter::halfTurnWins(0.34, 0.96));
    EXPECT_TRUE(Converter::halfTurnWins(0.4, 0.6));
    EXPECT_FALSE(Converter::halfTurnWins(0.5, 0.64));  // not clearly better
    EXPECT_FALSE(Converter::halfTurnWins(0.2, 0.5));   // garbage both ways
}

TEST(ConverterDecisions, TableRenderScaleKeepsWithinTheBudget) {
    EXPECT_EQ(Converter::tableRenderScale(612, 792), 2.0);
    EXPECT_DOUBLE_EQ(Converter::tableRenderScale(2500, 2500), 1.6);
    EXPECT_EQ(Converter::tableRenderScale(2000, 2000), 2.0);
}

namespace {
// A 200 x 100 point page with a text layer of one long line (over 300 visible
// characters, so that no recognition runs) and two words side by side.
class TextPage : public PageSource {
public:
    double width() const override { return 200; }
    double height() const override { return 100; }
    RGBImage render(double scale) const override {
        return RGBImage::filled(static_cast<int>(200 * scale), static_cast<int>(100 * scale), 255, 255, 255);
    }
    std::optional<PageText> textLayer() const override {
        PageText text;
        text.lines = {{0, std::string(320, 'x'), {10, 10, 190, 20}, 1.0, false}};
        text.words = {{0, "left", {12, 10, 90, 20}, 1.0, false}, {1, "right", {110, 10, 188, 20}, 1.0, false}};
        return text;
    }
    RecognitionImage ocrImage(double) const override { return {render(1), 1}; }
};

// Logits and boxes of a layout stand-in: one detection per entry.
struct Detection {
    DocLabel label;
    float cx, cy, w, h;
};

StandInModels::LayoutOptions layout(const std::vector<Detection>& detections) {
    StandInModels::LayoutOptions options;
    options.queries = 4;
    options.logits.assign(4 * 17, -10.0f);
    options.boxes.assign(4 * 4, 0.0f);
    for (std::size_t q = 0; q < detections.size(); ++q) {
        options.logits[q * 17 + static_cast<std::size_t>(detections[q].label)] = 8.0f;
        const Detection& d = detections[q];
        std::copy_n(std::array<float, 4>{d.cx, d.cy, d.w, d.h}.begin(), 4, options.boxes.begin() + static_cast<long>(q * 4));
    }
    return options;
}

class ConverterPipeline : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("ce-converter-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "models");
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(root); }

    void writeTables() {
        StandInModels::writeTableEncoder(root / "models", {});
        StandInModels::StepOptions step;
        const int fcel = 5, nl = 9, end = 3;
        step.tokens = {fcel, fcel, nl, end};
        StandInModels::writeTableDecoderStep(root / "models", step);
        StandInModels::HeadOptions head;
        head.boxesByPosition = {{0.25f, 0.5f, 0.5f, 1.0f}, {0.25f, 0.5f, 0.5f, 1.0f}, {0.75f, 0.5f, 0.5f, 1.0f}};
        StandInModels::writeTableCellHead(root / "models", head);
    }

    Converter converter(Converter::Options options = {}) {
        return Converter(std::make_shared<ModelSet>(ModelLocation::directory(root / "models"), ComputeUnits::cpuOnly, PlatformServices::modelRuntime()),
                         options);
    }

    fs::path root;
    const std::shared_ptr<const PageSource> page = std::make_shared<TextPage>();
};
}  // namespace

TEST_F(ConverterPipeline, TextLayerPageWithTableAndPicture) {
    StandInModels::writeLayoutDetector(root / "models",
                                       layout({{DocLabel::table, 0.5f, 0.15f, 0.9f, 0.2f},
                                               {DocLabel::picture, 0.5f, 0.7f, 0.4f, 0.4f}}));
    writeTables();
    const PageResult result = converter().convert(page, {}, [] { return false; });
    EXPECT_FALSE(result.usedOCR);
    for (const char* key : {"text", "layout", "tables", "assembly", "pictures"}) EXPECT_TRUE(result.timings.count(key)) << key;
    bool sawTable = false;
    for (const DocElement& e : result.page.body) {
        if (e.kind == DocElementKind::table) {
            sawTable = true;
            ASSERT_TRUE(e.table.has_value());
            EXPECT_EQ(e.table->numCols, 2);
        }
    }
    EXPECT_TRUE(sawTable);
    EXPECT_EQ(result.crops.size(), 1u);
}

// A picture detected over the page's text-layer line is that text, not a figure: the
// line comes out as a paragraph and nothing is cut out.
TEST_F(ConverterPipeline, PictureOverTheTextLayerComesOutAsText) {
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::picture, 0.5f, 0.15f, 0.96f, 0.15f}}));
    const PageResult result = converter().convert(page, {}, [] { return false; });
    ASSERT_EQ(result.page.body.size(), 1u);
    EXPECT_EQ(result.page.body[0].kind, DocElementKind::text);
    EXPECT_EQ(result.page.body[0].text, std::string(320, 'x'));
    EXPECT_TRUE(result.crops.empty());
}

TEST_F(ConverterPipeline, NoPicturesWhenTheScaleIsZero) {
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::picture, 0.5f, 0.7f, 0.4f, 0.4f}}));
    Converter::Options options;
    options.pictureScale = 0;
    const PageResult result = converter(options).convert(page, {}, [] { return false; });
    EXPECT_TRUE(result.crops.empty());
    EXPECT_FALSE(result.timings.count("pictures"));
    EXPECT_FALSE(result.timings.count("tables"));
}

TEST_F(ConverterPipeline, MissingTableModelFailsOnlyPagesWithTables) {
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::text, 0.5f, 0.15f, 0.9f, 0.2f}}));
    EXPECT_NO_THROW(converter().convert(page, {}, [] { return false; }));
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::table, 0.5f, 0.15f, 0.9f, 0.2f}}));
    fs::remove_all(root / "cache");
    EXPECT_THROW(converter().convert(page, {}, [] { return false; }), EngineError);
}

TEST_F(ConverterPipeline, CancellationAfterTheTextStep) {
    StandInModels::writeLayoutDetector(root / "models", layout({}));
    EXPECT_THROW(converter().convert(page, {}, [] { return true; }), CancellationError);
}

namespace {
// Six lines of text (over 300 visible characters) at the top of a 400 x 300 point page
// and a black square at the lower right, drawn upright or turned by a half turn.
std::shared_ptr<const PageSource> squareAndLinesPage(const ce::testing::ScratchFolder& folder, bool halfTurned) {
    std::string content = "BT /F1 9 Tf 20 270 Td";
    for (int line = 1; line <= 6; ++line)
        content += " (Line " + std::to_string(line) + " of the page, written out to fill its width.) Tj 0 -12 Td";
    content += " ET 0 0 0 rg 280 20 100 100 re f";
    if (halfTurned) content = "q -1 0 0 -1 400 300 cm " + content + " Q";
    const std::string pdf = ce::testing::makePDF(
        {{.mediaBox = "0 0 400 300",
          .content = content,
          .resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>"}});
    const auto document = PDFDocument::open(folder.write(halfTurned ? "turned.pdf" : "upright.pdf", pdf));
    return std::make_shared<PDFPageSource>(document->page(0));
}

double meanOfPNG(const ce::testing::ScratchFolder& folder, const Data& png) {
    const RGBImage image =
        ImageFile::decode(folder.write("crop.png", std::string(png.begin(), png.end())), 0, 0);
    double sum = 0;
    for (std::uint8_t v : image.pixels) sum += v;
    return image.pixels.empty() ? 255 : sum / static_cast<double>(image.pixels.size());
}
}  // namespace

// A page drawn upside down is read turned by a half turn: text, regions and picture
// crops come out as from the upright page, and the turn is reported like a deskew.
TEST_F(ConverterPipeline, PageDrawnUpsideDownReadsLikeTheUprightPage) {
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::text, 0.475f, 0.2f, 0.85f, 0.3f},
                                                                {DocLabel::picture, 0.825f, 0.7667f, 0.25f, 0.3333f}}));
    const ce::testing::ScratchFolder folder;
    const PageResult upright = converter().convert(squareAndLinesPage(folder, false), {}, [] { return false; });
    const PageResult turned = converter().convert(squareAndLinesPage(folder, true), {}, [] { return false; });
    EXPECT_FALSE(upright.deskewDegrees);
    EXPECT_EQ(turned.deskewDegrees, 180.0);
    EXPECT_FALSE(turned.usedOCR);
    ASSERT_EQ(turned.page.body.size(), upright.page.body.size());
    ASSERT_FALSE(upright.page.body.empty());
    EXPECT_EQ(upright.page.body.front().text.rfind("Line 1 of the page", 0), 0u) << upright.page.body.front().text;
    for (std::size_t i = 0; i < upright.page.body.size(); ++i) {
        const DocElement& u = upright.page.body[i];
        const DocElement& t = turned.page.body[i];
        EXPECT_EQ(t.kind, u.kind);
        EXPECT_EQ(t.text, u.text);
        EXPECT_NEAR(t.bbox.l, u.bbox.l, 0.5);
        EXPECT_NEAR(t.bbox.t, u.bbox.t, 0.5);
    }
    ASSERT_EQ(upright.crops.size(), 1u);
    ASSERT_EQ(turned.crops.size(), 1u);
    EXPECT_LT(meanOfPNG(folder, upright.crops.begin()->second), 64);
    EXPECT_LT(meanOfPNG(folder, turned.crops.begin()->second), 64);
}

namespace {
// A scan of a page: the page drawn at 3 pixels per point, turned by `degrees`, without a
// text layer.
class ScannedPage : public PageSource {
public:
    ScannedPage(std::shared_ptr<const PageSource> page, double degrees) : page_(std::move(page)), degrees_(degrees) {}
    double width() const override { return page_->width(); }
    double height() const override { return page_->height(); }
    RGBImage render(double scale) const override { return DeskewedPage::rotate(page_->render(scale), degrees_); }
    std::optional<PageText> textLayer() const override { return std::nullopt; }
    RecognitionImage ocrImage(double) const override { return {render(3), 3}; }

private:
    std::shared_ptr<const PageSource> page_;
    double degrees_;
};
}  // namespace

// A page scanned upside down is recognised turned by a half turn and reads like the
// upright scan; its turn (with any skew) is reported like a deskew.
TEST_F(ConverterPipeline, PageScannedUpsideDownReadsLikeTheUprightScan) {
    StandInModels::writeLayoutDetector(root / "models", layout({{DocLabel::text, 0.475f, 0.2f, 0.85f, 0.3f},
                                                                {DocLabel::picture, 0.825f, 0.7667f, 0.25f, 0.3333f}}));
    const ce::testing::ScratchFolder folder;
    const auto page = squareAndLinesPage(folder, false);
    const PageResult upright =
        converter().convert(std::make_shared<ScannedPage>(page, 0), {"en-US"}, [] { return false; });
    ASSERT_FALSE(upright.page.body.empty());
    EXPECT_EQ(upright.page.body.front().text.rfind("Line 1 of the page", 0), 0u) << upright.page.body.front().text;
    EXPECT_FALSE(upright.deskewDegrees);
    for (const double degrees : {180.0, 178.0}) {
        SCOPED_TRACE(degrees);
        const PageResult turned =
            converter().convert(std::make_shared<ScannedPage>(page, degrees), {"en-US"}, [] { return false; });
        EXPECT_TRUE(turned.usedOCR);
        ASSERT_TRUE(turned.deskewDegrees);
        EXPECT_NEAR(*turned.deskewDegrees, degrees, 0.3);
        ASSERT_EQ(turned.page.body.size(), upright.page.body.size());
        EXPECT_EQ(turned.page.body.front().text, upright.page.body.front().text);
        ASSERT_EQ(turned.crops.size(), 1u);
        EXPECT_LT(meanOfPNG(folder, turned.crops.begin()->second), 64);
    }
}

namespace {
const std::vector<std::string> sidewaysParagraph = {"The committee met three times during the year to review",
                                                    "the programme and to agree the priorities for the next",
                                                    "period, and noted that applications had grown again."};

// A 612 x 792 point page holding one paragraph drawn turned a quarter turn.
std::shared_ptr<const PageSource> sidewaysPage(const ce::testing::ScratchFolder& folder, const std::string& matrix) {
    std::string content = "BT /F1 11 Tf 14 TL " + matrix + " Tm";
    for (const std::string& line : sidewaysParagraph) content += " (" + line + ") Tj T*";
    const std::string pdf = ce::testing::makePDF(
        {{.mediaBox = "0 0 612 792",
          .content = content + " ET",
          .resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>"}});
    const auto document = PDFDocument::open(folder.write("sideways.pdf", pdf));
    return std::make_shared<PDFPageSource>(document->page(0));
}
}  // namespace

// A paragraph drawn sideways that the layout model takes for a table of its lines comes
// out as one paragraph, its lines in the order they are read.
TEST_F(ConverterPipeline, SidewaysParagraphTakenForATableIsOneParagraph) {
    struct Case {
        const char* name;
        std::string matrix;
        Detection table;
    };
    const Case cases[] = {{"reading upwards", "0 1 -1 0 150 100", {DocLabel::table, 0.263f, 0.682f, 0.095f, 0.404f}},
                          {"reading downwards", "0 -1 1 0 462 692", {DocLabel::table, 0.741f, 0.318f, 0.093f, 0.404f}}};
    writeTables();
    std::string expected;
    for (const std::string& line : sidewaysParagraph) expected += (expected.empty() ? "" : " ") + line;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandInModels::writeLayoutDetector(root / "models", layout({c.table}));
        fs::remove_all(root / "cache");
        const ce::testing::ScratchFolder folder;
        const PageResult result = converter().convert(sidewaysPage(folder, c.matrix), {}, [] { return false; });
        ASSERT_EQ(result.page.body.size(), 1u);
        EXPECT_EQ(result.page.body[0].kind, DocElementKind::text);
        EXPECT_EQ(result.page.body[0].text, expected);
    }
}

namespace {
// The texts of the top-level clusters of a page, and of their children.
std::vector<std::string> textsOf(const std::vector<Cluster>& clusters) {
    std::vector<std::string> texts;
    for (const Cluster& cluster : clusters) {
        for (const TextCell& cell : cluster.cells) texts.push_back(cell.text);
    }
    return texts;
}
}  // namespace

// A scanned page that is mostly a bar chart, with the detections the shipped layout model
// gives for a drawn page of this kind and lines as recognition reads such pages: the
// picture box holds the plot only, and its legend (its swatches read as "@"), tick
// labels, axis title and markers (read as "o") lie around it. They belong to
// the picture; the heading, the paragraph and the caption stay the page's text.
TEST(ConverterLayout, ChartLabelsAroundAPictureBelongToIt) {
    std::vector<TextCell> lines;
    auto add = [&](std::string text, BBox box) {
        lines.push_back({static_cast<int>(lines.size()), std::move(text), box, 0.95, true});
    };
    add("3. Results", {201, 176, 434, 213});
    add("The survey asked students about their mood over the past year. The chart below shows", {200, 261, 1361, 289});
    add("the share of respondents who reported each symptom, by sex, for all grades together.", {200, 303, 1335, 331});
    add("@ Urban", {1119, 421, 1229, 447});
    add("@ Rural", {1287, 421, 1387, 447});
    add("40", {180, 480, 209, 499});
    add("o", {1114, 500, 1131, 516});
    add("30", {180, 786, 209, 805});
    add("2015 2016 2017 2018 2019 2020", {387, 1747, 1389, 1766});
    add("Share of households (%)", {323, 1792, 618, 1818});
    add("Figure 3. Depressive symptoms reported by students, by sex.", {202, 1881, 1013, 1909});
    const std::vector<Cluster> detections = {
        detection(0, DocLabel::picture, {239.7, 550.0, 1456.0, 1775.4}, 0.81),
        detection(1, DocLabel::sectionHeader, {200.8, 176.3, 423.0, 210.5}, 0.55),
        detection(2, DocLabel::text, {205.3, 253.0, 1333.3, 303.9}, 0.51),
        detection(3, DocLabel::caption, {197.9, 1874.4, 1018.2, 1910.8}, 0.52),
        detection(4, DocLabel::text, {1116.2, 422.4, 1421.5, 454.2}, 0.39),
    };
    const std::vector<Cluster> clusters = Converter::layoutClusters(detections, lines, 1700, 2200);
    std::vector<std::string> body;
    std::vector<std::string> picture;
    for (const Cluster& cluster : clusters) {
        if (cluster.label == DocLabel::picture) picture = textsOf(cluster.children);
        else body.push_back(textsOf({cluster}).front());
    }
    EXPECT_EQ(body, (std::vector<std::string>{"3. Results", lines[1].text, lines[2].text, lines[10].text}));
    EXPECT_EQ(picture, (std::vector<std::string>{"@ Urban", "@ Rural", "40", "o", "30", "2015 2016 2017 2018 2019 2020",
                                                 "Share of households (%)"}));
}
