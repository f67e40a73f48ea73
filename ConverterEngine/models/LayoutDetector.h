// Runs the layout model "LayoutDetector" on a rendered page and returns the raw
// detections as Clusters in page points: label, box and score, no cells and no
// children, in descending score order with ids 0, 1, 2, ... Callers serialise
// detections on one detector (ModelSet::withLayoutDetector); the detector keeps
// no state besides the model.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "core/Cluster.h"
#include "core/ComputeUnits.h"
#include "image/RGBImage.h"
#include "models/Model.h"
#include "models/ModelRuntime.h"

namespace ce {

class LayoutDetector {
public:
    static constexpr int inputSize = 640;
    static constexpr float scoreThreshold = 0.3f;

    // Loads "LayoutDetector" from the folder through ModelStore::load; rethrows its errors.
    LayoutDetector(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits,
                   const ModelRuntime& runtime);
    explicit LayoutDetector(std::shared_ptr<const Model> model);

    const Model& model() const { return *model_; }

    // Detects the regions of a page rendered at any size (one pixel per point is usual):
    // the image is resized bilinearly to 640 × 640 (aspect ratio not kept) and fed to the
    // model's "image" input, as planar float32 RGB in 0...255 ([1, 3, 640, 640]) or as a
    // BGRA pixel buffer when the model declares an image input. Throws
    // EngineError::imageConversion for an empty image, EngineError::modelOutput ("layout")
    // when "logits" or "boxes" is missing, and ModelRuntimeError when the model fails.
    std::vector<Cluster> detect(const RGBImage& pageImage, double pageWidth, double pageHeight) const;

    // Turns the flattened outputs into clusters. `logits` holds Q × 17 class logits
    // (query-major), `boxes` Q × 4 values (cx, cy, w, h, normalised to the image).
    // The image's pixel size and the page size in points place the boxes on the page,
    // clamped to it. Non-finite logits count as not detected and non-finite boxes are
    // skipped; a kept query without its four box values throws EngineError::modelOutput
    // ("layout"). Fewer than 17 logits give no clusters.
    static std::vector<Cluster> decode(std::span<const float> logits, std::span<const float> boxes,
                                       int imageWidth, int imageHeight, double pageWidth, double pageHeight);

private:
    std::shared_ptr<const Model> model_;
};

}  // namespace ce
