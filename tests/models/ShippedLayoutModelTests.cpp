// The layout model shipped in Resources/Models: it loads through the model store, keeps
// the engine's contract (names, types, shapes, value ranges) and finds the tables of
// real pages.
#include <cmath>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "core/DocLabel.h"
#include "image/Resample.h"
#include "models/LayoutDetector.h"
#include "models/ModelStore.h"
#include "models/ModelTestSupport.h"
#include "pipeline/PDFPageSource.h"
#include "pipeline/PlatformServices.h"
#include "platform/PDFDocument.h"

namespace ce {
namespace {

const std::filesystem::path shippedModels = std::filesystem::path(CE_SOURCE_DIR) / "Resources" / "Models";

// The page scaled to the model's input as planar float RGB 0...255.
MultiArray modelInput(const RGBImage& page) {
    const int side = LayoutDetector::inputSize;
    const RGBImage scaled = Resample::resize(page, side, side, Resample::Filter::bilinear);
    std::vector<float> planes(3 * static_cast<std::size_t>(side) * side);
    const std::size_t plane = static_cast<std::size_t>(side) * side;
    for (std::size_t i = 0; i < plane; ++i) {
        for (std::size_t c = 0; c < 3; ++c) planes[c * plane + i] = scaled.pixels[i * 3 + c];
    }
    return MultiArray::fromFloats({1, 3, side, side}, std::move(planes));
}

class ShippedLayoutModel : public testing::ScratchModelsTest {
protected:
    std::shared_ptr<const Model> load() { return ModelStore::load("LayoutDetector", shippedModels, ComputeUnits::all, PlatformServices::modelRuntime()); }

    std::vector<Cluster> detect(const Model& model, const RGBImage& page, double width, double height) {
        FeatureValues inputs;
        inputs.emplace("image", modelInput(page));
        const FeatureValues outputs = model.predict(inputs);
        const std::vector<float> logits = outputs.at("logits").floatValues();
        const std::vector<float> boxes = outputs.at("boxes").floatValues();
        return LayoutDetector::decode(logits, boxes, page.width, page.height, width, height);
    }
};

TEST_F(ShippedLayoutModel, KeepsTheContract) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(shippedModels / "LayoutDetector.mlpackage")) {
        if (entry.is_regular_file()) bytes += entry.file_size();
    }
    EXPECT_LT(bytes, 20u * 1000 * 1000);

    const auto model = load();
    struct Feature {
        const FeatureDescription* description;
        std::vector<std::int64_t> shape;
    };
    const Feature features[] = {
        {model->input("image"), {1, 3, 640, 640}},
        {model->output("logits"), {1, 300, 17}},
        {model->output("boxes"), {1, 300, 4}},
    };
    for (const Feature& f : features) {
        ASSERT_NE(f.description, nullptr);
        SCOPED_TRACE(f.description->name);
        EXPECT_EQ(f.description->kind, FeatureKind::multiArray);
        EXPECT_EQ(f.description->type, ElementType::float32);
        EXPECT_EQ(f.description->shape, f.shape);
    }

    // A blank page and a page of noise: outputs of the declared shapes, finite, boxes inside the image.
    RGBImage noise = RGBImage::filled(612, 792, 0, 0, 0);
    for (std::size_t i = 0; i < noise.pixels.size(); ++i) noise.pixels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    for (const RGBImage& page : {RGBImage::filled(612, 792, 255, 255, 255), noise}) {
        FeatureValues inputs;
        inputs.emplace("image", modelInput(page));
        const FeatureValues outputs = model->predict(inputs);
        ASSERT_EQ(outputs.at("logits").shape, (std::vector<std::int64_t>{1, 300, 17}));
        ASSERT_EQ(outputs.at("boxes").shape, (std::vector<std::int64_t>{1, 300, 4}));
        for (float v : outputs.at("logits").floatValues()) ASSERT_TRUE(std::isfinite(v));
        const std::vector<float> boxes = outputs.at("boxes").floatValues();
        for (std::size_t q = 0; q < 300; ++q) {
            const float cx = boxes[4 * q], cy = boxes[4 * q + 1], w = boxes[4 * q + 2], h = boxes[4 * q + 3];
            ASSERT_GE(w, 0.0f);
            ASSERT_GE(h, 0.0f);
            ASSERT_GE(cx - w / 2, -1e-5f);
            ASSERT_GE(cy - h / 2, -1e-5f);
            ASSERT_LE(cx + w / 2, 1.0f + 1e-5f);
            ASSERT_LE(cy + h / 2, 1.0f + 1e-5f);
        }
    }
    EXPECT_TRUE(detect(*model, RGBImage::filled(612, 792, 255, 255, 255), 612, 792).empty())
        << "a blank page has no regions";
}

// Corpus files whose first page is mostly one table: the model finds a table there of a
// plausible size (a twentieth of the page or more).
TEST_F(ShippedLayoutModel, FindsTheTablesOfCorpusPages) {
    const std::filesystem::path folder = std::filesystem::path(CE_CORPUS_DIR) / "tables";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
    const auto model = load();
    const char* files[] = {"12s0324.pdf", "S2MNCEbirdisland.pdf", "eu-002.pdf", "spreadsheet_no_bounding_frame.pdf"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        auto document = PDFDocument::open(folder / file);
        PDFPageSource source(document->page(0));
        const RGBImage page = source.render(1.0);
        const std::vector<Cluster> clusters = detect(*model, page, source.width(), source.height());
        int tables = 0;
        for (const Cluster& c : clusters) {
            if (c.label == DocLabel::table && c.confidence >= 0.5) {
                ++tables;
                EXPECT_GT((c.bbox.r - c.bbox.l) * (c.bbox.b - c.bbox.t), 0.05 * source.width() * source.height());
            }
        }
        EXPECT_GE(tables, 1);
    }
}

}  // namespace
}  // namespace ce
