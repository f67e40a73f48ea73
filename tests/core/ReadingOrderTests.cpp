#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "core/ReadingOrder.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {

constexpr double pageWidth = 612;
constexpr double pageHeight = 792;

// An element of a US Letter page; b and t are measured upwards from the page bottom.
ROElement element(int cid, double l, double r, double b, double t, DocLabel label = DocLabel::text) {
    return ROElement{cid, label, "", l, r, b, t, pageWidth, pageHeight};
}

std::vector<int> cids(const std::vector<ROElement>& elements) {
    std::vector<int> out;
    for (const auto& e : elements) out.push_back(e.cid);
    return out;
}

// Three boxes on a staircase: A precedes B and B precedes C (each overlaps the
// next and sits higher), yet C precedes A (they do not overlap and C lies
// further left). No sort can satisfy all three, so the procedure decides.
const ROElement stairA = element(0, 100, 200, 700, 740);
const ROElement stairB = element(1, 50, 150, 600, 640);
const ROElement stairC = element(2, 0, 80, 500, 540);

struct SortCase {
    const char* name;
    std::vector<ROElement> input;
    std::vector<int> expected;
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class PrecedesSort : public ::testing::TestWithParam<SortCase> {};

TEST_P(PrecedesSort, FollowsTheFixedProcedure) {
    EXPECT_EQ(cids(ReadingOrder::sortedByPrecedes(GetParam().input)), GetParam().expected);
}

// Library sorts disagree with the procedure here: std::sort moves C to the
// front of A, B, C, and std::stable_sort leaves the descending inputs in
// other orders than the reversed run gives.
INSTANTIATE_TEST_SUITE_P(
    Cases, PrecedesSort,
    ::testing::Values(SortCase{"ascendingRunKept", {stairA, stairB, stairC}, {0, 1, 2}},
                      SortCase{"descendingRunReversed", {stairC, stairB, stairA}, {0, 1, 2}},
                      SortCase{"ascendingRunFromB", {stairB, stairC, stairA}, {1, 2, 0}},
                      SortCase{"descendingRunFromA", {stairA, stairC, stairB}, {1, 2, 0}},
                      SortCase{"descendingRunFromB", {stairB, stairA, stairC}, {2, 0, 1}},
                      SortCase{"ascendingRunFromC", {stairC, stairA, stairB}, {2, 0, 1}},
                      // Binary insertion after a reversed run; equal boxes keep input order.
                      SortCase{"insertionKeepsTies",
                               {element(0, 300, 350, 100, 120), element(1, 100, 150, 100, 120),
                                element(2, 200, 250, 100, 120), element(3, 0, 50, 100, 120),
                                element(4, 200, 250, 100, 120)},
                               {3, 1, 2, 4, 0}}),
    ce::testing::ByName{});

struct OrderCase {
    const char* name;
    std::vector<ROElement> input;
    ReadingOrderMode mode;
    std::vector<int> expected;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class ReadingOrderCases : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ReadingOrderCases, GiveTheExpectedOrder) {
    const auto& c = GetParam();
    EXPECT_EQ(cids(ReadingOrder::predictReadingOrder(c.input, c.mode)), c.expected);
}

constexpr auto strict = ReadingOrderMode::strictEdgeOverlap;
constexpr auto tolerant = ReadingOrderMode::tolerantEdgeOverlap;

// Two columns of three paragraphs, given in an interleaved order.
const std::vector<ROElement> twoColumns = {
    element(3, 320, 560, 600, 700), element(0, 50, 290, 600, 700), element(4, 320, 560, 450, 580),
    element(1, 50, 290, 450, 580),  element(5, 320, 560, 300, 430), element(2, 50, 290, 300, 430)};

// A header placed low and a footer placed high still frame the body.
const std::vector<ROElement> furniture = {
    element(0, 50, 560, 700, 720, DocLabel::pageFooter), element(1, 50, 560, 400, 600),
    element(2, 50, 560, 20, 40, DocLabel::pageHeader), element(3, 50, 560, 200, 380),
    element(4, 50, 200, 10, 20, DocLabel::pageHeader)};

// Side by side paragraphs 0 and 1 at the same height, 2 under the left one and
// 4 under the right one. `gutter` reaches into the gap between 0 and 1.
std::vector<ROElement> sideBySide(bool withGutterBlock) {
    std::vector<ROElement> e = {element(0, 50, 290, 600, 700), element(1, 320, 560, 600, 700),
                                element(2, 50, 290, 450, 580), element(4, 320, 560, 450, 580)};
    if (withGutterBlock) e.push_back(element(6, 295, 315, 620, 680));
    return e;
}

// u is a wide block; w sits under u's right half; v, u's successor, starts
// under u's left half with its top `overlap` points above u's bottom edge.
// Linked by the next-element rule, v follows u directly; otherwise v is a head
// of its own and comes after w.
std::vector<ROElement> nextElementPair(double overlap, double vHeight, DocLabel uLabel = DocLabel::text,
                                       DocLabel vLabel = DocLabel::text) {
    const double vTop = 600 + overlap;
    return {element(0, 50, 300, 600, 700, uLabel), element(1, 50, 150, vTop - vHeight, vTop, vLabel),
            element(5, 200, 300, 500, 590)};
}

const std::vector<int> linked = {0, 1, 5};
const std::vector<int> notLinked = {0, 5, 1};

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadingOrderCases,
    ::testing::Values(
        OrderCase{"columnByColumn", twoColumns, strict, {0, 1, 2, 3, 4, 5}},
        OrderCase{"headersFirstFootersLast", furniture, strict, {2, 4, 1, 3, 0}},
        OrderCase{"sideBySideReadAsRow", sideBySide(false), strict, {0, 1, 2, 4}},
        OrderCase{"blockedPairReadAsColumns", sideBySide(true), strict, {0, 2, 6, 1, 4}},
        OrderCase{"nextElementStrict1_5", nextElementPair(1.5, 50), strict, linked},
        OrderCase{"nextElementStrict3", nextElementPair(3, 50), strict, notLinked},
        OrderCase{"nextElementTolerant3", nextElementPair(3, 50), tolerant, linked},
        OrderCase{"nextElementTolerant3Height12", nextElementPair(3, 12), tolerant, linked},
        OrderCase{"nextElementTolerant3Height11", nextElementPair(3, 11), tolerant, notLinked},
        OrderCase{"nextElementNotToPicture", nextElementPair(1.5, 50, DocLabel::text, DocLabel::picture),
                  strict, notLinked},
        OrderCase{"nextElementNotToTable", nextElementPair(1.5, 50, DocLabel::text, DocLabel::table), strict,
                  notLinked},
        OrderCase{"nextElementNotFromCode", nextElementPair(1.5, 50, DocLabel::code), strict, notLinked},
        OrderCase{"nextElementNotFromPicture", nextElementPair(1.5, 50, DocLabel::picture), strict, notLinked},
        OrderCase{"empty", {}, strict, {}},
        OrderCase{"onlyHeaders",
                  {element(7, 50, 560, 20, 40, DocLabel::pageHeader),
                   element(3, 50, 560, 740, 760, DocLabel::pageHeader)},
                  strict,
                  {3, 7}}),
    ce::testing::ByName{});

