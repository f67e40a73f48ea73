// The engine's view of one loaded machine-learning model: named, typed and shaped
// inputs and outputs, the creator's metadata, and a prediction from input arrays
// to output arrays by name. The libtorch implementation lives in platform/; the
// rest of the engine sees only this interface.
//
// An input of kind `image` takes a pixel buffer: uint8 [1, H, W, 4] holding the
// bytes B, G, R, 255 of each pixel, rows top to bottom. A `multiArray` input takes
// an array of the declared element type (float32 image inputs are planar RGB
// [1, 3, H, W] with values 0...255; normalisation lives inside the model).
//
// predict() may be called from several threads; callers that share a model
// serialise its use themselves (ModelSet's locks).
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/ComputeUnits.h"
#include "models/MultiArray.h"

namespace ce {

enum class FeatureKind { multiArray, image };

struct FeatureDescription {
    std::string name;
    FeatureKind kind = FeatureKind::multiArray;
    ElementType type = ElementType::float32;
    std::vector<std::int64_t> shape;  // -1 marks a dimension that varies between calls
};

using FeatureValues = std::map<std::string, MultiArray, std::less<>>;

// A model that cannot be read, compiled or run; the text names the model and the cause.
class ModelRuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Model {
public:
    virtual ~Model() = default;

    virtual const std::string& name() const = 0;
    virtual const std::vector<FeatureDescription>& inputs() const = 0;
    virtual const std::vector<FeatureDescription>& outputs() const = 0;
    // Creator-defined entries (for example "word_map_tag"), each as text.
    virtual const std::map<std::string, std::string, std::less<>>& metadata() const = 0;
    // The processing units the model was asked to use (recorded; the CPU runs it).
    virtual ComputeUnits computeUnits() const = 0;
    // Runs the model; throws ModelRuntimeError when an input is missing or the run fails.
    virtual FeatureValues predict(const FeatureValues& inputs) const = 0;

    // The input or output of that name, or nullptr.
    const FeatureDescription* input(std::string_view name) const;
    const FeatureDescription* output(std::string_view name) const;
};

}  // namespace ce
