#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unordered_set>

#include "core/Records.h"
#include "core/ValueHash.h"

using namespace ce;
using nlohmann::json;

namespace {

struct RecordCase {
    std::string name;
    json encoded;
    json expected;
    std::function<json(const json&)> decodedAgain;  // decode, then encode the result
};

template <typename T>
RecordCase recordCase(std::string name, const T& value, const char* expected) {
    return {std::move(name), json(value), json::parse(expected),
            [](const json& record) { return json(Records::decode<T>(record)); }};
}

TableCellItem headerCell() {
    TableCellItem cell;
    cell.bbox = BBox{1, 2, 3, 4};
    cell.text = "Total";
    cell.startRow = 0;
    cell.endRow = 2;
    cell.startCol = 1;
    cell.endCol = 3;
    cell.columnHeader = true;
    return cell;
}

std::vector<RecordCase> recordCases() {
    TableCellItem boxless;
    boxless.text = "x";
    TableStructure table{7, {"fcel", "lcel", "nl"}, 1, 2, {headerCell()}};
    Cluster picture{3, DocLabel::picture, {0, 0, 10, 10}, 0.5, {}, {}};
    picture.children.push_back({4, DocLabel::text, {1, 1, 2, 2}, 0.75, {{0, "a", {1, 1, 2, 2}, 1, true}}, {}});
    return {
        recordCase("BBox", BBox{1.5, 2, 3, 4.25}, R"({"l":1.5,"t":2,"r":3,"b":4.25})"),
        recordCase("DocLabel", DocLabel::keyValueRegion, R"("key_value_region")"),
        recordCase("Language", ConversionOptions::Language::automatic, R"("auto")"),
        recordCase("OutputFormat", OutputFormat::docx, R"("docx")"),
        recordCase("TextCell", TextCell{2, "caf\u00e9", {1, 2, 3, 4}, 0.9, true},
                   R"({"index":2,"text":"café","bbox":{"l":1,"t":2,"r":3,"b":4},"confidence":0.9,"fromOCR":true})"),
        recordCase("LayoutRegion", LayoutRegion{5, DocLabel::listItem, {0, 0, 1, 1}, 0.25},
                   R"({"id":5,"label":"list_item","bbox":{"l":0,"t":0,"r":1,"b":1},"confidence":0.25})"),
        recordCase("NestedCluster", picture,
                   R"({"id":3,"label":"picture","bbox":{"l":0,"t":0,"r":10,"b":10},"confidence":0.5,"cells":[],
                       "children":[{"id":4,"label":"text","bbox":{"l":1,"t":1,"r":2,"b":2},"confidence":0.75,
                         "cells":[{"index":0,"text":"a","bbox":{"l":1,"t":1,"r":2,"b":2},"confidence":1,"fromOCR":true}],
                         "children":[]}]})"),
        recordCase("TableCellItemWithoutBox", boxless,
                   R"({"text":"x","startRow":0,"endRow":1,"startCol":0,"endCol":1,
                       "columnHeader":false,"rowHeader":false,"rowSection":false})"),
        recordCase("TableStructure", table,
                   R"({"clusterID":7,"otsl":["fcel","lcel","nl"],"numRows":1,"numCols":2,"cells":[
                       {"bbox":{"l":1,"t":2,"r":3,"b":4},"text":"Total","startRow":0,"endRow":2,"startCol":1,
                        "endCol":3,"columnHeader":true,"rowHeader":false,"rowSection":false}]})"),
    };
}

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class RecordRoundTrip : public ::testing::TestWithParam<RecordCase> {};

}  // namespace

// The record holds exactly the type's keys and reads back to the same record.
TEST_P(RecordRoundTrip, KeysAndRoundTrip) {
    const RecordCase& c = GetParam();
    EXPECT_EQ(c.encoded, c.expected);
    EXPECT_EQ(c.decodedAgain(json::parse(c.encoded.dump())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Types, RecordRoundTrip, ::testing::ValuesIn(recordCases()),
                         [](const auto& info) { return info.param.name; });

TEST(RecordsTest, BadInputGivesARecordError) {
    struct Case {
        const char* name;
        std::function<void()> decode;
    };
    json deep = json::parse(R"({"id":0,"label":"text","bbox":{"l":0,"t":0,"r":1,"b":1},"confidence":1,"cells":[],"children":[]})");
    for (int k = 0; k < 200; ++k) {
        json outer = deep;
        outer["children"] = json::array({deep});
        deep = std::move(outer);
    }
    const Case cases[] = {
        {"not json", [] { Records::decode<BBox>(std::string("{\"l\":")); }},
        {"missing key", [] { Records::decode<BBox>(std::string(R"({"l":1,"t":2,"r":3})")); }},
        {"wrong type", [] { Records::decode<TextCell>(std::string(R"({"index":"one"})")); }},
        {"case name is not a raw value", [] { Records::decode<DocLabel>(std::string(R"("listItem")")); }},
        {"unknown language", [] { Records::decode<ConversionOptions::Language>(std::string(R"("fr")")); }},
        {"label not a string", [] { Records::decode<DocLabel>(std::string("3")); }},
        {"clusters nested too deep", [&deep] { Records::decode<Cluster>(deep); }},
    };
    for (const Case& c : cases) EXPECT_THROW(c.decode(), RecordError) << c.name;
}

TEST(RecordsTest, HashesAgreeWithEquality) {
    const TextCell composed{0, "caf\u00e9", {1, 2, 3, 4}, 0.5, false};
    const TextCell decomposed{0, "cafe\u0301", {1, 2, 3, 4}, 0.5, false};
    ASSERT_EQ(composed, decomposed);
    EXPECT_EQ(std::hash<TextCell>{}(composed), std::hash<TextCell>{}(decomposed));
    EXPECT_EQ(std::hash<DocLabel>{}(DocLabel::sectionHeader), std::hash<std::string_view>{}("section_header"));
    const std::unordered_set<LayoutRegion> regions{{1, DocLabel::text, {0, 0, 1, 1}, 0.5},
                                                   {1, DocLabel::text, {0, 0, 1, 1}, 0.5},
                                                   {1, DocLabel::title, {0, 0, 1, 1}, 0.5}};
    EXPECT_EQ(regions.size(), 2u);
    const std::unordered_set<BBox> boxes{{0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 2}};
    EXPECT_EQ(boxes.size(), 2u);
}
