#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/RegionLabels.h"
#include "models/DetectionFixtures.h"

using namespace ce;
using ce::testing::addLine;
using ce::testing::detection;

namespace {

std::vector<DocLabel> labelsOf(const std::vector<Cluster>& clusters) {
    std::vector<DocLabel> labels;
    for (const Cluster& cluster : clusters) labels.push_back(cluster.label);
    return labels;
}

}  // namespace

// One region detected under several labels keeps the label the model is surest of, when
// that label passes its threshold; boxes of different regions are all kept.
TEST(RegionLabels, SameRegionKeepsTheMostConfidentLabel) {
    struct Case {
        std::string name;
        std::vector<Cluster> detections;
        std::vector<DocLabel> expected;
    };
    const BBox item{72.5, 422.2, 339.3, 435.5};
    const std::vector<Case> cases = {
        {"NumberedItemAlsoText",
         {detection(1, DocLabel::listItem, item, 0.66), detection(2, DocLabel::text, {78.4, 421.9, 340.1, 434.9}, 0.55)},
         {DocLabel::listItem}},
        {"CaptionAlsoHeadingAndText",
         {detection(1, DocLabel::sectionHeader, {67.0, 173.7, 318.3, 183.5}, 0.49),
          detection(2, DocLabel::caption, {67.9, 174.3, 318.2, 182.9}, 0.73),
          detection(3, DocLabel::text, {68.2, 174.1, 320.1, 183.9}, 0.40)},
         {DocLabel::caption}},
        {"MostConfidentBelowItsThreshold",
         {detection(1, DocLabel::listItem, item, 0.48), detection(2, DocLabel::sectionHeader, item, 0.46)},
         {DocLabel::listItem, DocLabel::sectionHeader}},
        {"TableOverTextStays",
         {detection(1, DocLabel::table, item, 0.9), detection(2, DocLabel::text, item, 0.6)},
         {DocLabel::table, DocLabel::text}},
        {"NeighbouringLinesStay",
         {detection(1, DocLabel::listItem, item, 0.66),
          detection(2, DocLabel::text, {72.5, 440.0, 339.3, 453.0}, 0.55)},
         {DocLabel::listItem, DocLabel::text}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(labelsOf(RegionLabels::corrected(c.detections, {})), c.expected);
    }
}

// A heading that opens with a caption label is the caption of the table or picture right
// next to it; the same text far from any table, or a plain heading, stays a heading.
TEST(RegionLabels, CaptionLabelledHeadings) {
    struct Case {
        std::string name;
        std::string text;
        BBox table;
        DocLabel expected;
    };
    const std::vector<Case> cases = {
        {"TableBelow", "Table 3. Staff by department", {50, 180, 530, 300}, DocLabel::caption},
        {"TableAbove", "Table 3: Staff by department", {50, 40, 530, 150}, DocLabel::caption},
        {"TableFarBelow", "Table 3. Staff by department", {50, 400, 530, 500}, DocLabel::sectionHeader},
        {"PlainHeading", "Tables of staff", {50, 180, 530, 300}, DocLabel::sectionHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines;
        addLine(lines, c.text, {62, 157, 215, 169});
        const std::vector<Cluster> detections = {detection(1, DocLabel::sectionHeader, {60, 156, 225, 170}, 0.7),
                                                 detection(2, DocLabel::table, c.table, 0.9)};
        const std::vector<Cluster> result = RegionLabels::corrected(detections, lines);
        ASSERT_EQ(result.size(), 2u);
        EXPECT_EQ(result[0].label, c.expected);
        EXPECT_EQ(result[1].label, DocLabel::table);
    }
}

// A table or contents detection over one column of running prose is text; a real
// contents list (entries ending in page numbers) and a table with columns stay.
TEST(RegionLabels, OneColumnOfProseIsText) {
    struct Case {
        std::string name;
        DocLabel label;
        void (*fill)(std::vector<TextCell>&);
        DocLabel expected;
    };
    const std::vector<Case> cases = {
        {"ProseAsIndex", DocLabel::documentIndex,
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 8; ++k)
                 addLine(l, "the members voted on the plan at the annual meeting", {60, 100.0 + k * 14, 540, 110.0 + k * 14});
         },
         DocLabel::text},
        {"ProseAsTable", DocLabel::table,
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 5; ++k)
                 addLine(l, "I/we kept the assets and sold some of them later", {60, 100.0 + k * 14, 540, 110.0 + k * 14});
         },
         DocLabel::text},
        {"ContentsList", DocLabel::documentIndex,
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 8; ++k)
                 addLine(l, "Review of the year and of the outlook 12", {60, 100.0 + k * 14, 540, 110.0 + k * 14});
         },
         DocLabel::documentIndex},
        {"TableWithColumns", DocLabel::table,
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 5; ++k) {
                 addLine(l, "the members voted on the plan at the meeting", {60, 100.0 + k * 14, 300, 110.0 + k * 14});
                 addLine(l, "48,210", {450, 100.0 + k * 14, 540, 110.0 + k * 14});
             }
         },
         DocLabel::table},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines;
        c.fill(lines);
        const std::vector<Cluster> result =
            RegionLabels::corrected({detection(1, c.label, {55, 95, 545, 230}, 0.5)}, lines);
        ASSERT_EQ(result.size(), 1u);
        EXPECT_EQ(result[0].label, c.expected);
    }
}
