#include "models/Model.h"

#include <algorithm>

namespace ce {

namespace {
const FeatureDescription* find(const std::vector<FeatureDescription>& features, std::string_view name) {
    auto it = std::find_if(features.begin(), features.end(), [&](const auto& f) { return f.name == name; });
    return it == features.end() ? nullptr : &*it;
}
}  // namespace

const FeatureDescription* Model::input(std::string_view name) const { return find(inputs(), name); }
const FeatureDescription* Model::output(std::string_view name) const { return find(outputs(), name); }

}  // namespace ce
