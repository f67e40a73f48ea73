#include "models/ModelDescription.h"

#include <array>
#include <fstream>
#include <optional>

#include <nlohmann/json.hpp>

namespace ce {

namespace {

using nlohmann::json;

constexpr std::array<ElementType, 7> elementTypes = {
    ElementType::float16, ElementType::float32, ElementType::float64, ElementType::int32,
    ElementType::int64,   ElementType::uint8,   ElementType::boolean,
};

std::optional<ElementType> elementTypeNamed(std::string_view name) {
    for (ElementType type : elementTypes) {
        if (elementTypeName(type) == name) return type;
    }
    return std::nullopt;
}

FeatureDescription parseFeature(const json& j) {
    FeatureDescription feature;
    feature.name = j.at("name").get<std::string>();
    const std::string kind = j.value("kind", "multiArray");
    if (kind == "image") {
        feature.kind = FeatureKind::image;
        feature.type = ElementType::uint8;
    } else if (kind != "multiArray") {
        throw std::runtime_error("unknown feature kind \"" + kind + "\"");
    }
    if (j.contains("type")) {
        const std::string type = j.at("type").get<std::string>();
        auto parsed = elementTypeNamed(type);
        if (!parsed) throw std::runtime_error("unknown element type \"" + type + "\"");
        feature.type = *parsed;
    }
    if (j.contains("shape")) feature.shape = j.at("shape").get<std::vector<std::int64_t>>();
    return feature;
}

std::vector<FeatureDescription> parseFeatures(const json& root, const char* key) {
    std::vector<FeatureDescription> features;
    if (!root.contains(key)) return features;
    for (const json& j : root.at(key)) features.push_back(parseFeature(j));
    return features;
}

json featureJson(const FeatureDescription& feature) {
    json j = {{"name", feature.name}, {"type", elementTypeName(feature.type)}, {"shape", feature.shape}};
    if (feature.kind == FeatureKind::image) j["kind"] = "image";
    return j;
}

}  // namespace

ModelDescription ModelDescription::read(const std::filesystem::path& modelFolder) {
    const std::filesystem::path file = modelFolder / fileName;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ModelRuntimeError("cannot read " + file.string());
    try {
        const json root = json::parse(in);
        if (!root.is_object()) throw std::runtime_error("not a JSON object");
        ModelDescription description;
        description.inputs = parseFeatures(root, "inputs");
        description.outputs = parseFeatures(root, "outputs");
        description.optimizeForInference = root.value("optimizeForInference", true);
        for (const auto& [key, value] : root.items()) {
            if (key == "inputs" || key == "outputs" || key == "optimizeForInference") continue;
            description.metadata[key] = value.is_string() ? value.get<std::string>() : value.dump();
        }
        return description;
    } catch (const std::exception& error) {
        throw ModelRuntimeError("malformed " + file.string() + ": " + error.what());
    }
}

void ModelDescription::write(const std::filesystem::path& modelFolder) const {
    json root = json::object();
    root["inputs"] = json::array();
    for (const auto& f : inputs) root["inputs"].push_back(featureJson(f));
    root["outputs"] = json::array();
    for (const auto& f : outputs) root["outputs"].push_back(featureJson(f));
    root["optimizeForInference"] = optimizeForInference;
    for (const auto& [key, text] : metadata) {
        json parsed = json::parse(text, nullptr, false);
        root[key] = (!parsed.is_discarded() && (parsed.is_object() || parsed.is_array())) ? parsed : json(text);
    }
    const std::filesystem::path file = modelFolder / fileName;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << root.dump(2) << '\n';
    if (!out) throw ModelRuntimeError("cannot write " + file.string());
}

}  // namespace ce
