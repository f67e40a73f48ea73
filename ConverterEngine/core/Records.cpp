#include "core/Records.h"

namespace ce {

namespace {

// The enumeration case of a raw-value string; an unknown string or a non-string fails.
template <typename Enum, typename FromRaw>
Enum fromRaw(const nlohmann::json& in, FromRaw fromRawValue, const char* type) {
    const auto raw = in.get<std::string>();
    const auto value = fromRawValue(raw);
    if (!value) throw RecordError(std::string("bad record: unknown ") + type + " \"" + raw + "\"");
    return *value;
}

// Clusters nest one level in practice; a record nested deeper than this is refused before
// reading it could run out of stack.
constexpr int maxClusterDepth = 64;
thread_local int clusterDepth = 0;

}  // namespace

void to_json(nlohmann::json& out, const BBox& box) { out = {{"l", box.l}, {"t", box.t}, {"r", box.r}, {"b", box.b}}; }

void from_json(const nlohmann::json& in, BBox& box) {
    box = {in.at("l").get<double>(), in.at("t").get<double>(), in.at("r").get<double>(), in.at("b").get<double>()};
}

void to_json(nlohmann::json& out, DocLabel label) { out = DocLabels::rawValue(label); }

void from_json(const nlohmann::json& in, DocLabel& label) {
    label = fromRaw<DocLabel>(in, DocLabels::fromRawValue, "label");
}

void to_json(nlohmann::json& out, ConversionOptions::Language language) { out = Languages::rawValue(language); }

void from_json(const nlohmann::json& in, ConversionOptions::Language& language) {
    language = fromRaw<ConversionOptions::Language>(in, Languages::fromRawValue, "language");
}

void to_json(nlohmann::json& out, OutputFormat format) { out = OutputFormats::rawValue(format); }

void from_json(const nlohmann::json& in, OutputFormat& format) {
    format = fromRaw<OutputFormat>(in, OutputFormats::fromRawValue, "output format");
}

void to_json(nlohmann::json& out, const TextCell& cell) {
    out = {{"index", cell.index},
           {"text", cell.text},
           {"bbox", cell.bbox},
           {"confidence", cell.confidence},
           {"fromOCR", cell.fromOCR}};
}

void from_json(const nlohmann::json& in, TextCell& cell) {
    cell.index = in.at("index").get<int>();
    cell.text = in.at("text").get<std::string>();
    cell.bbox = in.at("bbox").get<BBox>();
    cell.confidence = in.at("confidence").get<double>();
    cell.fromOCR = in.at("fromOCR").get<bool>();
}

void to_json(nlohmann::json& out, const Cluster& cluster) {
    out = {{"id", cluster.id},
           {"label", cluster.label},
           {"bbox", cluster.bbox},
           {"confidence", cluster.confidence},
           {"cells", cluster.cells},
           {"children", cluster.children}};
}

void from_json(const nlohmann::json& in, Cluster& cluster) {
    if (clusterDepth >= maxClusterDepth) throw RecordError("bad record: clusters nested too deep");
    struct Depth {
        Depth() { ++clusterDepth; }
        ~Depth() { --clusterDepth; }
    } depth;
    cluster.id = in.at("id").get<int>();
    cluster.label = in.at("label").get<DocLabel>();
    cluster.bbox = in.at("bbox").get<BBox>();
    cluster.confidence = in.at("confidence").get<double>();
    cluster.cells = in.at("cells").get<std::vector<TextCell>>();
    cluster.children = in.at("children").get<std::vector<Cluster>>();
}

void to_json(nlohmann::json& out, const LayoutRegion& region) {
    out = {{"id", region.id}, {"label", region.label}, {"bbox", region.bbox}, {"confidence", region.confidence}};
}

void from_json(const nlohmann::json& in, LayoutRegion& region) {
    region.id = in.at("id").get<int>();
    region.label = in.at("label").get<DocLabel>();
    region.bbox = in.at("bbox").get<BBox>();
    region.confidence = in.at("confidence").get<double>();
}

void to_json(nlohmann::json& out, const TableCellItem& cell) {
    out = {{"text", cell.text},         {"startRow", cell.startRow},   {"endRow", cell.endRow},
           {"startCol", cell.startCol}, {"endCol", cell.endCol},       {"columnHeader", cell.columnHeader},
           {"rowHeader", cell.rowHeader}, {"rowSection", cell.rowSection}};
    if (cell.bbox) out["bbox"] = *cell.bbox;
}

void from_json(const nlohmann::json& in, TableCellItem& cell) {
    const auto box = in.find("bbox");
    cell.bbox = box == in.end() ? std::nullopt : std::optional<BBox>(box->get<BBox>());
    cell.text = in.at("text").get<std::string>();
    cell.startRow = in.at("startRow").get<int>();
    cell.endRow = in.at("endRow").get<int>();
    cell.startCol = in.at("startCol").get<int>();
    cell.endCol = in.at("endCol").get<int>();
    cell.columnHeader = in.at("columnHeader").get<bool>();
    cell.rowHeader = in.at("rowHeader").get<bool>();
    cell.rowSection = in.at("rowSection").get<bool>();
}

void to_json(nlohmann::json& out, const TableStructure& table) {
    out = {{"clusterID", table.clusterID},
           {"otsl", table.otsl},
           {"numRows", table.numRows},
           {"numCols", table.numCols},
           {"cells", table.cells}};
}

void from_json(const nlohmann::json& in, TableStructure& table) {
    table.clusterID = in.at("clusterID").get<int>();
    table.otsl = in.at("otsl").get<std::vector<std::string>>();
    table.numRows = in.at("numRows").get<int>();
    table.numCols = in.at("numCols").get<int>();
    table.cells = in.at("cells").get<std::vector<TableCellItem>>();
}

}  // namespace ce
