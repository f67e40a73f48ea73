// The text layer of real PDF pages: written by the tests, and from the corpus.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Unicode.h"
#include "input/TestFiles.h"
#include "pipeline/PDFPageSource.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

namespace {

const std::string helvetica = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

// A letter-spaced heading drawn with a character spacing of 3 points, above plain text.
TestPage spacedPage(const std::string& rotate) {
    return TestPage{.mediaBox = "0 0 400 300",
                    .rotate = rotate,
                    .content = "BT /F1 12 Tf 3 Tc 50 250 Td (HELLO WORLD) Tj 0 Tc 0 -30 Td "
                               "(Plain text below the heading.) Tj ET",
                    .resources = helvetica};
}

std::optional<PageText> textLayerOf(const TestPage& page) {
    ScratchFolder folder;
    const auto document = PDFDocument::open(folder.write("text.pdf", makePDF({page})));
    return PDFPageSource(document->page(0)).textLayer();
}

std::vector<std::string> texts(const std::vector<TextCell>& cells) {
    std::vector<std::string> out;
    for (const TextCell& c : cells) out.push_back(c.text);
    return out;
}

}  // namespace

TEST(PDFPageTextLayer, LetterSpacedLineComesOutAsTwoWords) {
    const auto text = textLayerOf(spacedPage(""));
    ASSERT_TRUE(text);
    EXPECT_EQ(texts(text->lines), (std::vector<std::string>{"HELLO WORLD", "Plain text below the heading."}));
    EXPECT_EQ(texts(text->words),
              (std::vector<std::string>{"HELLO", "WORLD", "Plain", "text", "below", "the", "heading."}));
    EXPECT_TRUE(text->segments.empty());
    // Boxes on the glyphs, top-left origin: the baseline at 250 lies 50 points from the top.
    const BBox& hello = text->words[0].bbox;
    EXPECT_NEAR(hello.l, 50, 0.5);
    EXPECT_LT(hello.t, 300 - 250 - 7);
    EXPECT_GT(hello.b, 300 - 250);
    EXPECT_LT(hello.b, 300 - 250 + 5);
    for (const TextCell& word : text->words) {
        EXPECT_EQ(word.confidence, 1.0);
        EXPECT_FALSE(word.fromOCR);
    }
}

TEST(PDFPageTextLayer, RotatedPagesGiveTheSameWordsTurnedWithThePage) {
    const auto upright = textLayerOf(spacedPage(""));
    ASSERT_TRUE(upright);
    const double w = 400;
    const double h = 300;
    for (int rotation : {90, 270}) {
        const auto turned = textLayerOf(spacedPage(std::to_string(rotation)));
        ASSERT_TRUE(turned) << rotation;
        ASSERT_EQ(texts(turned->words), texts(upright->words)) << rotation;
        for (std::size_t i = 0; i < upright->words.size(); ++i) {
            const BBox& u = upright->words[i].bbox;
            // The upright box in unrotated page space (y upwards), turned clockwise.
            const double x0 = u.l, x1 = u.r, y0 = h - u.b, y1 = h - u.t;
            const BBox expected = rotation == 90 ? BBox{y0, x0, y1, x1} : BBox{h - y1, w - x1, h - y0, w - x0};
            const BBox& t = turned->words[i].bbox;
            EXPECT_NEAR(t.l, expected.l, 0.01) << rotation;
            EXPECT_NEAR(t.t, expected.t, 0.01) << rotation;
            EXPECT_NEAR(t.r, expected.r, 0.01) << rotation;
            EXPECT_NEAR(t.b, expected.b, 0.01) << rotation;
        }
    }
}

