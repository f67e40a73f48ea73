// Small TorchScript models with the real names, inputs, outputs, shapes and element
// types of the four engine models, written as model packages (<Name>.mlpackage/ with
// model.pt and metadata.json). Their outputs are scripted: a layout stand-in returns
// the logits and boxes it was given, a table step stand-in emits a given token
// sequence. They serve tests, benchmarks and the end-to-end runs of the engine before
// trained models exist. An optional convolutional backbone gives the image models
// the cost of a small real network without changing their outputs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ce::StandInModels {

struct LayoutOptions {
    int queries = 300;
    std::vector<float> logits;  // queries × 17, query-major; empty: every logit -10
    std::vector<float> boxes;   // queries × 4 (cx, cy, w, h); empty: every box (0.5, 0.5, 0.1, 0.1)
    int backboneLayers = 0;     // stride-2 convolutions over the input (0: none)
    bool transposedBoxes = false;  // "boxes" comes out as a non-contiguous view
    bool imageInput = false;       // "image" declared as a BGRA pixel buffer instead of planar float32
};

struct EncoderOptions {
    int memoryLength = 16;     // rows of "memory" and "cell_features" ([1, memoryLength, 512])
    int backboneLayers = 0;
    bool imageInput = false;   // "image" declared as a 448 × 448 BGRA pixel buffer
};

struct StepOptions {
    // Token ids emitted at input positions 0, 1, ...; the last one repeats beyond the end.
    std::vector<int> tokens = {3};
    int vocabulary = 13;
    // Written under "word_map_tag" (JSON text); empty: the thirteen OTSL tokens, "<pad>" 0 to "srow" 12.
    std::string wordMap;
};

struct HeadOptions {
    // Box (cx, cy, w, h) returned for the cell whose state was stored at input position p:
    // row p of this table (the stand-in step puts p + 1 into the first value of "hidden").
    std::vector<std::vector<float>> boxesByPosition;
    int cellClass = 2;
};

// Each writes the package folder (created if needed) and returns it.
std::filesystem::path writeLayoutDetector(const std::filesystem::path& modelsFolder, const LayoutOptions& options);
std::filesystem::path writeTableEncoder(const std::filesystem::path& modelsFolder, const EncoderOptions& options);
std::filesystem::path writeTableDecoderStep(const std::filesystem::path& modelsFolder, const StepOptions& options);
std::filesystem::path writeTableCellHead(const std::filesystem::path& modelsFolder, const HeadOptions& options);

}  // namespace ce::StandInModels
