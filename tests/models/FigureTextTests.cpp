#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "models/FigureText.h"
#include "models/DetectionFixtures.h"

using namespace ce;
using ce::testing::addLine;
using ce::testing::detection;

namespace {

// A page of body text: twelve 10-point lines down the lower half of the page.
std::vector<TextCell> bodyLines() {
    std::vector<TextCell> lines;
    for (int k = 0; k < 12; ++k) {
        const double top = 500 + k * 14.0;
        lines.push_back({static_cast<int>(lines.size()), "body text line", {50, top, 550, top + 10}, 1, false});
    }
    return lines;
}

// Full-width 10-point lines every 14 points from `top`: a paragraph.
void addProse(std::vector<TextCell>& lines, double top, int count, bool fromOCR = false) {
    for (int k = 0; k < count; ++k) addLine(lines, "words of a sentence", {60, top + k * 14, 540, top + k * 14 + 10}, fromOCR);
}

struct Case {
    std::string name;
    DocLabel label;
    BBox box;
    void (*fill)(std::vector<TextCell>&);
    std::optional<DocLabel> expected;  // none: the detection is dropped
};

}  // namespace

// Pictures whose text-layer lines lie in rows and columns are tables; pictures mostly
// covered by lines are text (dropped, or a title when a few big lines); figures with sparse labels, no text or only recognised text stay pictures;
// formulas without any mathematical symbol are text.
TEST(FigureText, RegionsThatHoldThePagesOwnText) {
    const std::vector<Case> cases = {
        {"ProseParagraphs", DocLabel::picture, {55, 100, 545, 240},
         [](std::vector<TextCell>& l) { addProse(l, 102, 10); }, std::nullopt},
        {"TableOfText", DocLabel::picture, {50, 100, 550, 300},
         [](std::vector<TextCell>& l) {
             for (int row = 0; row < 16; ++row) {
                 for (int col = 0; col < 4; ++col)
                     addLine(l, "cell", {60.0 + col * 125, 102.0 + row * 12, 150.0 + col * 125, 111.0 + row * 12});
             }
         },
         DocLabel::table},
        {"SparseTableOfNumbers", DocLabel::picture, {50, 100, 550, 400},
         [](std::vector<TextCell>& l) {
             for (int row = 0; row < 20; ++row) {
                 for (int col = 0; col < 6; ++col)
                     addLine(l, "12.5", {60.0 + col * 80, 104.0 + row * 14, 80.0 + col * 80, 112.0 + row * 14});
             }
         },
         DocLabel::table},
        {"BigTextInALooseBox", DocLabel::picture, {40, 60, 560, 330},
         [](std::vector<TextCell>& l) { addLine(l, "Big Text", {100, 100, 420, 200}); }, DocLabel::title},
        {"BigTitle", DocLabel::picture, {60, 100, 500, 150},
         [](std::vector<TextCell>& l) { addLine(l, "Annual Report", {70, 108, 480, 140}); }, DocLabel::title},
        {"ManyBigLinesAreNoTitle", DocLabel::picture, {60, 100, 500, 260},
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 5; ++k) addLine(l, "Large print", {70, 104.0 + k * 30, 480, 130.0 + k * 30});
         },
         std::nullopt},
        {"ChartWithLabels", DocLabel::picture, {100, 100, 500, 400},
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 6; ++k) addLine(l, std::to_string(k * 10), {104, 110.0 + k * 50, 120, 118.0 + k * 50});
             addLine(l, "Revenue by year", {250, 385, 350, 395});
             for (int row = 0; row < 2; ++row) {
                 for (int col = 0; col < 3; ++col)
                     addLine(l, "North", {300.0 + col * 60, 120.0 + row * 12, 330.0 + col * 60, 128.0 + row * 12});
             }
         },
         DocLabel::picture},
        {"Photo", DocLabel::picture, {100, 100, 500, 400}, [](std::vector<TextCell>&) {}, DocLabel::picture},
        {"TypesetMathematics", DocLabel::picture, {55, 100, 545, 240},
         [](std::vector<TextCell>& l) {
             for (int k = 0; k < 10; ++k) addLine(l, "\xEF\xBF\xBD fdA Vi", {60, 102.0 + k * 14, 540, 112.0 + k * 14});
         },
         DocLabel::picture},
        {"RecognisedProse", DocLabel::picture, {55, 100, 545, 240},
         [](std::vector<TextCell>& l) { addProse(l, 102, 10, true); }, DocLabel::picture},
        {"ProseBesideTheBox", DocLabel::picture, {55, 100, 250, 240},
         [](std::vector<TextCell>& l) { addProse(l, 102, 10); }, DocLabel::picture},
        {"FormulaOfWords", DocLabel::formula, {70, 100, 200, 112},
         [](std::vector<TextCell>& l) { addLine(l, "October 14, 1998", {72, 101, 190, 111}); }, DocLabel::text},
        {"DiagramLabelsInAFormula", DocLabel::formula, {70, 100, 200, 130},
         [](std::vector<TextCell>& l) {
             addLine(l, "g\xE2\x97\xA6" "f", {72, 101, 100, 111});
             addLine(l, "Y g Z", {72, 118, 190, 128});
         },
         DocLabel::formula},
        {"FormulaWithOperator", DocLabel::formula, {70, 100, 200, 112},
         [](std::vector<TextCell>& l) { addLine(l, "q = 1 - p", {72, 101, 190, 111}); }, DocLabel::formula},
        {"FormulaWithGreekLetter", DocLabel::formula, {70, 100, 200, 112},
         [](std::vector<TextCell>& l) { addLine(l, "\xCE\xB3(t) in X", {72, 101, 190, 111}); }, DocLabel::formula},
        {"FormulaWithoutText", DocLabel::formula, {70, 100, 200, 112}, [](std::vector<TextCell>&) {},
         DocLabel::formula},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines = bodyLines();
        c.fill(lines);
        const std::vector<Cluster> detections = {detection(0, DocLabel::text, {50, 500, 550, 670}),
                                                 detection(1, c.label, c.box)};
        const std::vector<Cluster> result = FigureText::relabelled(detections, lines);
        ASSERT_FALSE(result.empty());
        EXPECT_EQ(result[0].label, DocLabel::text);
        if (!c.expected) {
            EXPECT_EQ(result.size(), 1u);
            continue;
        }
        ASSERT_EQ(result.size(), 2u);
        EXPECT_EQ(result[1].id, 1);
        EXPECT_EQ(result[1].label, *c.expected);
        EXPECT_EQ(result[1].bbox, c.box);
    }
}

