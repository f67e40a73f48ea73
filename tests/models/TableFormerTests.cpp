#include <gtest/gtest.h>

#include <atomic>

#include "core/EngineError.h"
#include "models/TableFormer.h"

using namespace ce;

namespace {
// A model answering from a function, standing in for a loaded network.
class FakeModel : public Model {
public:
    using Fn = std::function<FeatureValues(const FeatureValues&)>;
    FakeModel(std::string name, std::vector<FeatureDescription> inputs, Fn fn,
              std::map<std::string, std::string, std::less<>> metadata = {})
        : name_(std::move(name)), inputs_(std::move(inputs)), metadata_(std::move(metadata)), fn_(std::move(fn)) {}
    const std::string& name() const override { return name_; }
    const std::vector<FeatureDescription>& inputs() const override { return inputs_; }
    const std::vector<FeatureDescription>& outputs() const override { return outputs_; }
    const std::map<std::string, std::string, std::less<>>& metadata() const override { return metadata_; }
    ComputeUnits computeUnits() const override { return ComputeUnits::cpuOnly; }
    FeatureValues predict(const FeatureValues& inputs) const override {
        ++calls;
        return fn_(inputs);
    }
    mutable std::atomic<int> calls{0};

private:
    std::string name_;
    std::vector<FeatureDescription> inputs_, outputs_;
    std::map<std::string, std::string, std::less<>> metadata_;
    Fn fn_;
};

const std::map<std::string, int>& ids() { return TableFormer::fallbackTokenMap(); }

// Emits `script[pos]` at each step; the hidden state carries the step's position so
// that the head can give every stored cell a box of its own.
struct Fixture {
    std::shared_ptr<FakeModel> encoder, step, head;
    TableModels models() const { return {encoder, step, head}; }

    explicit Fixture(std::vector<std::string> script, bool dropLogits = false) {
        encoder = std::make_shared<FakeModel>(
            "TableEncoder", std::vector<FeatureDescription>{{"image", FeatureKind::multiArray, ElementType::float32, {1, 3, 448, 448}}},
            [](const FeatureValues&) {
                return FeatureValues{{"memory", MultiArray::fromFloats({1}, {0})},
                                     {"cell_features", MultiArray::fromFloats({1}, {0})}};
            });
        step = std::make_shared<FakeModel>("TableDecoderStep", std::vector<FeatureDescription>{},
                                           [script, dropLogits](const FeatureValues& in) {
            const int pos = static_cast<int>(in.at("pos").floatValues()[0]);
            const std::string token = pos < static_cast<int>(script.size()) ? script[static_cast<std::size_t>(pos)] : "fcel";
            std::vector<float> logits(13, 0.0f);
            logits[static_cast<std::size_t>(ids().at(token))] = 1.0f;
            FeatureValues out{{"hidden", MultiArray::fromFloats({512}, std::vector<float>(512, static_cast<float>(pos)))},
                              {"layer_inputs", MultiArray::fromFloats({6, 512}, std::vector<float>(6 * 512, 0.0f))}};
            if (!dropLogits) out["logits"] = MultiArray::fromFloats({13}, logits);
            return out;
        });
        head = std::make_shared<FakeModel>("TableCellHead", std::vector<FeatureDescription>{}, [](const FeatureValues& in) {
            const std::vector<float> hidden = in.at("tag_hidden").floatValues();
            std::vector<float> classes, boxes;
            for (int row = 0; row < 32; ++row) {
                const float pos = hidden[static_cast<std::size_t>(row) * 512];
                classes.insert(classes.end(), {0, 0, 1});
                // Unit-wide boxes side by side, centred at pos + 0.5 (relative units scaled later).
                boxes.insert(boxes.end(), {pos / 100.0f + 0.005f, 0.5f, 0.01f, 1.0f});
            }
            return FeatureValues{{"classes", MultiArray::fromFloats({32, 3}, classes)},
                                 {"boxes", MultiArray::fromFloats({32, 4}, boxes)}};
        });
    }
};

std::vector<std::string> names(const TableFormer& former, const std::vector<int>& seq) {
    std::map<int, std::string> byID;
    for (const auto& [name, id] : former.tagIDs()) byID[id] = name;
    std::vector<std::string> out;
    for (int id : seq) out.push_back(byID.at(id));
    return out;
}

const std::vector<double> grey448(448 * 448 * 3, 128.0);
const RGBImage image448 = RGBImage::filled(448, 448, 128, 128, 128);
}  // namespace

TEST(TableFormer, ImmediateEndGivesNoCellsAndNoHeadRun) {
    Fixture f({"<end>"});
    const TableFormer former(f.models());
    const auto inference = former.infer(grey448, image448);
    EXPECT_EQ(names(former, inference.tagSeq), (std::vector<std::string>{"<start>", "<end>"}));
    EXPECT_TRUE(inference.boxes.empty());
    EXPECT_EQ(f.head->calls, 0);
}

