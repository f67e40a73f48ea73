#include "models/LayoutDetector.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/DocLabel.h"
#include "core/EngineError.h"
#include "models/ModelStore.h"

namespace ce {

namespace {

constexpr std::size_t classCount = DocLabels::count;

double clampToPage(double value, double limit) {
    if (value <= 0) return 0;
    return value > limit ? limit : value;
}

}  // namespace

LayoutDetector::LayoutDetector(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits)
    : model_(ModelStore::load("LayoutDetector", modelDirectory, computeUnits)) {}

LayoutDetector::LayoutDetector(std::shared_ptr<const Model> model) : model_(std::move(model)) {}

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
