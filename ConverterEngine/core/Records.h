// The keyed-record form of the engine's plain value types: each type's fields under their
// own names, enumerations as their raw values, a table cell's missing box left out. The
// to_json/from_json pairs let nlohmann::json convert the types directly; decode() turns
// every kind of bad input (wrong type, missing key, unknown raw value) into a RecordError.
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "core/BBox.h"
#include "core/Cluster.h"
#include "core/ConversionOptions.h"
#include "core/DocLabel.h"
#include "core/LayoutRegion.h"
#include "core/TableStructure.h"
#include "core/TextCell.h"

namespace ce {

struct RecordError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void to_json(nlohmann::json& out, const BBox& box);
void from_json(const nlohmann::json& in, BBox& box);
void to_json(nlohmann::json& out, DocLabel label);
void from_json(const nlohmann::json& in, DocLabel& label);
void to_json(nlohmann::json& out, ConversionOptions::Language language);
void from_json(const nlohmann::json& in, ConversionOptions::Language& language);
void to_json(nlohmann::json& out, OutputFormat format);
void from_json(const nlohmann::json& in, OutputFormat& format);
void to_json(nlohmann::json& out, const TextCell& cell);
void from_json(const nlohmann::json& in, TextCell& cell);
void to_json(nlohmann::json& out, const Cluster& cluster);
void from_json(const nlohmann::json& in, Cluster& cluster);
void to_json(nlohmann::json& out, const LayoutRegion& region);
void from_json(const nlohmann::json& in, LayoutRegion& region);
void to_json(nlohmann::json& out, const TableCellItem& cell);
void from_json(const nlohmann::json& in, TableCellItem& cell);
void to_json(nlohmann::json& out, const TableStructure& table);
void from_json(const nlohmann::json& in, TableStructure& table);

namespace Records {

// The value read from `record`; throws RecordError naming what is wrong.
template <typename T>
T decode(const nlohmann::json& record) {
    try {
        return record.get<T>();
    } catch (const nlohmann::json::exception& error) {
        throw RecordError(std::string("bad record: ") + error.what());
    }
}

// The value read from JSON text; throws RecordError for text that is not JSON too.
template <typename T>
T decode(const std::string& text) {
    nlohmann::json record;
    try {
        record = nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& error) {
        throw RecordError(std::string("bad record: ") + error.what());
    }
    return decode<T>(record);
}

}  // namespace Records

}  // namespace ce
