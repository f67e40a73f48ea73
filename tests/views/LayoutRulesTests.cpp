// The pure layout rules of the views: split clamps and drags, the span grid's track
// sizes, the fitted page and its region boxes, the label table and the legend.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PageGeometry.h"
#include "RegionLabels.h"
#include "RegionLegend.h"
#include "SpanGridLayout.h"
#include "SplitLayout.h"
#include "ViewsFixtures.h"

using namespace viewsfixtures;

namespace {

struct SplitCase {
    const char* name;
    double width;
    double minWidth;
    double stored;
    double leading;
    double trailing;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitWidths : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitWidths, ClampsTheStoredShareForDisplayOnly) {
    const SplitCase& c = GetParam();
    const SplitLayout::Bounds b = SplitLayout::bounds(c.width, c.minWidth);
    const SplitLayout::Widths w = SplitLayout::widths(b, SplitLayout::clamped(b, SplitLayout::storedShare(c.stored)));
    EXPECT_NEAR(w.leading, c.leading, 1e-9);
    EXPECT_NEAR(w.trailing, c.trailing, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitWidths,
    ::testing::Values(SplitCase{"BelowLowerBoundShowsMinimum", 601, 280, 0.3, 280, 320},
                      SplitCase{"HalfIsEqualPanes", 601, 280, 0.5, 300, 300},
                      SplitCase{"AboveUpperBoundShowsMaximum", 601, 280, 0.9, 320, 280},
                      SplitCase{"TooNarrowSplitsEvenly", 400, 280, 0.1, 199.5, 199.5},
                      SplitCase{"TinyWidthHasOnePoint", 2, 280, 0.8, 0.5, 0.5},
                      SplitCase{"NaNReadsAsHalf", 1001, 280, std::numeric_limits<double>::quiet_NaN(), 500, 500},
                      SplitCase{"InfinityReadsAsHalf", 1001, 280, std::numeric_limits<double>::infinity(), 500, 500},
                      SplitCase{"NegativeShareShowsMinimum", 1001, 280, -3, 280, 720}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitLayoutRules, TieGoesToTheBoundAndDragsAreAbsolute) {
    const SplitLayout::Bounds b = SplitLayout::bounds(1001, 100);
    EXPECT_DOUBLE_EQ(SplitLayout::clamped(b, 0.1), 0.1);
    EXPECT_NEAR(SplitLayout::dragged(b, 0.5, 100), 0.6, 1e-12);
    EXPECT_DOUBLE_EQ(SplitLayout::dragged(b, 0.5, 5000), b.upper);
    EXPECT_DOUBLE_EQ(SplitLayout::dragged(b, 0.5, -5000), b.lower);
    // Narrow panes: both bounds are a half and every drag writes 0.5.
    EXPECT_DOUBLE_EQ(SplitLayout::dragged(SplitLayout::bounds(400, 280), 0.5, 120), 0.5);
}

TEST(SplitLayoutRules, AccessibilityStepsStopAtTheUpperBound) {
    const SplitLayout::Bounds b = SplitLayout::bounds(1001, 300);  // upper bound 0.7
    double share = 0.5;
    std::vector<double> steps;
    for (int i = 0; i < 5; ++i) steps.push_back(share = SplitLayout::adjusted(b, share, true));
    const std::vector<double> expected{0.55, 0.6, 0.65, 0.7, 0.7};
    for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_NEAR(steps[i], expected[i], 1e-9) << i;
    EXPECT_NEAR(SplitLayout::adjusted(b, 0.5, false), 0.45, 1e-12);
}

// A cell measured by a fixed ideal width and a fixed height need at any width (or a
// wrapped height: ideal width / width lines of 20 points).
struct FakeCell {
    SpanGridLayout::Position position;
    double idealWidth = 10;
    double height = 10;
    bool wraps = false;
};

SpanGridLayout::Tracks tracksOf(const std::vector<FakeCell>& cells, int rows, int columns,
                                std::vector<int>* heightMeasures = nullptr) {
    std::vector<SpanGridLayout::Position> positions;
    for (const FakeCell& c : cells) positions.push_back(c.position);
    if (heightMeasures) heightMeasures->assign(cells.size(), 0);
    SpanGridLayout::Measure m;
    m.idealWidth = [&](int i) { return cells[static_cast<std::size_t>(i)].idealWidth; };
    m.heightAtWidth = [&](int i, double width) {
        if (heightMeasures) ++(*heightMeasures)[static_cast<std::size_t>(i)];
        const FakeCell& c = cells[static_cast<std::size_t>(i)];
        return c.wraps ? 20 * std::ceil(c.idealWidth / width) : c.height;
    };
    return SpanGridLayout::tracks(positions, m, {rows, columns, 240});
}

TEST(SpanGridSizes, SmallCellsKeepTheMinimumTracks) {
    const auto t = tracksOf({{{0, 0, 1, 1}}, {{1, 1, 1, 1}}}, 2, 2);
    EXPECT_EQ(t.widths, (std::vector<double>{24, 24}));
    EXPECT_EQ(t.heights, (std::vector<double>{18, 18}));
}

TEST(SpanGridSizes, WideCellIsCappedAndWrapsAtTheCap) {
    const auto t = tracksOf({{{0, 0, 1, 1}, 500, 0, true}}, 1, 1);
    EXPECT_EQ(t.widths, (std::vector<double>{240}));
    EXPECT_EQ(t.heights, (std::vector<double>{60}));  // three lines at 240 points
}

TEST(SpanGridSizes, OneColumnSpannerSharesItsShortfallEvenly) {
    const auto grown = tracksOf({{{0, 0, 1, 1}, 24}, {{0, 1, 1, 1}, 100}, {{1, 0, 1, 2}, 300}}, 2, 2);
    EXPECT_EQ(grown.widths, (std::vector<double>{112, 188}));
    const auto unchanged = tracksOf({{{0, 0, 1, 1}, 24}, {{0, 1, 1, 1}, 100}, {{1, 0, 1, 2}, 100}}, 2, 2);
    EXPECT_EQ(unchanged.widths, (std::vector<double>{24, 100}));
}

TEST(SpanGridSizes, SecondSpannerAddsOnlyWhatIsStillMissing) {
    const auto t = tracksOf({{{0, 0, 1, 2}, 100}, {{1, 0, 1, 2}, 120}}, 2, 2);
    EXPECT_EQ(t.widths, (std::vector<double>{60, 60}));
}

TEST(SpanGridSizes, RowSpannerGrowsEachSpannedRowAndIsMeasuredOnce) {
    std::vector<int> measures;
    const auto t = tracksOf({{{0, 1, 1, 1}, 10, 18}, {{1, 1, 1, 1}, 10, 30}, {{0, 0, 2, 1}, 10, 100}}, 2, 2, &measures);
    EXPECT_EQ(t.heights, (std::vector<double>{44, 56}));
    EXPECT_EQ(measures, (std::vector<int>{1, 1, 1}));
}

TEST(SpanGridSizes, PositionsOutsideTheGridAreClampedAndEmptyGridsPlaceNothing) {
    const SpanGridLayout::Options o{2, 3, 240};
    EXPECT_EQ(SpanGridLayout::clamped({5, -2, 4, 0}, o), (SpanGridLayout::Position{1, 0, 1, 1}));
    EXPECT_EQ(SpanGridLayout::clamped({0, 2, 1, 7}, o), (SpanGridLayout::Position{0, 2, 1, 1}));
    for (auto [rows, cols] : {std::pair{0, 3}, std::pair{3, 0}}) {
        const auto t = tracksOf({{{0, 0, 1, 1}, 50}}, rows, cols);
        EXPECT_TRUE(t.widths.empty() && t.heights.empty());
        EXPECT_EQ(SpanGridLayout::size(t), SpanGridLayout::Rect{});
        EXPECT_TRUE(SpanGridLayout::placements({{0, 0, 1, 1}}, t, {rows, cols, 240}).empty());
    }
}

TEST(SpanGridSizes, PlacementsFollowTheTrackEdges) {
    const SpanGridLayout::Tracks t{{30, 40, 50}, {18, 20}};
    const auto rects = SpanGridLayout::placements({{1, 1, 1, 2}, {0, 0, 2, 1}}, t, {2, 3, 240}, 5, 7);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (SpanGridLayout::Rect{35, 25, 90, 20}));
    EXPECT_EQ(rects[1], (SpanGridLayout::Rect{5, 7, 30, 38}));
}

TEST(PageGeometryRules, FittedSizeKeepsTheAspectRatio) {
    EXPECT_EQ(PageGeometry::fittedSize({400, 400}, 0.5), QSizeF(200, 400));
    EXPECT_EQ(PageGeometry::fittedSize({400, 100}, 2.0), QSizeF(200, 100));
    EXPECT_EQ(PageGeometry::fittedSize({300, 200}, std::nullopt), QSizeF(300, 200));
    EXPECT_EQ(PageGeometry::fittedSize({0, 0}, 1.0), QSizeF(1, 1));
    ce::ConvertedPage page;
    EXPECT_EQ(PageGeometry::aspectRatio(&page, QSizeF(300, 0)), 300.0);  // the image's, height at least 1
    page.width = 200;
    page.height = 100;
    EXPECT_EQ(PageGeometry::aspectRatio(&page, QSizeF(300, 300)), 2.0);
    EXPECT_EQ(PageGeometry::aspectRatio(nullptr, std::nullopt), std::nullopt);
}

TEST(PageGeometryRules, BoxesScaleKeepTwoPointsAndMarkFurniture) {
    ce::ConvertedPage page = samplePage();
    const auto body = PageGeometry::boxStyle(region(9, ce::DocLabel::text, {50, 20, 50, 20}), page, {400, 200}, false);
    EXPECT_EQ(body.rect, QRectF(100, 40, 2, 2));
    EXPECT_EQ(body.fillOpacity, 0.1);
    EXPECT_EQ(body.borderOpacity, 0.9);
    EXPECT_EQ(body.lineWidth, 1);
    EXPECT_FALSE(body.dashed);
    const auto header = PageGeometry::boxStyle(page.regions[0], page, {400, 200}, false);
    EXPECT_EQ(header.rect, QRectF(20, 4, 360, 12));
    EXPECT_TRUE(header.dashed);
    EXPECT_EQ(header.fillOpacity, 0.04);
    EXPECT_EQ(header.borderOpacity, 0.5);
    const auto lit = PageGeometry::boxStyle(page.regions[0], page, {400, 200}, true);
    EXPECT_EQ(lit.fillOpacity, 0.28);
    EXPECT_EQ(lit.lineWidth, 2);
    EXPECT_EQ(lit.borderOpacity, 0.5);
}

TEST(PageGeometryRules, DeskewTurnsTheBoxesCounterClockwiseAboutTheCentre) {
    ce::ConvertedPage page;
    page.width = 200;
    page.height = 200;
    page.deskewDegrees = 90;
    page.regions = {region(5, ce::DocLabel::text, {150, 90, 200, 110})};  // the right edge's middle
    // Turned by -90 degrees (counter-clockwise on screen) the box stands at the top middle.
    EXPECT_EQ(PageGeometry::regionsAt(page, {200, 200}, {100, 20}), std::vector<int>{5});
    EXPECT_TRUE(PageGeometry::regionsAt(page, {200, 200}, {175, 100}).empty());
    const QPointF turned = PageGeometry::overlayTransform(page, {200, 200}).map(QPointF(200, 100));
    EXPECT_NEAR(turned.x(), 100, 1e-9);
    EXPECT_NEAR(turned.y(), 0, 1e-9);
    page.deskewDegrees.reset();
    EXPECT_TRUE(PageGeometry::overlayTransform(page, {200, 200}).isIdentity());
}

TEST(RegionLabelTable, NamesColoursAndFurniture) {
    EXPECT_EQ(RegionLabels::displayName(ce::DocLabel::sectionHeader), "Heading");
    EXPECT_EQ(RegionLabels::displayName(ce::DocLabel::documentIndex), "Table of contents");
    EXPECT_EQ(RegionLabels::displayName(ce::DocLabel::keyValueRegion), "Key-value area");
    EXPECT_EQ(RegionLabels::color(ce::DocLabel::caption), RegionLabels::color(ce::DocLabel::footnote));
    EXPECT_EQ(RegionLabels::color(ce::DocLabel::title), RegionLabels::color(ce::DocLabel::sectionHeader));
    EXPECT_NE(RegionLabels::color(ce::DocLabel::text), RegionLabels::color(ce::DocLabel::table));
    int furniture = 0;
    for (ce::DocLabel label : ce::DocLabels::allCases()) {
        EXPECT_FALSE(RegionLabels::displayName(label).isEmpty());
        furniture += RegionLabels::isFurniture(label);
    }
    EXPECT_EQ(furniture, 2);
}

// The box and tooltip say "left out" only where the output leaves the region out: a page
// header the engine kept in the body is drawn and named as any body region.
TEST(RegionLabelTable, OnlyRegionsTheBodyLeavesOutAreMarkedLeftOut) {
    ce::ConvertedPage page = samplePage();
    const ce::LayoutRegion& header = page.regions[0];
    EXPECT_EQ(RegionLabels::tooltip(header, page), "Page header (left out of the output)");
    EXPECT_TRUE(PageGeometry::boxStyle(header, page, {400, 200}, false).dashed);
    const ce::LayoutRegion table = region(3, ce::DocLabel::table, {10, 30, 190, 60});
    EXPECT_EQ(RegionLabels::tooltip(table, page), "Table");

    page.content.body.push_back(page.content.furniture.front());
    page.content.furniture.clear();
    EXPECT_EQ(RegionLabels::tooltip(header, page), "Page header");
    const auto kept = PageGeometry::boxStyle(header, page, {400, 200}, false);
    EXPECT_FALSE(kept.dashed);
    EXPECT_EQ(kept.borderOpacity, 0.9);
}

TEST(RegionLabelTable, ElementCoversItsMergedCaptionTableAndContainerIds) {
    ce::DocElement e = element(ce::DocElementKind::text, "x", 7, ce::DocLabel::text);
    e.mergedClusterIDs = {8, 9};
    e.captions = {element(ce::DocElementKind::caption, "c", 12, ce::DocLabel::caption)};
    e.tableCellOf = 3;
    EXPECT_EQ(RegionLabels::regionIDs(e), (std::set<int>{3, 7, 8, 9, 12}));
    e.containerID = 20;
    e.footnotes = {element(ce::DocElementKind::footnote, "f", 14, ce::DocLabel::footnote)};
    EXPECT_EQ(RegionLabels::regionIDs(e), (std::set<int>{3, 7, 8, 9, 12, 14, 20}));
}

TEST(RegionLegendChoice, KindsInModelOrderLimitedWithFullHelp) {
    using L = ce::DocLabel;
    ce::ConvertedPage page;
    EXPECT_TRUE(RegionLabels::presentKinds(page).empty());
    EXPECT_EQ(RegionLabels::legendHelp(page), "");
    for (L label : {L::title, L::text, L::table, L::text, L::picture, L::caption})
        page.regions.push_back(region(static_cast<int>(page.regions.size()), label, {0, 0, 1, 1}));
    EXPECT_EQ(RegionLabels::presentKinds(page), (std::vector<L>{L::caption, L::picture, L::table, L::text, L::title}));
    EXPECT_EQ(RegionLabels::shownKinds(page, 3), (std::vector<L>{L::caption, L::picture, L::table}));
    EXPECT_TRUE(RegionLabels::shownKinds(page, 0).empty());
    EXPECT_EQ(RegionLabels::legendHelp(page), "Caption, Picture, Table, Text, Title");
}

TEST(RegionLegendChoice, TakesTheLargestLegendThatFits) {
    const auto width = [](int limit) { return limit * 50; };
    EXPECT_EQ(LegendFit::fittingLimit(300, width), 6);
    EXPECT_EQ(LegendFit::fittingLimit(299, width), 3);
    EXPECT_EQ(LegendFit::fittingLimit(149, width), 0);
}

}  // namespace
