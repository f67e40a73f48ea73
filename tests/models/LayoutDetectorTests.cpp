#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/EngineError.h"
#include "models/LayoutDetector.h"
#include "models/LayoutPostprocessor.h"
#include "models/ModelSet.h"
#include "models/ModelTestSupport.h"
#include "pipeline/PDFPageSource.h"
#include "pipeline/PlatformServices.h"
#include "testsupport/StandInModels.h"

namespace ce {
namespace {

constexpr int classes = 17;

float sigmoid(float x) { return 1.0f / (1.0f + std::exp(-x)); }

// Logits of `queries` queries, all far below the threshold except the given (query, class, logit).
std::vector<float> logits(int queries, std::initializer_list<std::tuple<int, DocLabel, float>> hits) {
    std::vector<float> values(static_cast<std::size_t>(queries * classes), -10.0f);
    for (auto [query, label, logit] : hits) values[static_cast<std::size_t>(query * classes + static_cast<int>(label))] = logit;
    return values;
}

std::vector<float> boxes(std::initializer_list<std::array<float, 4>> perQuery) {
    std::vector<float> values;
    for (const auto& box : perQuery) values.insert(values.end(), box.begin(), box.end());
    return values;
}

TEST(LayoutDecodeTest, PlacesBoxesOnThePageInScoreOrder) {
    // The worked example: a 612 × 792-point page rendered at 1224 × 1584 pixels.
    const auto clusters = LayoutDetector::decode(
        logits(3, {{0, DocLabel::table, 2.0f}, {1, DocLabel::text, 3.0f}, {2, DocLabel::picture, 2.0f}}),
        boxes({{0.5f, 0.5f, 0.2f, 0.1f}, {0.05f, 0.5f, 0.2f, 0.1f}, {0.95f, 0.98f, 0.2f, 0.1f}}), 1224, 1584, 612,
        792);
    ASSERT_EQ(clusters.size(), 3u);
    EXPECT_EQ(clusters[0].label, DocLabel::text);  // the highest score first
    EXPECT_EQ(clusters[0].bbox.l, 0);              // clamped to the page
    EXPECT_EQ(clusters[1].label, DocLabel::table);  // equal logits: the lower index first
    EXPECT_NEAR(clusters[1].bbox.l, 244.8, 1e-4);
    EXPECT_NEAR(clusters[1].bbox.t, 356.4, 1e-4);
    EXPECT_NEAR(clusters[1].bbox.r, 367.2, 1e-4);
    EXPECT_NEAR(clusters[1].bbox.b, 435.6, 1e-4);
    EXPECT_EQ(clusters[2].label, DocLabel::picture);
    EXPECT_EQ(clusters[2].bbox.r, 612);
    EXPECT_EQ(clusters[2].bbox.b, 792);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(clusters[static_cast<std::size_t>(k)].id, k);
        EXPECT_TRUE(clusters[static_cast<std::size_t>(k)].cells.empty());
    }
    EXPECT_FLOAT_EQ(static_cast<float>(clusters[0].confidence), sigmoid(3.0f));
}

TEST(LayoutDecodeTest, ThresholdIsInclusive) {
    // The smallest float logit whose score reaches 0.3, and the float just below it.
    float boundary = std::log(0.3f / 0.7f);
    while (sigmoid(boundary) >= LayoutDetector::scoreThreshold) boundary = std::nextafter(boundary, -1.0f);
    while (sigmoid(boundary) < LayoutDetector::scoreThreshold) boundary = std::nextafter(boundary, 1.0f);
    const float below = std::nextafter(boundary, -1.0f);
    const auto box = boxes({{0.5f, 0.5f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.1f, 0.1f}});
    EXPECT_EQ(LayoutDetector::decode(logits(2, {{0, DocLabel::text, boundary}}), box, 100, 100, 100, 100).size(), 1u);
    EXPECT_EQ(LayoutDetector::decode(logits(2, {{0, DocLabel::text, below}}), box, 100, 100, 100, 100).size(), 0u);
}

TEST(LayoutDecodeTest, AtMostOneCandidatePerQuery) {
    const std::vector<float> all(300 * classes, 5.0f);
    const std::vector<float> box(300 * 4, 0.5f);
    const auto clusters = LayoutDetector::decode(all, box, 640, 640, 100, 100);
    ASSERT_EQ(clusters.size(), 300u);
    // Equal scores: indices 0...299 come first, so the first 18 queries give all their classes.
    EXPECT_EQ(clusters[16].label, DocLabel::keyValueRegion);
    EXPECT_EQ(clusters[17].label, DocLabel::caption);
}

TEST(LayoutDecodeTest, MalformedOutputs) {
    const auto box = boxes({{0.5f, 0.5f, 0.1f, 0.1f}});
    EXPECT_TRUE(LayoutDetector::decode(std::vector<float>(16, 5.0f), box, 100, 100, 100, 100).empty());

    // A kept query without its four box values.
    try {
        LayoutDetector::decode(logits(2, {{1, DocLabel::text, 5.0f}}), box, 100, 100, 100, 100);
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.description(), "unexpected model output: layout");
    }

    // NaN and infinite logits are not detections; a NaN box is skipped without using an id.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto clusters = LayoutDetector::decode(
        logits(3, {{0, DocLabel::text, nan}, {0, DocLabel::title, inf}, {1, DocLabel::code, 4.0f},
                   {2, DocLabel::formula, 3.0f}}),
        boxes({{0.5f, 0.5f, 0.1f, 0.1f}, {nan, 0.5f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.1f, 0.1f}}), 100, 100, 100, 100);
    ASSERT_EQ(clusters.size(), 1u);
    EXPECT_EQ(clusters[0].label, DocLabel::formula);
    EXPECT_EQ(clusters[0].id, 0);
}

