#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/BoxArt.h"

using namespace ce;

namespace {

Cluster cluster(int id, DocLabel label, BBox box, std::vector<std::string> texts, double confidence = 0.5) {
    Cluster c;
    c.id = id;
    c.label = label;
    c.bbox = box;
    c.confidence = confidence;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        c.cells.push_back(TextCell{static_cast<int>(k), texts[k], box, 1.0, false});
    }
    return c;
}

Cluster rule(int id, double top, std::vector<std::string> texts = {"+------+"}, double l = 0, double r = 100) {
    return cluster(id, DocLabel::text, {l, top, r, top + 10}, std::move(texts));
}

TEST(IsRuleLine, CellTextsAtAndAroundTheThresholds) {
    const struct {
        const char* text;
        bool rule;
    } cases[] = {
        {"+--+", true},
        {"|a|", true},
        {"  |cell|  ", true},
        {"++", true},
        {"|", false},
        {"-------", false},        // seven rule characters: too short
        {"--------", true},        // eight
        {"------ab", false},       // 6 of 8 rule characters: below 80 %
        {"-------a", true},        // 7 of 8
        {"=======ab_", true},      // 8 of 10: exactly 80 %
        {"======abc_", false},     // 7 of 10
        {"\xE2\x80\x94\xE2\x80\x94\xE2\x80\x93\xE2\x80\x93\xE2\x88\x92\xE2\x88\x92__", true},
        {"-\xCC\x81-------", true},  // 7 of 8 characters: the accented dash is not a rule character
        {"-\xCC\x81------", false},   // 6 of 7 characters: too short
        {"abcdefgh", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PageAssembler::isRuleLine(cluster(1, DocLabel::text, {0, 0, 10, 10}, {c.text})), c.rule);
    }
}

TEST(IsRuleLine, LabelsAndCells) {
    const BBox box{0, 0, 10, 10};
    EXPECT_TRUE(PageAssembler::isRuleLine(cluster(1, DocLabel::code, box, {"--------"})));
    EXPECT_TRUE(PageAssembler::isRuleLine(cluster(1, DocLabel::listItem, box, {"--------"})));
    EXPECT_FALSE(PageAssembler::isRuleLine(cluster(1, DocLabel::table, box, {"--------"})));
    EXPECT_FALSE(PageAssembler::isRuleLine(cluster(1, DocLabel::sectionHeader, box, {"--------"})));
    EXPECT_FALSE(PageAssembler::isRuleLine(cluster(1, DocLabel::text, box, {})));
    EXPECT_FALSE(PageAssembler::isRuleLine(cluster(1, DocLabel::text, box, {"|a|", "plain words"})));
}

std::vector<int> ids(const std::vector<Cluster>& clusters) {
    std::vector<int> out;
    for (const auto& c : clusters) out.push_back(c.id);
    return out;
}

TEST(MergeBoxArt, RunsThatLineUpBecomeOneCodeCluster) {
    // Input order is not top order: ids 7, 3, 5 from top to bottom after sorting.
    const std::vector<Cluster> clusters = {
        rule(5, 20, {"|a  |"}),
        cluster(9, DocLabel::text, {0, 100, 100, 110}, {"Body text"}),
        rule(3, 10, {"|b  |"}),
        rule(7, 0, {"+---+"}),
    };
    auto merged = clusters;
    merged[0].confidence = 0.9;
    const auto result = PageAssembler::mergeBoxArt(merged);
    ASSERT_EQ(ids(result), (std::vector<int>{3, 9}));
    const Cluster& code = result[0];
    EXPECT_EQ(code.label, DocLabel::code);
    EXPECT_EQ(code.bbox, (BBox{0, 0, 100, 30}));
    EXPECT_DOUBLE_EQ(code.confidence, 0.9);
    ASSERT_EQ(code.cells.size(), 3u);
    EXPECT_EQ(code.cells[0].text, "+---+");  // run order: top to bottom
    EXPECT_EQ(code.cells[2].text, "|a  |");
    EXPECT_EQ(result[1].cells[0].text, "Body text");
}

TEST(MergeBoxArt, RunsThatStayUnchanged) {
    const struct {
        const char* name;
        std::vector<Cluster> clusters;
        std::vector<int> ids;  // result ids; the input when nothing merged
    } cases[] = {
        // Gap of three cell heights: two runs of one cluster each.
        {"gapTooLarge", {rule(1, 0), rule(2, 40), rule(3, 80)}, {1, 2, 3}},
        // Gap of exactly two cell heights still lines up.
        {"gapAtLimit", {rule(1, 0), rule(2, 30), rule(3, 60)}, {1}},
        // Horizontal overlap below 80 % of the narrower width.
        {"shiftedSideways", {rule(1, 0), rule(2, 10, {"+--+"}, 25, 125), rule(3, 20, {"+--+"}, 50, 150)}, {1, 2, 3}},
        {"overlapAtLimit", {rule(1, 0), rule(2, 10, {"+--+"}, 20, 120), rule(3, 20, {"+--+"}, 20, 120)}, {1}},
        // Two clusters holding two cells in all are too few to merge; three cells are enough.
        {"twoCells", {rule(1, 0), rule(2, 10)}, {1, 2}},
        {"threeCells", {rule(1, 0), rule(2, 10, {"|a|", "|b|"})}, {1}},
        // A cluster that is not box art breaks the run even when it lies in between.
        {"interrupted",
         {rule(1, 0), cluster(2, DocLabel::text, {0, 10, 100, 20}, {"words"}), rule(3, 20)},
         {1, 2, 3}},
        {"empty", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = PageAssembler::mergeBoxArt(c.clusters);
        EXPECT_EQ(ids(result), c.ids);
    }
}

TEST(MergeBoxArt, UnchangedInputKeepsItsOrder) {
    const std::vector<Cluster> clusters = {rule(4, 50), cluster(2, DocLabel::text, {0, 0, 9, 9}, {"x"}), rule(1, 90)};
    EXPECT_EQ(ids(PageAssembler::mergeBoxArt(clusters)), (std::vector<int>{4, 2, 1}));
}

}  // namespace
