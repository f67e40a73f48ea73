// The table-structure models shipped in Resources/Models: they load through the model
// store, keep the engine's feature contract, and read a generated table on a rendered
// page into a valid grid. Skipped when the model folders are absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include <nlohmann/json.hpp>

#include "ModelTestSupport.h"
#include "models/OTSL.h"
#include "models/TableFormer.h"
#include "models/TableModels.h"
#include "pipeline/PlatformServices.h"
#include "platform/ImageFile.h"

using namespace ce;

namespace {

std::filesystem::path shippedModels() { return std::filesystem::path(CE_SOURCE_DIR) / "Resources" / "Models"; }

class ShippedTableModelsTest : public ce::testing::ScratchModelsTest {
protected:
    void SetUp() override {
        ScratchModelsTest::SetUp();
        for (const char* name : {"TableEncoder", "TableDecoderStep", "TableCellHead"}) {
            if (!std::filesystem::exists(shippedModels() / (std::string(name) + ".mlpackage"))) {
                GTEST_SKIP() << "no shipped " << name << " in " << shippedModels();
            }
        }
        models = TableModels::load(shippedModels(), ComputeUnits::cpuOnly, PlatformServices::modelRuntime());
    }
    TableModels models;
};

struct Feature {
    const char* model;
    bool isInput;
    const char* name;
    ElementType type;
    std::vector<std::int64_t> shape;  // empty: any shape
};

const Model& byName(const TableModels& models, const std::string& name) {
    if (name == "TableEncoder") return *models.encoder;
    if (name == "TableDecoderStep") return *models.step;
    return *models.head;
}

MultiArray zeros(ElementType type, std::vector<std::int64_t> shape) {
    std::int64_t count = 1;
    for (auto d : shape) count *= d;
    if (type == ElementType::int32) {
        return MultiArray::fromInt32s(std::move(shape), std::vector<std::int32_t>(static_cast<std::size_t>(count), 0));
    }
    return MultiArray::fromFloats(std::move(shape), std::vector<float>(static_cast<std::size_t>(count), 0.0f));
}

bool allFinite(const std::vector<float>& values) {
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

}  // namespace

TEST_F(ShippedTableModelsTest, DeclaredFeaturesKeepTheContract) {
    const Feature features[] = {
        {"TableEncoder", true, "image", ElementType::float32, {1, 3, 448, 448}},
        {"TableEncoder", false, "memory", ElementType::float32, {}},
        {"TableEncoder", false, "cell_features", ElementType::float32, {}},
        {"TableDecoderStep", true, "tag", ElementType::int32, {1}},
        {"TableDecoderStep", true, "pos", ElementType::int32, {1}},
        {"TableDecoderStep", true, "cache", ElementType::float32, {6, -1, 512}},
        {"TableDecoderStep", true, "memory", ElementType::float32, {}},
        {"TableDecoderStep", false, "logits", ElementType::float32, {}},
        {"TableDecoderStep", false, "hidden", ElementType::float32, {1, 512}},
        {"TableDecoderStep", false, "layer_inputs", ElementType::float32, {6, 512}},
        {"TableCellHead", true, "cell_features", ElementType::float32, {}},
        {"TableCellHead", true, "tag_hidden", ElementType::float32, {32, 512}},
        {"TableCellHead", false, "classes", ElementType::float32, {32, 3}},
        {"TableCellHead", false, "boxes", ElementType::float32, {32, 4}},
    };
    for (const Feature& f : features) {
        SCOPED_TRACE(std::string(f.model) + " " + f.name);
        const Model& model = byName(models, f.model);
        const FeatureDescription* d = f.isInput ? model.input(f.name) : model.output(f.name);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->kind, FeatureKind::multiArray);
        EXPECT_EQ(d->type, f.type);
        if (!f.shape.empty()) {
            EXPECT_EQ(d->shape, f.shape);
        }
    }
    // What the encoder gives is what the step and the head declare to take.
    EXPECT_EQ(models.encoder->output("memory")->shape, models.step->input("memory")->shape);
    EXPECT_EQ(models.encoder->output("cell_features")->shape, models.head->input("cell_features")->shape);

    const auto it = models.step->metadata().find("word_map_tag");
    ASSERT_NE(it, models.step->metadata().end());
    const auto map = TableFormer::parseTokenMap(it->second);
    ASSERT_TRUE(map.has_value()) << it->second;
    const auto& logits = models.step->output("logits")->shape;
    ASSERT_EQ(logits.size(), 2u);
    for (const auto& [token, id] : *map) EXPECT_LT(id, logits[1]) << token;
}