// Text that shows upside down, drawn so or on a page displayed with a half turn, reads
// as the upright page, its boxes on the page turned back; mirrored text, a turned
// minority and turned content that /Rotate 180 shows upright (read as it shows) stand.
TEST(PDFPageTextLayer, PagesDrawnUpsideDownReadOnTheHalfTurnedPage) {
    const std::string lines = "BT /F1 12 Tf 50 250 Td (First line of the page) Tj 0 -20 Td (Second line follows) Tj "
                              "0 -20 Td (Third line ends it) Tj ET";
    const std::string halfTurned = "q -1 0 0 -1 400 300 cm " + lines + " Q";
    const std::string turnedNote = "q -1 0 0 -1 400 300 cm BT /F1 12 Tf 50 50 Td (note) Tj ET Q";
    TestPage upright = spacedPage("");
    upright.content = lines;
    const auto reference = textLayerOf(upright);
    ASSERT_TRUE(reference);
    ASSERT_EQ(texts(reference->lines),
              (std::vector<std::string>{"First line of the page", "Second line follows", "Third line ends it"}));
    EXPECT_FALSE(reference->halfTurned);

    struct Case {
        const char* name;
        std::string rotate;
        std::string content;
        bool readsAsUpright;  // the same lines, words and boxes as the upright page
        bool halfTurned;
    };
    const Case cases[] = {
        {"drawn upside down", "", halfTurned, true, true},
        {"upright on a page displayed with a half turn", "180", lines, true, true},
        {"upside down on a page displayed with a half turn", "180", halfTurned, true, false},
        {"mirrored", "", "q -1 0 0 1 400 0 cm " + lines + " Q", false, false},
        {"a turned note beside upright text", "", lines + " " + turnedNote, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPage page = spacedPage(c.rotate);
        page.content = c.content;
        const auto text = textLayerOf(page);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->halfTurned, c.halfTurned);
        if (!c.readsAsUpright) continue;
        ASSERT_EQ(texts(text->lines), texts(reference->lines));
        ASSERT_EQ(texts(text->words), texts(reference->words));
        for (std::size_t i = 0; i < reference->words.size(); ++i) {
            const BBox& u = reference->words[i].bbox;
            const BBox& t = text->words[i].bbox;
            EXPECT_NEAR(t.l, u.l, 0.01);
            EXPECT_NEAR(t.t, u.t, 0.01);
            EXPECT_NEAR(t.r, u.r, 0.01);
            EXPECT_NEAR(t.b, u.b, 0.01);
        }
    }
}

TEST(PDFPageTextLayer, PagesWithoutEnoughTextHaveNone) {
    EXPECT_FALSE(textLayerOf(TestPage{.content = "BT /F1 12 Tf 20 50 Td (ninechars) Tj ET", .resources = helvetica}));
    EXPECT_TRUE(textLayerOf(TestPage{.content = "BT /F1 12 Tf 20 50 Td (tenletters) Tj ET", .resources = helvetica}));
    EXPECT_FALSE(textLayerOf(TestPage{.content = "0 0 0 rg 0 0 20 20 re f"}));
}

// A page a billion points on each side keeps its text layer, placed as on a small page.
TEST(PDFPageTextLayer, HugePagesKeepTheirText) {
    for (const char* side : {"400", "1000000000"}) {
        SCOPED_TRACE(side);
        const std::string box = std::string("0 0 ") + side + " " + side;
        const auto text = textLayerOf(TestPage{.mediaBox = box,
                                               .content = "BT /F1 12 Tf 20 50 Td (Readable words) Tj ET",
                                               .resources = helvetica});
        ASSERT_TRUE(text);
        ASSERT_EQ(texts(text->lines), (std::vector<std::string>{"Readable words"}));
        const BBox& b = text->lines[0].bbox;
        EXPECT_NEAR(b.l, 20, 0.5);
        EXPECT_GT(b.b - b.t, 8);
        EXPECT_LT(b.b - b.t, 20);
    }
}

