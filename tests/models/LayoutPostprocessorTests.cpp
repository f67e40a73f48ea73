#include <gtest/gtest.h>

#include "models/LayoutPostprocessor.h"
#include "models/LayoutRun.h"

namespace ce {
namespace {

using layout::Node;
using layout::Nodes;
using layout::OverlapKind;
using layout::Run;

Cluster detection(int id, DocLabel label, BBox box, double confidence = 0.9) {
    Cluster c;
    c.id = id;
    c.label = label;
    c.bbox = box;
    c.confidence = confidence;
    return c;
}

TextCell cell(int index, BBox box, std::string text = "word") {
    TextCell c;
    c.index = index;
    c.text = std::move(text);
    c.bbox = box;
    c.confidence = 0.75;
    return c;
}

LayoutPostprocessor::Result process(std::vector<Cluster> clusters, std::vector<TextCell> cells,
                                    double width = 600, double height = 800) {
    return LayoutPostprocessor{width, height, std::move(cells), std::move(clusters)}.process();
}

const Cluster* withID(const std::vector<Cluster>& clusters, int id) {
    for (const Cluster& c : clusters) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::vector<int> ids(const std::vector<Cluster>& clusters) {
    std::vector<int> result;
    for (const Cluster& c : clusters) result.push_back(c.id);
    return result;
}

std::vector<int> cellIndexes(const Cluster& cluster) {
    std::vector<int> result;
    for (const TextCell& c : cluster.cells) result.push_back(c.index);
    return result;
}

TEST(LayoutPostprocessorTest, ThresholdsAndTitleRelabelling) {
    const auto result = process({detection(0, DocLabel::title, {0, 0, 100, 20}, 0.45),
                                 detection(1, DocLabel::text, {0, 50, 100, 70}, 0.49),
                                 detection(2, DocLabel::code, {0, 100, 100, 120}, 0.44)},
                                {cell(0, {10, 5, 90, 15}), cell(1, {10, 55, 90, 65}), cell(2, {10, 105, 90, 115})});
    ASSERT_EQ(result.clusters.size(), 3u);
    EXPECT_EQ(result.clusters[0].label, DocLabel::sectionHeader);
    EXPECT_EQ(result.clusters[0].id, 0);
    // The weak text and code detections are dropped; their cells become text regions of their own.
    EXPECT_EQ(ids(result.clusters), (std::vector<int>{0, 3, 4}));
    EXPECT_EQ(result.clusters[1].label, DocLabel::text);
    EXPECT_EQ(result.clusters[1].bbox, (BBox{10, 55, 90, 65}));
    EXPECT_EQ(result.clusters[1].confidence, 0.75);
}

TEST(LayoutPostprocessorTest, CellAssignmentRules) {
    // Cell 0: both regions cover it fully, so the first one takes it. Cell 1: covered exactly 0.2 by
    // the first region, so nobody takes it. Cell 2 is blank. Cell 3 has zero area.
    const auto result = process(
        {detection(0, DocLabel::text, {0, 0, 100, 100}), detection(1, DocLabel::listItem, {0, 0, 100, 100})},
        {cell(0, {10, 10, 20, 20}), cell(1, {90, 50, 140, 60}), cell(2, {30, 30, 40, 40}, " \u001f\u3000"),
         cell(3, {200, 200, 200, 210})});
    ASSERT_NE(withID(result.clusters, 0), nullptr);
    EXPECT_EQ(cellIndexes(*withID(result.clusters, 0)), (std::vector<int>{0}));
    EXPECT_EQ(withID(result.clusters, 1), nullptr);  // held no cells
    ASSERT_EQ(result.clusters.size(), 3u);
    EXPECT_EQ(cellIndexes(result.clusters[1]), (std::vector<int>{1}));
    EXPECT_EQ(result.clusters[2].bbox, (BBox{200, 200, 200, 210}));  // the zero-area cell, on its own
    EXPECT_EQ(result.cells.size(), 4u);
}

TEST(LayoutPostprocessorTest, OrphanTextRegionsAreNumberedAfterTheLargestInputID) {
    std::vector<Cluster> weak;
    for (int id = 0; id < 10; ++id) weak.push_back(detection(id, DocLabel::text, {0, 0, 10, 10}, 0.1));
    const auto result = process(weak, {cell(0, {0, 0, 50, 10}), cell(1, {0, 20, 50, 30}), cell(2, {0, 40, 50, 50})});
    EXPECT_EQ(ids(result.clusters), (std::vector<int>{10, 11, 12}));

    // Without any detection every text cell still becomes a text region.
    const auto bare = process({}, {cell(0, {0, 0, 50, 10}), cell(1, {0, 20, 50, 30}, "")});
    EXPECT_EQ(ids(bare.clusters), (std::vector<int>{1}));
}

TEST(LayoutPostprocessorTest, WithoutCellsOnlyFormulasAndSpecialRegionsRemain) {
    const auto result = process({detection(0, DocLabel::text, {0, 0, 100, 100}),
                                 detection(1, DocLabel::formula, {0, 300, 100, 320}),
                                 detection(2, DocLabel::picture, {200, 200, 300, 300}),
                                 detection(3, DocLabel::table, {200, 100, 300, 150})},
                                {});
    // Regions without cells are ordered by top, then left.
    EXPECT_EQ(ids(result.clusters), (std::vector<int>{3, 2, 1}));
}

TEST(LayoutPostprocessorTest, RegionsWithCellsComeFirstInCellOrder) {
    const auto result = process({detection(0, DocLabel::picture, {0, 0, 50, 50}),
                                 detection(1, DocLabel::text, {0, 400, 100, 420}),
                                 detection(2, DocLabel::text, {0, 300, 100, 320})},
                                {cell(0, {0, 402, 100, 418}), cell(1, {0, 302, 100, 318})});
    EXPECT_EQ(ids(result.clusters), (std::vector<int>{1, 2, 0}));
}

// Overlap resolution over hand-made nodes of one kind.
class OverlapTest : public ::testing::Test {
protected:
    // Builds a run whose indexes hold the given detections and returns the nodes of the
    // requested kind, each given one cell of its own.
    Nodes nodes(std::vector<Cluster> clusters, OverlapKind kind) {
        run = std::make_unique<layout::Run>(600, 800, noCells, clusters);
        Nodes list;
        if (kind == OverlapKind::regular) {
            list = run->regularClusters;
        } else {
            list = run->specialClusters;
        }
        int index = 0;
        for (const auto& node : list) node->cells = {cell(index++, node->bbox)};
        return list;
    }
    std::vector<TextCell> noCells;
    std::unique_ptr<layout::Run> run;
};

TEST_F(OverlapTest, ConfidenceMarginsDecideBetweenEqualBoxes) {
    struct Case {
        OverlapKind kind;
        DocLabel label;
        double second;  // confidence of the second node; the first has 0.5
        int winner;
    };
    const Case cases[] = {
        {OverlapKind::regular, DocLabel::text, 0.54, 0},     {OverlapKind::regular, DocLabel::text, 0.56, 1},
        {OverlapKind::picture, DocLabel::picture, 0.79, 0},  {OverlapKind::picture, DocLabel::picture, 0.81, 1},
        {OverlapKind::wrapper, DocLabel::table, 0.69, 0},    {OverlapKind::wrapper, DocLabel::table, 0.71, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "second " << c.second);
        const BBox box{0, 0, 100, 100};
        Nodes list = nodes({detection(0, c.label, box, 0.5), detection(1, c.label, box, c.second)}, c.kind);
        const Nodes result = run->resolveOverlaps(list, c.kind);
        ASSERT_EQ(result.size(), 1u);
        EXPECT_EQ(result[0]->id, c.winner);
        EXPECT_EQ(result[0]->cells.size(), 2u);  // the winner takes the loser's cells
    }
}

TEST_F(OverlapTest, OverlapThresholds) {
    struct Case {
        const char* what;
        BBox second;
        bool merged;
    };
    const Case cases[] = {
        {"80 % of each inside the other", {0, 20, 100, 120}, false},
        {"81 % of each inside the other", {0, 19, 100, 119}, true},
        {"second inside the first", {0, 0, 50, 50}, true},
        {"touching", {100, 0, 200, 100}, false},
        {"apart", {200, 0, 300, 100}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Nodes list = nodes({detection(0, DocLabel::text, {0, 0, 100, 100}), detection(1, DocLabel::text, c.second)},
                           OverlapKind::regular);
        EXPECT_EQ(run->resolveOverlaps(list, OverlapKind::regular).size(), c.merged ? 1u : 2u);
    }
}

TEST_F(OverlapTest, CodeAndListItemPreferences) {
    Node code{0, DocLabel::code, {0, 0, 100, 100}, 0.1, {}, {}};
    Node text{1, DocLabel::text, {10, 10, 90, 90}, 0.99, {}, {}};
    EXPECT_TRUE(Run::prefers(code, text, OverlapKind::regular));  // covers it whatever the confidences
    Node list{2, DocLabel::listItem, {0, 0, 100, 100}, 0.1, {}, {}};
    Node big{3, DocLabel::text, {0, 0, 100, 119}, 0.99, {}, {}};
    Node bigger{4, DocLabel::text, {0, 0, 100, 130}, 0.99, {}, {}};
    EXPECT_TRUE(Run::prefers(list, big, OverlapKind::regular));      // area ratio 0.84
    EXPECT_FALSE(Run::prefers(list, bigger, OverlapKind::regular));  // area ratio 0.77

    // Code and text with the same box, text first.
    for (auto [codeConfidence, textConfidence, winner] : {std::tuple{0.9, 0.6, 0}, std::tuple{0.6, 0.9, 1}}) {
        Nodes pair = nodes({detection(1, DocLabel::text, {0, 0, 100, 100}, textConfidence),
                            detection(0, DocLabel::code, {0, 0, 100, 100}, codeConfidence)},
                           OverlapKind::regular);
        const Nodes result = run->resolveOverlaps(pair, OverlapKind::regular);
        ASSERT_EQ(result.size(), 1u);
        EXPECT_EQ(result[0]->id, winner);
    }
}

TEST(SpecialClustersTest, FullPagePicturesAreDropped) {
    for (auto [bottom, kept] : {std::pair{90.0, true}, std::pair{90.1, false}}) {
        const auto result = process({detection(0, DocLabel::picture, {0, 0, 100, bottom}, 0.99)}, {}, 100, 100);
        EXPECT_EQ(result.clusters.size(), kept ? 1u : 0u) << bottom;
    }
}

TEST(SpecialClustersTest, DuplicatesAcrossKinds) {
    struct Case {
        DocLabel first;
        double firstConfidence;
        double tableConfidence;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {DocLabel::picture, 0.7, 0.65, {1}},
        {DocLabel::picture, 0.8, 0.65, {1, 0}},
        {DocLabel::form, 0.7, 0.65, {1}},
        {DocLabel::form, 0.8, 0.65, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstConfidence);
        const auto result = process({detection(0, c.first, {10, 10, 100, 100}, c.firstConfidence),
                                     detection(1, DocLabel::table, {10, 10, 100, 100}, c.tableConfidence)},
                                    {});
        std::vector<int> found = ids(result.clusters);
        std::sort(found.begin(), found.end(), std::greater<>());
        EXPECT_EQ(found, c.expected);
    }
}

TEST(SpecialClustersTest, EqualTablesKeepTheWinnerOfTheWrapperMargin) {
    for (auto [second, winner] : {std::pair{0.8, 1}, std::pair{0.65, 0}}) {
        const auto result = process({detection(0, DocLabel::table, {10, 10, 100, 100}, 0.5),
                                     detection(1, DocLabel::table, {10, 10, 100, 100}, second)},
                                    {});
        ASSERT_EQ(result.clusters.size(), 1u);
        EXPECT_EQ(result.clusters[0].id, winner);
    }
}

TEST(SpecialClustersTest, ChildrenOfTablesLeaveTheTopLevelChildrenOfFormsStay) {
    // Text 1 lies 85 % inside the table, text 3 85 % inside the form.
    const auto result = process({detection(0, DocLabel::table, {0, 20, 100, 100}),
                                 detection(1, DocLabel::text, {10, 17, 30, 37}),
                                 detection(2, DocLabel::form, {200, 20, 300, 100}),
                                 detection(3, DocLabel::text, {210, 17, 230, 37})},
                                {cell(0, {10, 17, 30, 37}), cell(1, {210, 17, 230, 37})});
    EXPECT_EQ(withID(result.clusters, 1), nullptr);
    ASSERT_NE(withID(result.clusters, 0), nullptr);
    EXPECT_EQ(ids(withID(result.clusters, 0)->children), (std::vector<int>{1}));
    EXPECT_EQ(cellIndexes(*withID(result.clusters, 0)), (std::vector<int>{0}));
    ASSERT_NE(withID(result.clusters, 3), nullptr);
    const Cluster* form = withID(result.clusters, 2);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(ids(form->children), (std::vector<int>{3}));
    EXPECT_EQ(form->bbox, (BBox{210, 17, 230, 37}));  // a form's box spans its children
}

TEST(SpecialClustersTest, FormsTakeTablesAndTextsWithTheUnionOfTheirCells) {
    // Two overlapping forms (neither 80 % inside the other) both hold a table and two text
    // regions; the smaller one takes them. Text 3 lies in the table.
    const auto result = process(
        {detection(0, DocLabel::form, {50, 50, 600, 600}), detection(1, DocLabel::keyValueRegion, {0, 0, 300, 300}),
         detection(2, DocLabel::table, {60, 60, 150, 150}), detection(3, DocLabel::text, {70, 70, 140, 90}),
         detection(4, DocLabel::text, {150, 150, 250, 170}), detection(5, DocLabel::text, {120, 200, 280, 220})},
        {cell(1, {150, 150, 250, 170}), cell(3, {120, 200, 280, 220}), cell(5, {70, 70, 140, 90})});
    const Cluster* inner = withID(result.clusters, 1);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(ids(inner->children), (std::vector<int>{4, 5, 2}));  // by smallest cell index; the table holds 5
    EXPECT_EQ(cellIndexes(*inner), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(inner->bbox, (BBox{60, 60, 280, 220}));
    const Cluster* outer = withID(result.clusters, 0);
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(outer->children.empty());
    EXPECT_EQ(outer->bbox, (BBox{50, 50, 600, 600}));
    EXPECT_EQ(withID(result.clusters, 3), nullptr);
    EXPECT_NE(withID(result.clusters, 4), nullptr);
}

TEST(SpecialClustersTest, TablesComeBeforePicturesAmongEqualChildren) {
    // A text region inside both a table and a picture becomes a child of each; in the form
    // that holds the two, the table precedes the picture when their sort keys are equal.
    const auto result = process({detection(0, DocLabel::form, {0, 0, 200, 200}),
                                 detection(1, DocLabel::picture, {10, 10, 50, 50}),
                                 detection(2, DocLabel::table, {10, 10, 100, 100}),
                                 detection(3, DocLabel::text, {20, 20, 40, 40})},
                                {cell(0, {20, 20, 40, 40})});
    EXPECT_EQ(withID(result.clusters, 3), nullptr);
    EXPECT_EQ(ids(withID(result.clusters, 1)->children), (std::vector<int>{3}));
    EXPECT_EQ(ids(withID(result.clusters, 2)->children), (std::vector<int>{3}));
    EXPECT_EQ(ids(withID(result.clusters, 0)->children), (std::vector<int>{2, 1}));
}

}  // namespace
}  // namespace ce
