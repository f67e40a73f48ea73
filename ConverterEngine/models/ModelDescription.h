// The description a model folder carries beside its weights, in "metadata.json":
//     { "inputs":  [ {"name": "image", "kind": "multiArray", "type": "float32",
//                     "shape": [1, 3, 640, 640]} ],
//       "outputs": [ {"name": "logits", "type": "float32", "shape": [1, 300, 17]}, ... ],
//       "optimizeForInference": true,
//       "word_map_tag": { "<pad>": 0, ... } }
// "kind" is "multiArray" (default) or "image"; "type" defaults to float32; -1 in a
// shape marks a varying dimension. "optimizeForInference" (default true) says whether
// the inference optimisation runs after each load. Every other top-level key is
// creator metadata: a string value is kept as it is, any other value as its JSON text.
// The same file sits in a model package and in its compiled copy.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "models/Model.h"

namespace ce {

struct ModelDescription {
    std::vector<FeatureDescription> inputs;
    std::vector<FeatureDescription> outputs;
    bool optimizeForInference = true;
    std::map<std::string, std::string, std::less<>> metadata;

    static constexpr const char* fileName = "metadata.json";

    // Throws ModelRuntimeError naming the file when it is missing or malformed.
    static ModelDescription read(const std::filesystem::path& modelFolder);
    // Writes metadata.json into the folder; metadata texts that hold JSON objects or
    // arrays are written as JSON, other texts as strings.
    void write(const std::filesystem::path& modelFolder) const;
};

}  // namespace ce