// Every page of the corpus PDFs gives lines of reading size with words inside the page.
TEST(PDFPageTextLayer, CorpusPagesGiveReadingSizedLinesAndWordsOnThePage) {
    const std::filesystem::path corpus = ce::testing::corpusDir();
    if (!std::filesystem::exists(corpus / "sample-files")) GTEST_SKIP() << "corpus not present at " << corpus;
    int pagesWithText = 0;
    for (const char* folder : {"sample-files", "tables"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus / folder)) {
            if (entry.path().extension() != ".pdf") continue;
            std::shared_ptr<PDFDocument> document;
            try {
                document = PDFDocument::open(entry.path());
                if (document->isLocked()) continue;
            } catch (const PDFError&) {
                continue;
            }
            const int pages = std::min(document->pageCount(), 3);
            for (int i = 0; i < pages; ++i) {
                const auto page = document->page(i);
                if (!page) continue;
                const PDFPageSource source(page);
                const auto text = source.textLayer();
                if (!text) continue;
                ++pagesWithText;
                const std::string where = entry.path().filename().string() + " page " + std::to_string(i);
                ASSERT_FALSE(text->lines.empty()) << where;
                int tallLines = 0;
                for (const TextCell& line : text->lines) {
                    EXPECT_FALSE(line.text.empty()) << where;
                    if (line.bbox.height() > 60) ++tallLines;
                }
                // A page of a few lines may be all tilted text; on fuller pages tall lines are rare.
                if (text->lines.size() >= 5) {
                    EXPECT_LE(tallLines * 10, static_cast<int>(text->lines.size())) << where;
                }
                for (const TextCell& word : text->words) {
                    EXPECT_GT(word.bbox.width(), 0) << where << ": " << word.text;
                    EXPECT_GT(word.bbox.r, -1) << where << ": " << word.text;
                    EXPECT_LT(word.bbox.l, source.width() + 1) << where << ": " << word.text;
                    EXPECT_EQ(word.text.find(' '), std::string::npos) << where;
                }
            }
        }
    }
    EXPECT_GT(pagesWithText, 20);
}

// The numbers of a right-to-left table row that the reader writes without spaces between
// them, and between them and the row's label, are words and lines of their own.
TEST(PDFPageTextLayer, NumbersOfRightToLeftTableColumnsAreWordsOfTheirOwn) {
    const auto text = textLayerOf(TestPage{
        .mediaBox = "0 0 400 300",
        .content = "BT /F1 10 Tf 50 200 Td [(12.6)-3806(3.2)-3091(-3.0)] TJ ET BT /F1 10 Tf 300 200 Td (DCBA) Tj ET",
        .resources = ce::testing::hebrewFont});
    ASSERT_TRUE(text);
    const std::string peace = "\u05E9\u05DC\u05D5\u05DD";
    EXPECT_EQ(texts(text->words), (std::vector<std::string>{"12.6", "3.2", peace, "-3.0"}));
    EXPECT_EQ(texts(text->lines), (std::vector<std::string>{"12.6", "3.2", peace, "-3.0"}));
}

namespace {

// Helvetica with codes A to F drawing the Hebrew letters shin, lamed, vav, final mem,
// ayin and tav: "ABCD" is "שלום" (peace), "ECBD" "עולם" (world).
const std::string hebrewLetters =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /Type /Encoding "
    "/Differences [65 /afii57689 /afii57676 /afii57669 /afii57677 /afii57682 /afii57690] >> >> >> >>";

// Glyphs drawn one by one from `x` leftwards, 7 points apart: a word stored from its
// first letter.
std::string leftwards(const std::string& codes, double x) {
    std::string out;
    for (char code : codes) {
        out += "1 0 0 1 " + std::to_string(x) + " 200 Tm (" + std::string(1, code) + ") Tj ";
        x -= 7;
    }
    return out;
}

}  // namespace

// A Hebrew line stored from its first letter with an English phrase inside: the reader
// breaks it where the phrase starts and writes no space where the Hebrew goes on left
// of the phrase. It is one line, read from the right, with its five words.
TEST(PDFPageTextLayer, MixedLineStoredInReadingOrderIsOneLine) {
    const auto text = textLayerOf(TestPage{
        .mediaBox = "0 0 400 300",
        .content = "BT /F1 10 Tf " + leftwards("ABCD", 350) + "1 0 0 1 262 200 Tm (the pdf reader) Tj " +
                   leftwards("ECBD", 250) + "ET",
        .resources = hebrewLetters});
    ASSERT_TRUE(text);
    const std::string peace = "\u05E9\u05DC\u05D5\u05DD";
    const std::string world = "\u05E2\u05D5\u05DC\u05DD";
    EXPECT_EQ(texts(text->lines), (std::vector<std::string>{peace + " the pdf reader " + world}));
    EXPECT_EQ(texts(text->words), (std::vector<std::string>{peace, "the", "pdf", "reader", world}));
}

