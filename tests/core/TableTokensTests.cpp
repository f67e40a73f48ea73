#include <gtest/gtest.h>

#include "core/TableTokens.h"

using namespace ce;

namespace {
TextCell cell(int index, const char* text, BBox box) { return {index, text, box, 1.0, false}; }

Cluster tableCluster() {
    Cluster c;
    c.label = DocLabel::table;
    c.bbox = {0, 0, 100, 100};
    c.cells = {cell(0, "own", {10, 10, 20, 20}), cell(1, " ", {30, 30, 40, 40})};
    return c;
}
}  // namespace

TEST(TableTokens, KeepsCellsMoreThanEightyPercentInside) {
    const std::vector<TextCell> table = {cell(0, "in", {97, 0, 117, 10}),    // 3/20 inside: dropped
                                         cell(1, "most", {83, 0, 103, 10}),  // 17/20 = 85 %: kept
                                         cell(2, "edge", {84, 0, 104, 10}),  // 16/20 = 80 %: dropped
                                         cell(3, "flat", {10, 50, 20, 50})}; // zero height: dropped
    const auto tokens = TableTokenChoice::tableTokens(tableCluster(), table, {}, true, TableTokens::lines);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, "most");
}

TEST(TableTokens, SourceListDependsOnPageAndChoice) {
    const std::vector<TextCell> words = {cell(0, "word", {10, 10, 20, 20})};
    const std::vector<TextCell> segments = {cell(0, "segment", {10, 10, 30, 20})};
    const Cluster table = tableCluster();
    struct Case {
        bool fromLayer;
        TableTokens choice;
        const char* expected;
    } cases[] = {{true, TableTokens::lines, "word"},     {true, TableTokens::segments, "word"},
                 {false, TableTokens::words, "word"},    {false, TableTokens::segments, "segment"},
                 {false, TableTokens::lines, "own"}};
    for (const Case& c : cases) {
        const auto tokens = TableTokenChoice::tableTokens(table, words, segments, c.fromLayer, c.choice);
        ASSERT_EQ(tokens.size(), 1u);  // the blank own cell " " never survives the fallback
        EXPECT_EQ(tokens[0].text, c.expected);
    }
}

TEST(TableTokens, FallsBackToOwnCellsWhenNothingIsInside) {
    const std::vector<TextCell> outside = {cell(0, "far", {200, 200, 210, 210})};
    const auto tokens = TableTokenChoice::tableTokens(tableCluster(), outside, {}, true, TableTokens::words);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, "own");
}