TEST(TableFormer, CorrectsTokensAndMergesSpans) {
    // pos 0 follows <start> (no state); xcel is read as lcel; lcel after ucel as fcel.
    Fixture f({"fcel", "fcel", "lcel", "lcel", "fcel", "nl", "ucel", "lcel", "xcel", "nl", "<end>"});
    const TableFormer former(f.models());
    const auto inference = former.infer(grey448, image448);
    EXPECT_EQ(names(former, inference.tagSeq),
              (std::vector<std::string>{"<start>", "fcel", "fcel", "lcel", "lcel", "fcel", "nl", "ucel", "fcel", "lcel",
                                        "nl", "<end>"}));
    // States at positions 1, 2 (lcel opens a span), 4 (fcel closes it), 5 (nl), 8 (lcel opens a
    // span) and 9 (nl closes it); the two closing states are merged into their spans.
    ASSERT_EQ(inference.boxes.size(), 4u);
    // The first span runs from the lcel's box (pos 2) to the closing fcel's box (pos 4).
    EXPECT_NEAR(inference.boxes[1][0], 0.02, 1e-6);
    EXPECT_NEAR(inference.boxes[1][2], 0.05, 1e-6);
    for (int c : inference.classes) EXPECT_EQ(c, 2);
}

TEST(TableFormer, StopsAfterTheOutputLimit) {
    Fixture f({});  // never ends: fcel at every step
    const TableFormer former(f.models());
    const auto inference = former.infer(grey448, image448);
    EXPECT_EQ(inference.tagSeq.size(), 1025u);
    EXPECT_EQ(f.head->calls, (1023 + 31) / 32);
}

TEST(TableFormer, MissingOutputNamesTheModel) {
    Fixture f({"fcel", "<end>"}, true);
    const TableFormer former(f.models());
    try {
        former.infer(grey448, image448);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.description(), "unexpected model output: TableDecoderStep");
    }
}

TEST(TableFormer, DropsTheBoxOfASpanningCellWhenCountsDiffer) {
    Fixture f({"<end>"});
    const TableFormer former(f.models());
    const auto& t = former.tagIDs();
    const std::vector<int> seq = {t.at("<start>"), t.at("fcel"), t.at("lcel"), t.at("fcel"), t.at("nl"), t.at("<end>")};
    const std::vector<std::vector<double>> boxes = {{0, 0, 0.5, 1}, {0.4, 0, 0.6, 1}, {0.5, 0, 1, 1}};
    const std::vector<TextCell> cells = {{0, "wide", {10, 10, 50, 20}, 1, false}, {1, "right", {60, 10, 90, 20}, 1, false}};
    const auto details = former.buildResponse(seq, boxes, {2, 1}, {0, 0, 100, 40}, cells, nullptr);
    ASSERT_EQ(details.bboxes.size(), 2u);
    EXPECT_EQ(details.bboxes[1], (std::vector<double>{0.5, 0, 1, 1}));
    ASSERT_EQ(details.structure.cells.size(), 2u);
    EXPECT_EQ(details.structure.cells[0].text, "wide");
    // No cell starts in grid column 1, so the compacted grid has two columns.
    EXPECT_EQ(details.structure.cells[0].colSpan(), 1);
    EXPECT_EQ(details.structure.numCols, 2);
}

TEST(TableFormer, RecoversTextForCellsWithoutMatches) {
    Fixture f({"<end>"});
    const TableFormer former(f.models());
    const auto& t = former.tagIDs();
    const std::vector<int> seq = {t.at("<start>"), t.at("ched"), t.at("ched"), t.at("nl"), t.at("<end>")};
    const std::vector<std::vector<double>> boxes = {{0, 0, 0.5, 1}, {0.5, 0, 1, 1}};
    std::vector<BBox> asked;
    auto recover = [&](const std::vector<BBox>& regions) {
        asked = regions;
        return std::vector<std::optional<std::string>>{std::nullopt, std::string("Total")};
    };
    const auto details = former.buildResponse(seq, boxes, {2, 2}, {0, 0, 100, 40}, {}, recover);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], (BBox{25, 0, 50, 20}));  // halved to page points
    ASSERT_EQ(details.structure.cells.size(), 1u);
    EXPECT_EQ(details.structure.cells[0].text, "Total");
    EXPECT_TRUE(details.structure.cells[0].columnHeader);
}

TEST(TableFormer, EmptyCropAfterScalingThrows) {
    Fixture f({"<end>"});
    const TableFormer former(f.models());
    const RGBImage page = RGBImage::filled(200, 100, 255, 255, 255);
    EXPECT_THROW(former.predict(page, 2.0, 100, 50, {150, 10, 180, 20}, 1, {}, nullptr), TableFormerError);
}

TEST(TableFormer, TokenMapNeedsUniqueIdsAndEveryToken) {
    EXPECT_FALSE(TableFormer::parseTokenMap("not json"));
    EXPECT_FALSE(TableFormer::parseTokenMap(R"({"<start>": 0, "<end>": 0})"));
    std::string full = R"({"<start>": 0, "<end>": 1, "ecel": 2, "fcel": 3, "lcel": 4, "ucel": 5, "xcel": 6,
                           "nl": 7, "ched": 8, "rhed": 9, "srow": 10})";
    EXPECT_TRUE(TableFormer::parseTokenMap(full));
    EXPECT_FALSE(TableFormer::parseTokenMap(R"({"<start>": 0, "<end>": 1, "fcel": 1})"));
}
