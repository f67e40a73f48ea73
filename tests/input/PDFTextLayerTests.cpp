#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/PDFTextLayer.h"
#include "input/TextViewBuilder.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::Layout;
using ce::testing::TextViewBuilder;
using Rect = PageTextView::Rect;

namespace {

std::vector<std::string> texts(const std::vector<TextCell>& cells) {
    std::vector<std::string> out;
    for (const TextCell& c : cells) out.push_back(c.text);
    return out;
}

PDFTextLayer::Piece piece(double minX, double minY, double maxX, double maxY) {
    return {{{0, 1}}, {minX, minY, maxX, maxY}};
}

}  // namespace

namespace {
struct GateCase {
    const char* name;
    std::u16string text;
    bool hasLayer;
};

void PrintTo(const GateCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class TextLayerGate : public ::testing::TestWithParam<GateCase> {};
}  // namespace

// The gate counts Unicode scalars that are not white space, not code units.
TEST_P(TextLayerGate, NeedsTenVisibleScalars) {
    const auto cells = PDFTextLayer::read(TextViewBuilder().line(GetParam().text).view());
    ASSERT_EQ(cells.has_value(), GetParam().hasLayer);
    if (cells) {
        for (const auto* list : {&cells->lines, &cells->words})
            for (const TextCell& c : *list) {
                EXPECT_EQ(c.confidence, 1.0);
                EXPECT_FALSE(c.fromOCR);
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TextLayerGate,
                         ::testing::Values(GateCase{"nine", u"abcd efghi", false},
                                           GateCase{"ten", u"abcde fghij", true},
                                           GateCase{"nineScalarsTenUnits", u"\U0001D400bcd\tefghi", false},
                                           GateCase{"onlySpaces", u"      \u3000    \u00a0   ", false}),
                         ce::testing::ByName{});

TEST(TextLayer, TypicalHeightIsTheLowerQuartileAndFlattensOnlyFarTallerBoxes) {
    std::vector<PDFTextLayer::Piece> pieces;
    for (double h : {10.0, 12.0, 40.0, 11.0, 10.0}) pieces.push_back(piece(0, 100, 50, 100 + h));
    const PDFTextLayer::Flattening flat = PDFTextLayer::flattening(pieces, 0);
    ASSERT_TRUE(flat.typical.has_value());
    EXPECT_EQ(*flat.typical, 10);
    EXPECT_EQ(flat.apply({5, 100, 50, 140}), (Rect{5, 115, 50, 125}));
    EXPECT_EQ(flat.apply({5, 100, 50, 130}), (Rect{5, 100, 50, 130}));
    EXPECT_EQ(PDFTextLayer::flattening(pieces, 180).apply({5, 100, 50, 140}), (Rect{5, 115, 50, 125}));
    EXPECT_FALSE(PDFTextLayer::flattening({}, 0).typical.has_value());
    EXPECT_EQ(PDFTextLayer::flattening({}, 0).apply({5, 100, 50, 140}), (Rect{5, 100, 50, 140}));
}

// On a quarter-turned page upright text runs along y of the unrotated page: its height
// as displayed is its extent along x, so long words are not cut down to a stub.
TEST(TextLayer, QuarterTurnedPagesMeasureHeightsAcrossTheUnrotatedPage) {
    std::vector<PDFTextLayer::Piece> pieces;
    for (double h : {10.0, 12.0, 40.0, 11.0, 10.0}) pieces.push_back(piece(100, 0, 100 + h, 300));
    for (int rotation : {90, 270}) {
        const PDFTextLayer::Flattening flat = PDFTextLayer::flattening(pieces, rotation);
        ASSERT_TRUE(flat.typical.has_value());
        EXPECT_EQ(*flat.typical, 10);
        EXPECT_EQ(flat.apply({100, 5, 140, 50}), (Rect{115, 5, 125, 50}));
        EXPECT_EQ(flat.apply({100, 5, 110, 300}), (Rect{100, 5, 110, 300}));
    }
}

namespace {
struct GroupCase {
    const char* name;
    Rect second;  // the first piece is (0, 100, 50, 110)
    bool unrotated;
    bool grouped;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class LineGrouping : public ::testing::TestWithParam<GroupCase> {};
}  // namespace

TEST_P(LineGrouping, JoinsPiecesOnOneBaselineWithinTheGapLimit) {
    const GroupCase& c = GetParam();
    const std::vector<PDFTextLayer::Piece> pieces = {piece(0, 100, 50, 110),
                                                     {{{0, 1}}, c.second}};
    const auto groups = PDFTextLayer::lineGroups(pieces, c.unrotated);
    EXPECT_EQ(groups.size(), c.grouped ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineGrouping,
    ::testing::Values(GroupCase{"gapAtLimit", {62, 100, 90, 110}, true, true},
                      GroupCase{"gapJustPast", {62.5, 100, 90, 110}, true, false},
                      GroupCase{"overlapAQuarter", {47.5, 100, 90, 110}, true, true},
                      GroupCase{"overlapMoreThanAQuarter", {47, 100, 90, 110}, true, false},
                      GroupCase{"verticalOverlapSeventyPercent", {55, 103, 90, 113}, true, true},
                      GroupCase{"verticalOverlapBelow", {55, 103.5, 90, 113.5}, true, false},
                      GroupCase{"rotatedPage", {55, 100, 90, 110}, false, false}),
    ce::testing::ByName{});

// Only the last eight groups are tried, so a piece far down the page opens its own group
// rather than joining one that lies nine groups back.
TEST(TextLayer, TriesOnlyTheEightMostRecentGroups) {
    std::vector<PDFTextLayer::Piece> pieces = {piece(0, 700, 50, 710)};
    for (int i = 1; i <= 8; ++i) pieces.push_back(piece(0, 700 - 20.0 * i, 50, 710 - 20.0 * i));
    pieces.push_back(piece(55, 700, 90, 710));
    EXPECT_EQ(PDFTextLayer::lineGroups(pieces, true).size(), 10u);
    pieces.erase(pieces.begin() + 1);
    EXPECT_EQ(PDFTextLayer::lineGroups(pieces, true).size(), 8u);
}

TEST(TextLayer, PiecesInOrderStandAloneAndPiecesOutOfOrderJoinLeftToRight) {
    TextViewBuilder inOrder;
    inOrder.line(u"Hello,", {.x = 72}).line(u"there friend", {.x = 120});
    const auto a = PDFTextLayer::read(inOrder.view());
    ASSERT_TRUE(a);
    EXPECT_EQ(texts(a->lines), (std::vector<std::string>{"Hello,", "there friend"}));

    TextViewBuilder reversed;
    reversed.line(u"there friend", {.x = 120}).line(u"Hello,", {.x = 72});
    const auto b = PDFTextLayer::read(reversed.view());
    ASSERT_TRUE(b);
    EXPECT_EQ(texts(b->lines), (std::vector<std::string>{"Hello, there friend"}));
    // The line box holds both pieces: x from 72 to 120 + 12 characters (one space of 3).
    EXPECT_EQ(b->lines[0].bbox, (BBox{72, 82, 120 + 11 * 6 + 3, 92}));
    EXPECT_EQ(texts(b->words), (std::vector<std::string>{"there", "friend", "Hello,"}));
}

// A Hebrew line whose words come as separate pieces reads right to left: "שלום עולם"
// (hello world), its last word drawn at the left.
TEST(TextLayer, RightToLeftPiecesJoinRightToLeft) {
    const std::u16string shalom = u"\u05E9\u05DC\u05D5\u05DD";  // first word, drawn at the right
    const std::u16string olam = u"\u05E2\u05D5\u05DC\u05DD";
    const std::string reading = "\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD";
    TextViewBuilder leftFirst;
    leftFirst.line(olam, {.x = 72}).line(shalom, {.x = 102}).line(u"second line of text", {.y = 600});
    const auto a = PDFTextLayer::read(leftFirst.view());
    ASSERT_TRUE(a);
    EXPECT_EQ(texts(a->lines), (std::vector<std::string>{reading, "second line of text"}));

    TextViewBuilder rightFirst;
    rightFirst.line(shalom, {.x = 102}).line(olam, {.x = 72}).line(u"second line of text", {.y = 600});
    const auto b = PDFTextLayer::read(rightFirst.view());
    ASSERT_TRUE(b);
    // Pieces already in reading order (right edges falling) stand as the reader's own lines.
    EXPECT_EQ(texts(b->lines), (std::vector<std::string>{"\u05E9\u05DC\u05D5\u05DD", "\u05E2\u05D5\u05DC\u05DD",
                                                         "second line of text"}));
}

TEST(TextLayer, LetterSpacedLineReadsAsTwoWords) {
    // Letter gaps of 0.2 units, a word gap of 0.9 units (unit: the 10-point character height).
    const Layout spaced{.height = 10, .width = 6, .spaces = {2, 2, 2, 2, 9, 2, 2, 2, 2}};
    const auto cells = PDFTextLayer::read(TextViewBuilder().line(u"H E L L O W O R L D", spaced).view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"HELLO WORLD"}));
    ASSERT_EQ(texts(cells->words), (std::vector<std::string>{"HELLO", "WORLD"}));
    EXPECT_EQ(cells->words[0].bbox, (BBox{72, 82, 72 + 5 * 6 + 4 * 2, 92}));
    EXPECT_EQ(cells->words[1].index, 1);
}

TEST(TextLayer, LetterSpacedFragmentsOverRangesJoinIntoOneWord) {
    // One piece with two ranges, "H E L" and "L O W O R L D"; the character between them
    // belongs to no range, so the boundary between the two L's is a fragment boundary.
    const Layout spaced{.spaces = {2, 2, 2, 2, 9, 2, 2, 2, 2}, .splits = {5}};
    const auto cells = PDFTextLayer::read(TextViewBuilder().line(u"H E L L O W O R L D", spaced).view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"HELLO WORLD"}));
    EXPECT_EQ(texts(cells->words), (std::vector<std::string>{"HELLO", "WORLD"}));
}

TEST(TextLayer, SpacedWordAloneKeepsItsSpaces) {
    // Equal letter gaps show no jump, and no other run on the page sets a measure.
    const auto cells = PDFTextLayer::read(TextViewBuilder().line(u"L E T T E R S P A C E D", {.spaces = {2}}).view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"L E T T E R S P A C E D"}));
    EXPECT_EQ(cells->words.size(), 12u);
}