// A page whose text was recognised leaves every detection as it is.
TEST(FigureText, RecognisedPageChangesNothing) {
    std::vector<TextCell> lines;
    addProse(lines, 102, 10, true);
    const std::vector<Cluster> detections = {detection(1, DocLabel::picture, {55, 100, 545, 240}),
                                             detection(2, DocLabel::formula, {60, 300, 200, 312})};
    const std::vector<Cluster> result = FigureText::relabelled(detections, lines);
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].label, DocLabel::picture);
    EXPECT_EQ(result[1].label, DocLabel::formula);
}

namespace {

struct Region {
    DocLabel label;
    BBox box;
};

struct EdgeCase {
    std::string name;
    void (*fill)(std::vector<TextCell>&);
    std::optional<BBox> picture;  // none: nothing of the picture is left
    std::vector<Region> added;
};

// Tick labels down the left edge of the chart {100, 100, 500, 400}.
void addTicks(std::vector<TextCell>& lines) {
    for (int k = 0; k < 5; ++k) addLine(lines, std::to_string(k * 10), {104, 140.0 + k * 40, 120, 148.0 + k * 40});
}

}  // namespace

// A figure's box that takes in the caption or a prose line of the page around it gives
// that text back as a region of its own and keeps the band between; its own labels
// stay inside.
TEST(FigureText, FiguresGiveBackThePagesText) {
    const std::vector<EdgeCase> cases = {
        {"CaptionBelow",
         [](std::vector<TextCell>& l) {
             addTicks(l);
             addLine(l, "Figure 2. Revenue by year for the three divisions", {110, 370, 490, 380});
             addLine(l, "and the online shop.", {110, 383, 300, 393});
         },
         BBox{100, 100, 500, 370}, {{DocLabel::caption, {110, 370, 490, 393}}}},
        {"CaptionAbove",
         [](std::vector<TextCell>& l) {
             addLine(l, "Fig. 3: Map of the northern region", {110, 102, 400, 112});
             addTicks(l);
         },
         BBox{100, 112, 500, 400}, {{DocLabel::caption, {110, 102, 400, 112}}}},
        {"ProseAboveAndBelow",
         [](std::vector<TextCell>& l) {
             addLine(l, "the last line of the paragraph above runs into the box", {102, 102, 498, 112});
             addTicks(l);
             addLine(l, "and the paragraph below it starts right under the chart", {102, 388, 498, 398});
         },
         BBox{100, 112, 500, 388},
         {{DocLabel::text, {102, 102, 498, 112}}, {DocLabel::text, {102, 388, 498, 398}}}},
        {"AxisTitleAndTicksStay",
         [](std::vector<TextCell>& l) {
             addTicks(l);
             addLine(l, "Year of the survey", {260, 386, 340, 396});
             addLine(l, "Table rows per year", {130, 105, 260, 115});
         },
         BBox{100, 100, 500, 400}, {}},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines = bodyLines();
        c.fill(lines);
        const std::vector<Cluster> detections = {detection(0, DocLabel::text, {50, 500, 550, 670}),
                                                 detection(4, DocLabel::picture, {100, 100, 500, 400})};
        const std::vector<Cluster> result = FigureText::relabelled(detections, lines);
        std::optional<BBox> picture;
        std::vector<Cluster> added;
        for (const Cluster& cluster : result) {
            if (cluster.id == 4) {
                EXPECT_EQ(cluster.label, DocLabel::picture);
                picture = cluster.bbox;
            } else if (cluster.id != 0) {
                added.push_back(cluster);
            }
        }
        EXPECT_EQ(picture, c.picture);
        ASSERT_EQ(added.size(), c.added.size());
        for (std::size_t k = 0; k < added.size(); ++k) {
            EXPECT_EQ(added[k].label, c.added[k].label);
            EXPECT_EQ(added[k].bbox, c.added[k].box);
            EXPECT_GT(added[k].id, 4);
        }
    }
}