// A Hebrew heading set 0.6 em apart, drawn as shown, is one line of two words.
TEST(PDFPageTextLayer, WidelySpacedRightToLeftHeadingIsOneLine) {
    const auto text = textLayerOf(TestPage{
        .mediaBox = "0 0 400 300",
        .content = "BT /F1 20 Tf 12 Tc 50 200 Td (DCBA DCEF) Tj 0 Tc /F1 10 Tf 0 -40 Td (and the text below) Tj ET",
        .resources = hebrewLetters});
    ASSERT_TRUE(text);
    const std::string peace = "\u05E9\u05DC\u05D5\u05DD";
    EXPECT_EQ(texts(text->lines), (std::vector<std::string>{"\u05EA\u05E2\u05D5\u05DD " + peace, "and the text below"}));
}

namespace {

const std::vector<std::string> sidewaysLines = {"The committee met three times during the year to review",
                                                "the programme and to agree the priorities for the next",
                                                "period, and noted that applications had grown again."};

struct SidewaysCase {
    std::string name;
    std::string matrix;  // the text matrix of the turned paragraph
};

// An upright heading and paragraph above, and a paragraph drawn turned a quarter turn.
TestPage sidewaysPage(const SidewaysCase& c) {
    std::string content =
        "BT /F1 11 Tf 14 TL 72 740 Td (Annual review of the programme and of its offices) Tj"
        " T* (Members agreed the accounts and the plan for the coming year) Tj"
        " T* (The offices will report twice a year on their waiting times) Tj ET"
        " BT /F1 11 Tf 14 TL " + c.matrix + " Tm";
    for (const std::string& line : sidewaysLines) content += " (" + line + ") Tj T*";
    return TestPage{.mediaBox = "0 0 612 792", .content = content + " ET", .resources = helvetica};
}

void PrintTo(const SidewaysCase& c, std::ostream* os) { *os << c.name; }

class PDFPageTextLayerSideways : public ::testing::TestWithParam<SidewaysCase> {};

}  // namespace

// The lines of a paragraph drawn sideways lie side by side: each is a line of its own, in
// the order it is read, with its box along the whole line (not flattened to the height of
// the page's upright lines).
TEST_P(PDFPageTextLayerSideways, EachTurnedLineIsOneLineAlongItsLength) {
    const auto text = textLayerOf(sidewaysPage(GetParam()));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->lines.size(), 3 + sidewaysLines.size()) << ::testing::PrintToString(texts(text->lines));
    double previousCentre = 0;
    for (std::size_t i = 0; i < sidewaysLines.size(); ++i) {
        const TextCell& line = text->lines[3 + i];
        EXPECT_EQ(line.text, sidewaysLines[i]);
        EXPECT_GT(line.bbox.height(), 200) << line.text;
        EXPECT_LT(line.bbox.width(), 20) << line.text;
        const double centre = (line.bbox.l + line.bbox.r) / 2;
        if (i > 0) {
            EXPECT_NEAR(std::abs(centre - previousCentre), 14, 0.5);
        }
        previousCentre = centre;
    }
    for (const TextCell& word : text->words) {
        if (word.text == "committee") {
            EXPECT_GT(word.bbox.height(), 3 * word.bbox.width());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Turns, PDFPageTextLayerSideways,
                         ::testing::Values(SidewaysCase{"ReadingUpwards", "0 1 -1 0 150 100"},
                                           SidewaysCase{"ReadingDownwards", "0 -1 1 0 450 600"}),
                         ce::testing::ByName());