TEST(TextLayer, SpacedWordClosesBesideAClearlyLetterSpacedLine) {
    TextViewBuilder page;
    page.line(u"H E L L O W O R L D", {.y = 700, .spaces = {2, 2, 2, 2, 9, 2, 2, 2, 2}})
        .line(u"S P A C E D", {.y = 650, .spaces = {2}})
        .line(u"Plain text stays as it is.", {.y = 600, .spaces = {3}});
    const auto cells = PDFTextLayer::read(page.view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines),
              (std::vector<std::string>{"HELLO WORLD", "SPACED", "Plain text stays as it is."}));
}

TEST(TextLayer, SurrogatePairsAndCombiningMarksStayInTheirWords) {
    const auto cells = PDFTextLayer::read(
        TextViewBuilder().line(u"\U0001D400\U0001D401 nai\u0308ve cafe\u0301s").view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"\U0001D400\U0001D401 nai\u0308ve cafe\u0301s"}));
    ASSERT_EQ(texts(cells->words), (std::vector<std::string>{"\U0001D400\U0001D401", "nai\u0308ve", "cafe\u0301s"}));
    EXPECT_EQ(cells->words[0].bbox, (BBox{72, 82, 84, 92}));
    EXPECT_EQ(cells->words[1].bbox, (BBox{87, 82, 117, 92}));
}

