#include "models/LayoutDetector.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/DocLabel.h"
#include "core/EngineError.h"
#include "image/Resample.h"
#include "models/ModelStore.h"

namespace ce {

namespace {

constexpr std::size_t classCount = DocLabels::count;

double clampToPage(double value, double limit) {
    if (value <= 0) return 0;
    return value > limit ? limit : value;
}

// The scaled page as planar float32 RGB, all R values, then G, then B.
MultiArray planarInput(const RGBImage& image) {
    const std::size_t plane = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    std::vector<float> values(3 * plane);
    for (std::size_t p = 0; p < plane; ++p) {
        for (std::size_t c = 0; c < 3; ++c) values[c * plane + p] = image.pixels[3 * p + c];
    }
    return MultiArray::fromFloats({1, 3, image.height, image.width}, std::move(values));
}

// The scaled page as a BGRA pixel buffer, [1, height, width, 4], rows packed.
MultiArray pixelBufferInput(const RGBImage& image) {
    const BGRABuffer buffer = image.pixelBuffer();
    const std::size_t row = static_cast<std::size_t>(buffer.width) * 4;
    std::vector<std::uint8_t> bytes(row * static_cast<std::size_t>(buffer.height));
    for (int y = 0; y < buffer.height; ++y) {
        std::copy_n(buffer.bytes.begin() + static_cast<std::ptrdiff_t>(y * buffer.bytesPerRow), row,
                    bytes.begin() + static_cast<std::ptrdiff_t>(y * row));
    }
    return MultiArray::fromBytes({1, buffer.height, buffer.width, 4}, std::move(bytes));
}

}  // namespace

LayoutDetector::LayoutDetector(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits,
                               const ModelRuntime& runtime)
    : model_(ModelStore::load("LayoutDetector", modelDirectory, computeUnits, runtime)) {}

LayoutDetector::LayoutDetector(std::shared_ptr<const Model> model) : model_(std::move(model)) {}

std::vector<Cluster> LayoutDetector::detect(const RGBImage& pageImage, double pageWidth, double pageHeight) const {
    if (pageImage.width <= 0 || pageImage.height <= 0) throw EngineError::imageConversion();
    const RGBImage scaled = Resample::resize(pageImage, inputSize, inputSize, Resample::Filter::bilinear);
    const FeatureDescription* input = model_->input("image");
    FeatureValues inputs;
    inputs.emplace("image", input && input->kind == FeatureKind::image ? pixelBufferInput(scaled) : planarInput(scaled));
    const FeatureValues outputs = model_->predict(inputs);
    const auto logits = outputs.find("logits");
    const auto boxes = outputs.find("boxes");
    if (logits == outputs.end() || boxes == outputs.end()) throw EngineError::modelOutput("layout");
    return decode(logits->second.floatValues(), boxes->second.floatValues(), pageImage.width, pageImage.height,
                  pageWidth, pageHeight);
}

std::vector<Cluster> LayoutDetector::decode(std::span<const float> logits, std::span<const float> boxes,
                                            int imageWidth, int imageHeight, double pageWidth, double pageHeight) {
    std::vector<Cluster> clusters;
    if (logits.size() < classCount) return clusters;
    if (imageWidth <= 0 || imageHeight <= 0) throw EngineError::imageConversion();

    // Candidates: the finite logits, largest first, equal values by ascending index;
    // at most one per query is considered.
    std::vector<std::size_t> order;
    order.reserve(logits.size());
    for (std::size_t k = 0; k < logits.size(); ++k) {
        if (std::isfinite(logits[k])) order.push_back(k);
    }
    const std::size_t considered = std::min(order.size(), logits.size() / classCount);
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(considered), order.end(),
                      [&](std::size_t a, std::size_t b) {
                          return logits[a] > logits[b] || (logits[a] == logits[b] && a < b);
                      });

    const double w = imageWidth;
    const double h = imageHeight;
    for (std::size_t n = 0; n < considered; ++n) {
        const std::size_t k = order[n];
        const float score = 1.0f / (1.0f + std::exp(-logits[k]));
        if (score < scoreThreshold) break;
        const std::size_t query = k / classCount;
        if (boxes.size() < 4 * query + 4) throw EngineError::modelOutput("layout");
        const double cx = boxes[4 * query];
        const double cy = boxes[4 * query + 1];
        const double bw = boxes[4 * query + 2];
        const double bh = boxes[4 * query + 3];
        if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(bw) || !std::isfinite(bh)) continue;
        Cluster cluster;
        cluster.id = static_cast<int>(clusters.size());
        cluster.label = DocLabels::modelOrder()[k % classCount];
        cluster.bbox = {clampToPage((cx - bw / 2) * w * (pageWidth / w), pageWidth),
                        clampToPage((cy - bh / 2) * h * (pageHeight / h), pageHeight),
                        clampToPage((cx + bw / 2) * w * (pageWidth / w), pageWidth),
                        clampToPage((cy + bh / 2) * h * (pageHeight / h), pageHeight)};
        cluster.confidence = score;
        clusters.push_back(std::move(cluster));
    }
    return clusters;
}

}  // namespace ce