TEST_F(ShippedTableModelsTest, OneRunOfEachPartGivesTheDeclaredSizes) {
    FeatureValues encoderIn;
    encoderIn["image"] = MultiArray::fromFloats({1, 3, 448, 448}, std::vector<float>(3 * 448 * 448, 255.0f));
    const FeatureValues encoded = models.encoder->predict(encoderIn);
    for (const char* name : {"memory", "cell_features"}) {
        ASSERT_TRUE(encoded.count(name)) << name;
        EXPECT_EQ(encoded.at(name).shape, models.encoder->output(name)->shape) << name;
    }

    FeatureValues stepIn;
    stepIn["tag"] = MultiArray::fromInt32s({1}, {TableFormer::fallbackTokenMap().at("<start>")});
    stepIn["pos"] = MultiArray::fromInt32s({1}, {0});
    stepIn["cache"] = zeros(ElementType::float32, {6, 32, 512});
    stepIn["memory"] = encoded.at("memory");
    const FeatureValues stepped = models.step->predict(stepIn);
    for (const char* name : {"logits", "hidden", "layer_inputs"}) {
        ASSERT_TRUE(stepped.count(name)) << name;
        EXPECT_EQ(stepped.at(name).shape, models.step->output(name)->shape) << name;
        EXPECT_TRUE(allFinite(stepped.at(name).floatValues())) << name;
    }

    FeatureValues headIn;
    headIn["cell_features"] = encoded.at("cell_features");
    headIn["tag_hidden"] = zeros(ElementType::float32, {32, 512});
    const FeatureValues head = models.head->predict(headIn);
    ASSERT_TRUE(head.count("classes") && head.count("boxes"));
    EXPECT_EQ(head.at("classes").shape, (std::vector<std::int64_t>{32, 3}));
    const std::vector<float> boxes = head.at("boxes").floatValues();
    ASSERT_EQ(boxes.size(), 32u * 4u);
    for (float v : boxes) EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
}

// A generated table on a letter page at 2 pixels per point (written by
// tools/modelkit/tables/fixture.py) with its text cells, read through the whole table
// path: the grid must have the table's rows and columns with the header row marked,
// every text must land in its own cell, and every cell box must lie in the table (the
// head's boxes are relative to the crop).
TEST_F(ShippedTableModelsTest, ReadsAGeneratedTableIntoItsGrid) {
    const std::filesystem::path folder = std::filesystem::path(CE_TEST_FIXTURES) / "tables";
    std::ifstream file(folder / "synthetic-table.json");
    ASSERT_TRUE(file) << "fixture missing";
    const nlohmann::json fixture = nlohmann::json::parse(file);
    const RGBImage page = ImageFile::decode(folder / "synthetic-table.png", 0, 0);

    std::vector<TextCell> tokens;
    for (const auto& cell : fixture["textCells"]) {
        TextCell token;
        token.index = static_cast<int>(tokens.size());
        token.text = cell["text"].get<std::string>();
        token.bbox = BBox{cell["l"].get<double>(), cell["t"].get<double>(), cell["r"].get<double>(), cell["b"].get<double>()};
        tokens.push_back(token);
    }
    const auto& t = fixture["table"];
    const BBox table{t["l"].get<double>(), t["t"].get<double>(), t["r"].get<double>(), t["b"].get<double>()};

    const TableFormer former(models);
    const TableStructure structure = former.predict(page, fixture["renderScale"].get<double>(),
                                                    fixture["pageWidth"].get<double>(),
                                                    fixture["pageHeight"].get<double>(), table, 7, tokens, nullptr);
    EXPECT_EQ(structure.clusterID, 7);
    ASSERT_FALSE(structure.otsl.empty());
    EXPECT_EQ(structure.otsl.back(), "nl") << "the decoder did not end the table";
    EXPECT_TRUE(OTSL::isRectangular(structure.otsl));
    EXPECT_EQ(structure.numRows, fixture["rows"].get<int>());
    EXPECT_EQ(structure.numCols, fixture["cols"].get<int>());
    for (const auto& expected : fixture["expected"]) {
        const std::string text = expected["text"].get<std::string>();
        const auto at = std::find_if(structure.cells.begin(), structure.cells.end(), [&](const TableCellItem& c) {
            return c.startRow == expected["row"].get<int>() && c.startCol == expected["col"].get<int>();
        });
        ASSERT_NE(at, structure.cells.end()) << "no cell at the place of " << text;
        EXPECT_EQ(at->text, text);
        EXPECT_EQ(at->columnHeader, at->startRow == 0) << text;
    }
    const double slack = 2.0;  // points
    for (const TableCellItem& cell : structure.cells) {
        SCOPED_TRACE(cell.text);
        ASSERT_TRUE(cell.bbox.has_value());
        EXPECT_GE(cell.bbox->l, table.l - slack);
        EXPECT_GE(cell.bbox->t, table.t - slack);
        EXPECT_LE(cell.bbox->r, table.r + slack);
        EXPECT_LE(cell.bbox->b, table.b + slack);
        EXPECT_LT(cell.bbox->l, cell.bbox->r);
        EXPECT_LT(cell.bbox->t, cell.bbox->b);
    }
}