TEST(TextLayer, LetterSpacedLineWithASurrogatePairIsMeasuredWithoutIt) {
    // The pair's separators cannot be measured (a surrogate half has no box of its own);
    // the other letter spaces still close.
    const Layout spaced{.spaces = {2, 2, 2, 2, 9, 2, 2, 2, 2}};
    const auto cells = PDFTextLayer::read(TextViewBuilder().line(u"\U0001D400 E L L O W O R L D", spaced).view());
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"\U0001D400 ELLO WORLD"}));
}

namespace {
struct RotationCase {
    int rotation;
    BBox expected;  // of the rectangle (10, 20, 30, 60) on a 100 x 200 crop box at (5, 5)
};

void PrintTo(const RotationCase& c, std::ostream* os) { *os << "rotation " << c.rotation; }

class PageCoordinates : public ::testing::TestWithParam<RotationCase> {};
}  // namespace

TEST_P(PageCoordinates, MapUnrotatedSpaceToDisplayedTopLeftPoints) {
    const Rect crop{5, 5, 105, 205};
    EXPECT_EQ(PDFTextLayer::toPageBox({15, 25, 35, 65}, crop, GetParam().rotation), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCoordinates,
                         ::testing::Values(RotationCase{0, {10, 140, 30, 180}}, RotationCase{90, {20, 10, 60, 30}},
                                           RotationCase{180, {70, 20, 90, 60}}, RotationCase{270, {140, 70, 180, 90}},
                                           RotationCase{-90, {140, 70, 180, 90}}, RotationCase{450, {20, 10, 60, 30}},
                                           RotationCase{45, {10, 140, 30, 180}}),
                         [](const auto& info) {
                             const int r = info.param.rotation;
                             return (r < 0 ? "rotationMinus" : "rotation") + std::to_string(std::abs(r));
                         });

TEST(TextLayer, RotatedPagesGiveTheSameWords) {
    TextViewBuilder page;
    page.line(u"H E L L O W O R L D", {.y = 700, .spaces = {2, 2, 2, 2, 9, 2, 2, 2, 2}})
        .line(u"Second line of text", {.y = 680});
    const auto upright = PDFTextLayer::read(page.view());
    ASSERT_TRUE(upright);
    for (int rotation : {90, 180, 270}) {
        const auto turned = PDFTextLayer::read(TextViewBuilder(page).rotation(rotation).view());
        ASSERT_TRUE(turned);
        EXPECT_EQ(texts(turned->words), texts(upright->words)) << rotation;
        EXPECT_EQ(turned->words[0].bbox,
                  PDFTextLayer::toPageBox({72, 700, 110, 710}, page.view().cropBox, rotation));
    }
}

TEST(TextLayer, IgnoresBadRangesAndMissingBoxes) {
    PageTextView view = TextViewBuilder().line(u"Some visible text here").view();
    view.lines.push_back({{{-1, 4}, {3, 0}, {10, 1000}}});
    view.boxes.resize(10);  // the last word has no boxes
    const auto cells = PDFTextLayer::read(view);
    ASSERT_TRUE(cells);
    EXPECT_EQ(texts(cells->lines), (std::vector<std::string>{"Some visible text here"}));
    EXPECT_EQ(texts(cells->words), (std::vector<std::string>{"Some", "visible"}));
}
