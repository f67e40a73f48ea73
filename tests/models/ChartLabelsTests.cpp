#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/ChartLabels.h"
#include "models/DetectionFixtures.h"

using namespace ce;
using ce::testing::detection;

namespace {

// The plot of a chart as the layout model boxes it: 400 x 300 points.
const BBox plot = {100, 100, 500, 400};

struct Line {
    std::string text;
    BBox box;
    bool fromOCR = true;
};

struct Case {
    std::string name;
    std::vector<Line> lines;
    std::vector<Cluster> others;  // further detections of the page
    BBox expected;                // the picture's box afterwards
    double pictureConfidence = 0.8;
};

std::vector<TextCell> cellsOf(const std::vector<Line>& lines) {
    std::vector<TextCell> cells;
    for (const Line& line : lines)
        cells.push_back({static_cast<int>(cells.size()), line.text, line.box, 0.9, line.fromOCR});
    return cells;
}

}  // namespace

// A picture takes in the short recognised lines along its edges that no region of the
// page's text holds: tick labels, axis titles, a legend and what recognition makes of
// the strokes beside it; prose, captions, headings, lines of paragraphs and text-layer
// lines stay outside, and so do labels too far away.
TEST(ChartLabels, PictureTakesInTheLabelsAlongItsEdges) {
    const std::vector<Case> cases = {
        {"TickLabelsLeftOfThePlot",
         {{"40", {75, 100, 90, 110}}, {"30", {75, 200, 90, 210}}, {"20", {75, 300, 90, 310}}},
         {},
         {75, 100, 500, 400}},
        {"AxisTitleBelowTheTickLabels",
         {{"2015 2016 2017 2018", {150, 405, 450, 415}}, {"Share of households (%)", {150, 420, 300, 430}}},
         {},
         {100, 100, 500, 430}},
        {"RecognisedLegendSetApartWithItsSwatches",
         {{"=== Male === Female", {300, 50, 450, 62}}},
         {},
         {100, 50, 500, 400}},
        {"MarkersReadAsLettersAboveThePlot", {{"o", {250, 60, 258, 68}}}, {}, {100, 60, 500, 400}},
        {"TickLabelOfTheTextLayerStays", {{"40", {75, 100, 90, 110}, false}}, {}, plot},
        {"LegendWithoutFragmentsSetApartStays", {{"Male Female", {300, 50, 450, 62}}}, {}, plot},
        {"LabelHeldByWeakTextDetectionJoins",
         {{"Urban Rural", {300, 80, 400, 90}}},
         {detection(1, DocLabel::text, {295, 78, 405, 92}, 0.4)},
         {100, 80, 500, 400}},
        {"LabelsMarkedAsPageHeaderJoin",
         {{"Urban Rural", {300, 80, 400, 90}}},
         {detection(1, DocLabel::pageHeader, {295, 78, 405, 92}, 0.66)},
         {100, 80, 500, 400}},
        {"ProseBelowStays",
         {{"The survey asked students about their mood over the past year.", {100, 410, 480, 420}}},
         {},
         plot},
        {"CaptionBelowStays", {{"Figure 3. Symptoms", {100, 410, 220, 420}}}, {}, plot},
        {"HeadingAboveStays",
         {{"Results", {100, 80, 160, 92}}},
         {detection(1, DocLabel::sectionHeader, {98, 78, 162, 94})},
         plot},
        {"ShortLastLineOfAParagraphBesideStays",
         {{"the survey asked students about their mood and the", {505, 370, 700, 380}},
          {"results.", {505, 385, 540, 395}}},
         {detection(1, DocLabel::text, {503, 368, 702, 397})},
         plot},
        {"CaptionContinuationStays",
         {{"Figure 3. Symptoms reported by", {100, 410, 300, 420}}, {"sex.", {100, 422, 125, 432}}},
         {detection(1, DocLabel::caption, {98, 408, 302, 434}, 0.55)},
         plot},
        {"CaptionTextBesideItsLabelStays",
         {{"Figure 1-1", {100, 410, 150, 420}}, {"Processor units", {170, 410, 300, 420}}},
         {},
         plot},
        {"LabelFarAwayStays", {{"40", {40, 100, 55, 110}}}, {}, plot},
        {"LineReachingPastThePlotStays", {{"Urban Rural", {40, 80, 200, 90}}}, {}, plot},
        {"WeakPictureIsNotGrown", {{"40", {75, 100, 90, 110}}}, {}, plot, 0.4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Cluster> detections = {detection(0, DocLabel::picture, plot, c.pictureConfidence)};
        detections.insert(detections.end(), c.others.begin(), c.others.end());
        const std::vector<Cluster> result = ChartLabels::joined(detections, cellsOf(c.lines), 600, 800);
        ASSERT_EQ(result.size(), detections.size());
        EXPECT_EQ(result[0].bbox, c.expected);
        for (std::size_t k = 1; k < result.size(); ++k) EXPECT_EQ(result[k].bbox, detections[k].bbox);
    }
}

// Post-processing drops a picture covering more than nine tenths of the page, so a label
// that would take it there stays outside.
TEST(ChartLabels, PictureGrowsToNineTenthsOfThePageAtMost) {
    const std::vector<Cluster> detections = {detection(0, DocLabel::picture, {10, 10, 490, 385})};
    const std::vector<TextCell> lines = cellsOf({{"40", {0, 10, 8, 20}}});
    EXPECT_EQ(ChartLabels::joined(detections, lines, 500, 400)[0].bbox, (BBox{10, 10, 490, 385}));
    EXPECT_EQ(ChartLabels::joined(detections, lines, 500, 420)[0].bbox, (BBox{0, 10, 490, 385}));
}

TEST(ChartLabels, StrokeFragmentsAreRunsWithoutADigitAndAtMostOneLetter) {
    struct Fragment {
        const char* text;
        bool expected;
    };
    for (const Fragment& f : std::vector<Fragment>{{"=== Male", true},
                                                   {"o o a D", true},
                                                   {"it _}", true},
                                                   {"@ Urban", true},
                                                   {"e] | |", true},
                                                   {"Male Female", false},
                                                   {"2015 2016", false},
                                                   {"10%", false},
                                                   {"it_}", false},
                                                   {"", false},
                                                   {"   ", false}}) {
        EXPECT_EQ(ChartLabels::holdsStrokeFragment(f.text), f.expected) << '"' << f.text << '"';
    }
}