// v touches u (its top 0.0005 points above u's bottom), so it is both just
// below u and u's successor by the next-element rule. The link must be
// recorded once: v is then u's only lower neighbour and is widened to u's
// width, which puts v above x and blocks y from x. Recording it twice leaves
// v narrow, and x is read after y instead.
TEST(ReadingOrder, NextElementRuleDoesNotDuplicateALinkAndStopDilation) {
    const std::vector<ROElement> input = {element(0, 100, 250, 650, 700), element(1, 100, 180, 600, 650.0005),
                                          element(5, 290, 500, 660, 720), element(9, 185, 320, 560, 590)};
    EXPECT_EQ(cids(ReadingOrder::orderGroup(input, strict)), (std::vector<int>{0, 1, 9, 5}));
}

// Two zero-height boxes at one place are each just above the other: an up
// cycle without a head. They are kept, after the reached element, in input order.
TEST(ReadingOrder, UnreachedElementsFollowInInputOrder) {
    const std::vector<ROElement> input = {element(3, 100, 200, 500, 500), element(0, 300, 400, 300, 400),
                                          element(7, 100, 200, 500, 500)};
    EXPECT_EQ(cids(ReadingOrder::orderGroup(input, strict)), (std::vector<int>{0, 3, 7}));
}

// Every element comes back exactly once, also for boxes that make no sense.
TEST(ReadingOrder, DegenerateBoxesLoseNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ROElement> input = {element(0, nan, nan, nan, nan), element(1, 300, 100, 700, 600),
                                          element(2, 0, 0, 0, 0), element(2, 0, 0, 0, 0),
                                          element(3, 50, 500, 100, 700)};
    auto out = cids(ReadingOrder::predictReadingOrder(input, tolerant));
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, (std::vector<int>{0, 1, 2, 2, 3}));
}

}  // namespace
