// Writes the stand-in TorchScript models. With TorchModel.cpp the only translation
// unit that includes libtorch.
#include <stdexcept>
#include <string>

#include <torch/script.h>

#include "models/ModelDescription.h"
#include "platform/TorchModel.h"
#include "testsupport/StandInModels.h"

namespace ce::StandInModels {

namespace {

constexpr int hiddenSize = 512;
constexpr int decoderLayers = 6;
constexpr int headBatch = 32;
constexpr int labelCount = 17;

const char* defaultWordMap =
    R"({"<pad>":0,"<unk>":1,"<start>":2,"<end>":3,"ecel":4,"fcel":5,"lcel":6,"ucel":7,"xcel":8,)"
    R"("nl":9,"ched":10,"rhed":11,"srow":12})";

FeatureDescription feature(std::string name, ElementType type, std::vector<std::int64_t> shape,
                           FeatureKind kind = FeatureKind::multiArray) {
    return {std::move(name), kind, type, std::move(shape)};
}

at::Tensor floats(const std::vector<float>& values, std::vector<std::int64_t> shape) {
    return torch::tensor(values, torch::kFloat32).reshape(shape).clone();
}

// The first lines of an image model's forward(): `x` becomes planar float RGB in 0...1,
// then passes `layers` stride-2 convolutions registered on the module as w<k>, b<k>.
std::string imagePrologue(torch::jit::Module& module, bool imageInput, int layers) {
    std::string source = imageInput
        ? "        x = torch.flip(image[:, :, :, 0:3], [3]).permute(0, 3, 1, 2).float() / 255.0\n"
        : "        x = image / 255.0\n";
    torch::manual_seed(0);
    std::int64_t channels = 3;
    for (int k = 0; k < layers; ++k) {
        const std::int64_t next = std::min<std::int64_t>(16 << k, 128);
        module.register_parameter("w" + std::to_string(k), torch::randn({next, channels, 3, 3}) * 0.1, false);
        module.register_parameter("b" + std::to_string(k), torch::zeros({next}), false);
        source += "        x = torch.relu(torch.conv2d(x, self.w" + std::to_string(k) + ", self.b" +
                  std::to_string(k) + ", [2, 2], [1, 1]))\n";
        channels = next;
    }
    source += "        zero = x.mean() * 0.0\n";
    return source;
}

std::filesystem::path save(torch::jit::Module& module, const std::filesystem::path& modelsFolder,
                           const std::string& name, const ModelDescription& description) {
    const std::filesystem::path package = modelsFolder / (name + ".mlpackage");
    std::filesystem::create_directories(package);
    module.save((package / TorchModel::weightsFileName).string());
    description.write(package);
    return package;
}

}  // namespace

std::filesystem::path writeLayoutDetector(const std::filesystem::path& modelsFolder, const LayoutOptions& options) {
    const std::int64_t q = options.queries;
    std::vector<float> logits = options.logits;
    if (logits.empty()) logits.assign(static_cast<std::size_t>(q * labelCount), -10.0f);
    std::vector<float> boxes = options.boxes;
    if (boxes.empty()) {
        for (std::int64_t k = 0; k < q; ++k) boxes.insert(boxes.end(), {0.5f, 0.5f, 0.1f, 0.1f});
    }
    if (logits.size() != static_cast<std::size_t>(q * labelCount) || boxes.size() != static_cast<std::size_t>(q * 4)) {
        throw std::invalid_argument("layout stand-in: logits or boxes do not match the number of queries");
    }
    torch::jit::Module module("LayoutDetectorStandIn");
    module.register_buffer("logits", floats(logits, {1, q, labelCount}));
    module.register_buffer("boxes", floats(boxes, {1, q, 4}).transpose(1, 2).contiguous());
    std::string source = "def forward(self, image):\n" + imagePrologue(module, options.imageInput, options.backboneLayers);
    source += options.transposedBoxes ? "        boxes = (self.boxes + zero).transpose(1, 2)\n"
                                      : "        boxes = (self.boxes + zero).transpose(1, 2).contiguous()\n";
    source += "        return (self.logits + zero, boxes)\n";
    module.define(source);

    ModelDescription description;
    description.inputs = {options.imageInput
                              ? feature("image", ElementType::uint8, {1, 640, 640, 4}, FeatureKind::image)
                              : feature("image", ElementType::float32, {1, 3, 640, 640})};
    description.outputs = {feature("logits", ElementType::float32, {1, q, labelCount}),
                           feature("boxes", ElementType::float32, {1, q, 4})};
    return save(module, modelsFolder, "LayoutDetector", description);
}

std::filesystem::path writeTableEncoder(const std::filesystem::path& modelsFolder, const EncoderOptions& options) {
    const std::int64_t m = options.memoryLength;
    torch::jit::Module module("TableEncoderStandIn");
    module.register_buffer("memory", torch::arange(m * hiddenSize, torch::kFloat32).reshape({1, m, hiddenSize}) * 1e-3);
    module.register_buffer("cell_features", torch::ones({1, m, hiddenSize}));
    std::string source = "def forward(self, image):\n" + imagePrologue(module, options.imageInput, options.backboneLayers);
    source += "        return (self.memory + zero, self.cell_features + zero)\n";
    module.define(source);

    ModelDescription description;
    description.inputs = {options.imageInput
                              ? feature("image", ElementType::uint8, {1, 448, 448, 4}, FeatureKind::image)
                              : feature("image", ElementType::float32, {1, 3, 448, 448})};
    description.outputs = {feature("memory", ElementType::float32, {1, m, hiddenSize}),
                           feature("cell_features", ElementType::float32, {1, m, hiddenSize})};
    return save(module, modelsFolder, "TableEncoder", description);
}

std::filesystem::path writeTableDecoderStep(const std::filesystem::path& modelsFolder, const StepOptions& options) {
    if (options.tokens.empty()) throw std::invalid_argument("table step stand-in: no tokens");
    torch::jit::Module module("TableDecoderStepStandIn");
    std::vector<std::int64_t> tokens(options.tokens.begin(), options.tokens.end());
    module.register_buffer("tokens", torch::tensor(tokens, torch::kInt64));
    const std::string v = std::to_string(options.vocabulary);
    module.define(
        "def forward(self, tag, pos, cache, memory):\n"
        "        p = int(pos[0])\n"
        "        t = int(self.tokens[min(p, self.tokens.size(0) - 1)])\n"
        "        zero = cache.sum() * 0.0 + memory.mean() * 0.0 + tag.float().sum() * 0.0\n"
        "        logits = torch.full([1, " + v + "], -10.0)\n"
        "        logits[0, t] = 10.0\n"
        "        hidden = torch.zeros([1, " + std::to_string(hiddenSize) + "])\n"
        "        hidden[0, 0] = float(p + 1)\n"
        "        layer_inputs = torch.zeros([" + std::to_string(decoderLayers) + ", " + std::to_string(hiddenSize) +
        "]) + float(p)\n"
        "        return (logits + zero, hidden + zero, layer_inputs + zero)\n");

    ModelDescription description;
    description.inputs = {feature("tag", ElementType::int32, {1}), feature("pos", ElementType::int32, {1}),
                          feature("cache", ElementType::float32, {decoderLayers, -1, hiddenSize}),
                          feature("memory", ElementType::float32, {1, -1, hiddenSize})};
    description.outputs = {feature("logits", ElementType::float32, {1, options.vocabulary}),
                           feature("hidden", ElementType::float32, {1, hiddenSize}),
                           feature("layer_inputs", ElementType::float32, {decoderLayers, hiddenSize})};
    // Freezing helps the decoder step; the further inference optimisation slows it down.
    description.optimizeForInference = false;
    description.metadata["word_map_tag"] = options.wordMap.empty() ? defaultWordMap : options.wordMap;
    return save(module, modelsFolder, "TableDecoderStep", description);
}

std::filesystem::path writeTableCellHead(const std::filesystem::path& modelsFolder, const HeadOptions& options) {
    std::vector<float> table;
    for (const auto& box : options.boxesByPosition) {
        if (box.size() != 4) throw std::invalid_argument("table head stand-in: a box needs four values");
        table.insert(table.end(), box.begin(), box.end());
    }
    if (table.empty()) table = {0, 0, 0, 0};
    std::vector<float> classes(3, -10.0f);
    classes.at(static_cast<std::size_t>(options.cellClass)) = 10.0f;

    torch::jit::Module module("TableCellHeadStandIn");
    module.register_buffer("boxes_by_position", floats(table, {static_cast<std::int64_t>(table.size() / 4), 4}));
    module.register_buffer("classes", floats(classes, {1, 3}));
    module.define(
        "def forward(self, cell_features, tag_hidden):\n"
        "        n = self.boxes_by_position.size(0)\n"
        "        index = (tag_hidden[:, 0] - 1.0).clamp(0.0, float(n - 1)).long()\n"
        "        zero = cell_features.mean() * 0.0\n"
        "        boxes = self.boxes_by_position.index_select(0, index) + zero\n"
        "        classes = self.classes.repeat(tag_hidden.size(0), 1) + zero\n"
        "        return (classes, boxes)\n");

    ModelDescription description;
    description.inputs = {feature("cell_features", ElementType::float32, {1, -1, hiddenSize}),
                          feature("tag_hidden", ElementType::float32, {headBatch, hiddenSize})};
    description.outputs = {feature("classes", ElementType::float32, {headBatch, 3}),
                           feature("boxes", ElementType::float32, {headBatch, 4})};
    return save(module, modelsFolder, "TableCellHead", description);
}

}  // namespace ce::StandInModels
