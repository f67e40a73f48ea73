#include <gtest/gtest.h>

#include <string>

#include "input/TestFiles.h"
#include "platform/PDFStructuredText.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

namespace {

// Helvetica with code 65 ("A") drawing the "fi" ligature glyph.
const std::string ligatureFont =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
    "/Encoding << /Type /Encoding /Differences [65 /fi] >> >> >> >>";

PageTextView viewOf(const TestPage& page) {
    ScratchFolder folder;
    const auto document = PDFDocument::open(folder.write("text.pdf", makePDF({page})));
    return PDFStructuredText::read(*document->page(0));
}

TestPage textPage(const std::string& rotate, const std::string& cropBox = "") {
    return TestPage{.mediaBox = "0 0 400 300",
                    .cropBox = cropBox,
                    .rotate = rotate,
                    .content = "BT /F1 20 Tf 50 200 Td (Aeld proAt) Tj 0 -40 Td (second line) Tj ET",
                    .resources = ligatureFont};
}

}  // namespace

TEST(PDFStructuredText, ExpandsLigaturesAndKeepsSpacesWithTheirBoxes) {
    const PageTextView view = viewOf(textPage(""));
    EXPECT_EQ(view.text, u"field profit\nsecond line\n");
    ASSERT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines[0].ranges.size(), 1u);
    EXPECT_EQ(view.lines[0].ranges[0].location, 0);
    EXPECT_EQ(view.lines[0].ranges[0].length, 12);
    EXPECT_EQ(view.lines[1].ranges[0].location, 13);
    ASSERT_EQ(view.boxes.size(), view.text.size());
    EXPECT_FALSE(view.boxes[12].has_value());  // the line break

    // The ligature's box is shared out: "f" and "i" side by side, equally wide.
    const auto& f = *view.boxes[0];
    const auto& i = *view.boxes[1];
    EXPECT_NEAR(f.minX, 50, 0.01);
    EXPECT_NEAR(f.maxX, i.minX, 0.01);
    EXPECT_NEAR(f.width(), i.width(), 0.01);
    EXPECT_EQ(f.minY, i.minY);
    // Unrotated page space, y upwards: the glyphs stand on the 200-point baseline.
    EXPECT_LT(f.minY, 200);
    EXPECT_GT(f.maxY, 210);
    ASSERT_TRUE(view.boxes[5].has_value());  // the space between the words
    EXPECT_GT(view.boxes[5]->width(), 0);
    EXPECT_LT(view.boxes[14]->minY, 160);
    EXPECT_EQ(view.rotation, 0);
    EXPECT_EQ(view.cropBox, (PageTextView::Rect{0, 0, 400, 300}));
}

TEST(PDFStructuredText, BoxesStayInUnrotatedPageSpaceOnRotatedAndCroppedPages) {
    const PageTextView upright = viewOf(textPage(""));
    for (const char* rotate : {"90", "180", "270"}) {
        const PageTextView turned = viewOf(textPage(rotate, "20 10 380 290"));
        EXPECT_EQ(turned.rotation, std::stoi(rotate));
        EXPECT_EQ(turned.cropBox, (PageTextView::Rect{20, 10, 380, 290}));
        // Shown with a half turn the text stands upside down, so the view is half-turned:
        // its boxes are turned about the crop box's centre (200, 150).
        const bool halfTurned = std::string(rotate) == "180";
        EXPECT_EQ(turned.halfTurned, halfTurned) << rotate;
        ASSERT_EQ(turned.text, upright.text) << rotate;
        for (std::size_t p = 0; p < upright.boxes.size(); ++p) {
            ASSERT_EQ(turned.boxes[p].has_value(), upright.boxes[p].has_value());
            if (!upright.boxes[p]) continue;
            const PageTextView::Rect& u = *upright.boxes[p];
            const PageTextView::Rect expected =
                halfTurned ? PageTextView::Rect{400 - u.maxX, 300 - u.maxY, 400 - u.minX, 300 - u.minY} : u;
            EXPECT_NEAR(turned.boxes[p]->minX, expected.minX, 0.01) << rotate << " at " << p;
            EXPECT_NEAR(turned.boxes[p]->minY, expected.minY, 0.01) << rotate << " at " << p;
            EXPECT_NEAR(turned.boxes[p]->maxX, expected.maxX, 0.01) << rotate << " at " << p;
            EXPECT_NEAR(turned.boxes[p]->maxY, expected.maxY, 0.01) << rotate << " at " << p;
        }
    }
}

TEST(PDFStructuredText, PageWithoutTextGivesAnEmptyView) {
    const PageTextView view = viewOf(TestPage{.content = "0 0 0 rg 0 0 20 20 re f"});
    EXPECT_TRUE(view.text.empty());
    EXPECT_TRUE(view.lines.empty());
}