// A model that returns only the outputs it was given.
class FixedModel final : public Model {
public:
    explicit FixedModel(FeatureValues outputs) : outputs_(std::move(outputs)) {}
    const std::string& name() const override { return name_; }
    const std::vector<FeatureDescription>& inputs() const override { return features_; }
    const std::vector<FeatureDescription>& outputs() const override { return features_; }
    const std::map<std::string, std::string, std::less<>>& metadata() const override { return metadata_; }
    ComputeUnits computeUnits() const override { return ComputeUnits::all; }
    FeatureValues predict(const FeatureValues&) const override { return outputs_; }

private:
    std::string name_ = "LayoutDetector";
    std::vector<FeatureDescription> features_;
    std::map<std::string, std::string, std::less<>> metadata_;
    FeatureValues outputs_;
};

TEST(LayoutDetectorTest, MissingOutputOrEmptyImageThrows) {
    FeatureValues onlyLogits;
    onlyLogits.emplace("logits", MultiArray::fromFloats({1, 17}, std::vector<float>(17, 0.0f)));
    const LayoutDetector detector(std::make_shared<FixedModel>(onlyLogits));
    EXPECT_THROW(detector.detect(RGBImage::filled(10, 10, 255, 255, 255), 10, 10), EngineError);
    try {
        detector.detect(RGBImage{}, 10, 10);
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.kind(), EngineError::Kind::imageConversion);
    }
}

class LayoutStandInTest : public testing::ScratchModelsTest {
protected:
    StandInModels::LayoutOptions scripted(bool imageInput) {
        StandInModels::LayoutOptions options;
        options.queries = 300;
        options.logits = logits(300, {{7, DocLabel::title, 4.0f}, {42, DocLabel::text, 3.0f}, {299, DocLabel::table, 2.0f}});
        options.boxes = std::vector<float>(300 * 4, 0.5f);
        const float title[] = {0.5f, 0.08f, 0.6f, 0.04f};
        const float text[] = {0.5f, 0.3f, 0.8f, 0.3f};
        const float table[] = {0.5f, 0.75f, 0.8f, 0.3f};
        std::copy(title, title + 4, options.boxes.begin() + 7 * 4);
        std::copy(text, text + 4, options.boxes.begin() + 42 * 4);
        std::copy(table, table + 4, options.boxes.begin() + 299 * 4);
        options.imageInput = imageInput;
        options.transposedBoxes = true;
        return options;
    }
};

TEST_F(LayoutStandInTest, DetectsThroughTheModelSetWithEitherInputKind) {
    for (bool imageInput : {false, true}) {
        SCOPED_TRACE(imageInput ? "pixel buffer input" : "planar float input");
        const auto folder = models / (imageInput ? "bgra" : "planar");
        StandInModels::writeLayoutDetector(folder, scripted(imageInput));
        ModelSet set(ModelLocation::directory(folder), ComputeUnits::all, PlatformServices::modelRuntime());
        const auto clusters = set.withLayoutDetector([](LayoutDetector& detector) {
            return detector.detect(RGBImage::filled(1224, 1584, 250, 250, 250), 612, 792);
        });
        ASSERT_EQ(clusters.size(), 3u);
        EXPECT_EQ(clusters[0].label, DocLabel::title);
        EXPECT_NEAR(clusters[0].bbox.l, 0.2 * 612, 1e-3);
        EXPECT_NEAR(clusters[2].bbox.b, 0.9 * 792, 1e-3);
    }
}

TEST_F(LayoutStandInTest, CorpusPageGoesThroughDetectionAndPostProcessing) {
    const std::filesystem::path pdf =
        std::filesystem::path(CE_CORPUS_DIR) / "sample-files/004-pdflatex-4-pages/pdflatex-4-pages.pdf";
    if (!std::filesystem::exists(pdf)) GTEST_SKIP() << "corpus not present";
    const PDFPageSource page(PDFDocument::open(pdf)->page(0));
    const RGBImage image = page.render(1.0);
    // The page's text lines when its text layer can be read.
    const auto text = page.textLayer();
    const std::vector<TextCell> lines = text ? text->lines : std::vector<TextCell>{};

    StandInModels::writeLayoutDetector(models, scripted(false));
    ModelSet set(ModelLocation::directory(models), ComputeUnits::all, PlatformServices::modelRuntime());
    const auto detected = set.withLayoutDetector(
        [&](LayoutDetector& detector) { return detector.detect(image, page.width(), page.height()); });
    ASSERT_EQ(detected.size(), 3u);
    EXPECT_LE(detected[2].bbox.b, page.height());

    const auto result = LayoutPostprocessor{page.width(), page.height(), lines, detected}.process();
    // Every line with text ends up in exactly one top-level region, tables included.
    std::size_t held = 0;
    for (const Cluster& cluster : result.clusters) {
        held += cluster.cells.size();
    }
    std::size_t nonBlank = 0;
    for (const TextCell& line : lines) nonBlank += line.text.find_first_not_of(" \t\n") != std::string::npos;
    EXPECT_EQ(held, nonBlank);
    EXPECT_EQ(result.cells, lines);
    EXPECT_FALSE(result.clusters.empty());
}

}  // namespace
}  // namespace ce
