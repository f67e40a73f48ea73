#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/CaptionsAndFootnotes.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {

ROElement element(int cid, DocLabel label, double b, double t, double l = 100, double r = 300) {
    return ROElement{cid, label, "", l, r, b, t, 612, 792};
}

constexpr auto caption = DocLabel::caption;
constexpr auto picture = DocLabel::picture;
constexpr auto table = DocLabel::table;

struct Case {
    const char* name;
    std::vector<ROElement> ordered;  // reading order
    ReadingOrder::CidMap expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class Captions : public ::testing::TestWithParam<Case> {};

TEST_P(Captions, AreMatchedToTheirTargets) {
    EXPECT_EQ(ReadingOrder::attachCaptions(GetParam().ordered), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Captions,
    ::testing::Values(
        // 10 points to the picture above and to the one below.
        Case{"tieGoesToTheTargetBefore",
             {element(0, picture, 600, 700), element(1, caption, 580, 590), element(2, picture, 470, 570)},
             {{0, {1}}}},
        // The second caption is nearer, but the first in reading order keeps the table.
        Case{"captionTableCaption",
             {element(0, caption, 700, 710), element(1, table, 600, 690), element(2, caption, 590, 595)},
             {{1, {0}}}},
        Case{"tableCaptionCaption",
             {element(0, table, 600, 690), element(1, caption, 590, 595), element(2, caption, 580, 585)},
             {{0, {1}}}},
        // A first takes the nearer P1; B, which can only have P1, moves A on to P2.
        Case{"augmentingPathReroutes",
             {element(0, picture, 700, 780), element(1, caption, 600, 610), element(2, picture, 500, 590),
              element(3, caption, 480, 490)},
             {{0, {1}}, {2, {3}}}},
        Case{"textBreaksTheRun",
             {element(0, table, 600, 690), element(1, DocLabel::text, 590, 595), element(2, caption, 580, 585)},
             {}},
        // The run before the caption holds code and a picture; the second caption has none.
        Case{"runOfTargetsBeforeTheCaption",
             {element(0, picture, 600, 690), element(1, DocLabel::code, 500, 590), element(2, caption, 480, 490),
              element(3, caption, 470, 475)},
             {{1, {2}}}},
        Case{"boxWithoutMeaningIsStillACandidate",
             {element(0, picture, std::numeric_limits<double>::quiet_NaN(), 700), element(1, caption, 580, 590)},
             {{0, {1}}}}),
    ce::testing::ByName{});

TEST(Footnotes, FollowTheirTableOrPictureDirectly) {
    const std::vector<ROElement> ordered = {
        element(0, table, 600, 690),          element(1, DocLabel::footnote, 590, 595),
        element(2, DocLabel::footnote, 580, 585), element(3, DocLabel::text, 570, 575),
        element(4, DocLabel::footnote, 560, 565), element(5, picture, 400, 550),
        element(6, DocLabel::footnote, 390, 395), element(7, DocLabel::code, 300, 380),
        element(8, DocLabel::footnote, 290, 295), element(9, caption, 280, 285),
        element(10, table, 200, 270)};
    const ReadingOrder::CidMap expected = {{0, {1, 2}}, {5, {6}}};
    EXPECT_EQ(ReadingOrder::attachFootnotes(ordered), expected);
}

}  // namespace