namespace {

const std::string helvetica = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

struct RedrawCase {
    const char* name;
    std::string content;  // the page's content stream, Helvetica as /F1
    std::u16string text;  // the view's text
};

void PrintTo(const RedrawCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class PDFStructuredTextRedraws : public ::testing::TestWithParam<RedrawCase> {};

const std::string sentence = "(Hello all, we will tell you the full story)";

}  // namespace

// Text drawn again over itself, a little offset, to look bold or shadowed is read once.
// Double letters stay however tightly they are set: condensed, tracked or small type
// advances from one letter to the next, so the two boxes lie side by side. Different
// letters drawn over each other and the same digit in the next row of a dense table
// (their boxes overlap by a little) stay too.
TEST_P(PDFStructuredTextRedraws, ReadsEachLetterOnce) {
    const RedrawCase& c = GetParam();
    const PageTextView view = viewOf(TestPage{.mediaBox = "0 0 400 300", .content = c.content, .resources = helvetica});
    EXPECT_EQ(view.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Glyphs, PDFStructuredTextRedraws,
    ::testing::Values(
        RedrawCase{"FakeBold",
                   "BT /F1 20 Tf 50 200 Td (Kruger) Tj ET BT /F1 20 Tf 50.7 200.4 Td (Kruger) Tj ET "
                   "BT /F1 10 Tf 50 150 Td (will) Tj ET BT /F1 10 Tf 50.25 150 Td (will) Tj ET "
                   "BT /F1 10 Tf 50.5 150 Td (will) Tj ET",
                   u"Kruger\nwill\n"},
        // Each letter drawn twice before the next, the pen moved back by its width less 0.02 em.
        RedrawCase{"FakeBoldLetterByLetter", "BT /F1 10 Tf 50 150 Td [(w) 702 (w) (i) 202 (i)] TJ ET", u"wi\n"},
        RedrawCase{"Shadow", "BT /F1 20 Tf 51.2 198.8 Td (full) Tj ET BT /F1 20 Tf 50 200 Td (full) Tj ET", u"full\n"},
        RedrawCase{"TouchingDoubleLetters", "BT /F1 20 Tf 50 150 Td (small) Tj ET", u"small\n"},
        RedrawCase{"Condensed", "BT /F1 10 Tf 80 Tz 20 150 Td " + sentence + " Tj ET",
                   u"Hello all, we will tell you the full story\n"},
        RedrawCase{"Tracked", "BT /F1 10 Tf -0.3 Tc 20 150 Td " + sentence + " Tj ET",
                   u"Hello all, we will tell you the full story\n"},
        RedrawCase{"SmallAndTight", "BT /F1 7 Tf 90 Tz -0.1 Tc 20 150 Td (conseiller) Tj ET", u"conseiller\n"},
        RedrawCase{"DifferentLettersOverEachOther",
                   "BT /F1 20 Tf 50 100 Td (O) Tj ET BT /F1 20 Tf 50 100 Td (C) Tj ET", u"OC\n"},
        RedrawCase{"SameDigitInTheNextTableRow", "BT /F1 20 Tf 50 60 Td (7) Tj ET BT /F1 20 Tf 50 47 Td (7) Tj ET",
                   u"77\n"}),
    ce::testing::ByName());

// Hebrew drawn as it is shown, left to right (the last letter first), reads from its
// first letter; each letter keeps its own box. Codes A to D draw the letters of
// "שלום" (peace).
TEST(PDFStructuredText, RightToLeftTextDrawnLeftToRightReadsInLogicalOrder) {
    const PageTextView view = viewOf(TestPage{.mediaBox = "0 0 400 300",
                                              .content = "BT /F1 20 Tf 50 200 Td (DCBA) Tj ET BT /F1 20 Tf 50 150 Td (AB x) Tj ET",
                                              .resources = ce::testing::hebrewFont});
    // A right-to-left line read from the right: the Latin letter at its right end comes first.
    EXPECT_EQ(view.text, u"\u05E9\u05DC\u05D5\u05DD\nx \u05DC\u05E9\n");
    ASSERT_TRUE(view.boxes[0] && view.boxes[3]);
    EXPECT_GT(view.boxes[0]->minX, view.boxes[3]->minX);  // the first letter stands at the right
}

// A right-to-left table row: the reader puts the label (codes A to D, "שלום") and the
// numbers of the columns into one line with nothing between them. The line is cut where
// they lie apart, its parts read from the right; a number ending in a space before the
// label stays with it, its sign in front. Hebrew set with a letter spacing of 0.3 em,
// which the reader also writes without spaces, stays one word.
TEST(PDFStructuredText, CutsRightToLeftLinesWhereTheirTextLiesApart) {
    const PageTextView view = viewOf(TestPage{
        .mediaBox = "0 0 400 300",
        .content = "BT /F1 10 Tf 300 200 Td (DCBA) Tj ET BT /F1 10 Tf 50 200 Td [(2.6)-3806(3.2)-3091(-3.0)] TJ ET "
                   "BT /F1 10 Tf 50 150 Td [(2.6)-3806(-1.7)] TJ ET BT /F1 10 Tf 150 150 Td (  DCBA) Tj ET "
                   "BT /F1 10 Tf 3 Tc 50 100 Td (DCBA) Tj ET",
        .resources = ce::testing::hebrewFont});
    const std::u16string peace = u"\u05E9\u05DC\u05D5\u05DD";
    EXPECT_EQ(view.text, peace + u"\n-3.0\n3.2\n2.6\n" + peace + u" -1.7\n2.6\n" + peace + u"\n");
    ASSERT_EQ(view.lines.size(), 7u);
    // Every character keeps its own box: "-3.0" stands between "3.2" and the label.
    const auto minus = view.text.find(u"-3.0");
    const auto three = view.text.find(u"3.2");
    ASSERT_TRUE(view.boxes[minus] && view.boxes[three] && view.boxes[0]);
    EXPECT_GT(view.boxes[minus]->minX, view.boxes[three]->maxX);
    EXPECT_GT(view.boxes[0]->minX, view.boxes[minus]->maxX);
}

// Some PDFs draw a tab (code B here) as the space between words: it reads as one word
// space however many are drawn, never as a tab that a word processor turns into a stop.
TEST(PDFStructuredText, TabsBetweenWordsReadAsOneSpace) {
    const PageTextView view = viewOf(TestPage{
        .mediaBox = "0 0 400 300",
        .content = "BT /F1 12 Tf 50 200 Td (heartBdisease) Tj 0 -30 Td (andBBB5.7%) Tj ET",
        .resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                     "/Encoding << /Type /Encoding /Differences [66 /uni0009] >> >> >> >>"});
    EXPECT_EQ(view.text, u"heart disease\nand 5.7%\n");
}
