#include <gtest/gtest.h>

#include "MarkdownReader.h"
#include "OutputTestSupport.h"
#include "output/MarkdownWriter.h"
#include "support/CaseNames.h"

using namespace ce;
using namespace ce::testing;

TEST(MarkdownWriterTest, EscapesUnderscoresOutsideImageLinks) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {Case{"snake_case", "snake\\_case"}, Case{"a\\_b", "a\\_b"}, Case{"no underscore", "no underscore"},
                          Case{"![x_y](p_1.png) z_w", "![x_y](p_1.png) z\\_w"},
                          Case{"_a ![i](x_1.png) b_ ![j](y_2.png)_", "\\_a ![i](x_1.png) b\\_ ![j](y_2.png)\\_"},
                          Case{"ünï_cödé", "ünï\\_cödé"}}) {
        EXPECT_EQ(MarkdownWriter::escape(c.in), c.out) << c.in;
    }
}

TEST(MarkdownWriterTest, ParagraphsKeepBlankLinesAndGetHardBreaks) {
    EXPECT_EQ(MarkdownWriter::paragraph("one\ntwo\n\nthree"), "one  \ntwo\n\nthree");
    EXPECT_EQ(MarkdownWriter::paragraph("single"), "single");
}

struct ElementCase {
    const char* name;
    DocElement element;
    const char* markdown;
};

void PrintTo(const ElementCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

DocElement withLevel(DocElement e, int level) {
    e.level = level;
    return e;
}
DocElement withCaptions(DocElement e, std::vector<std::string> texts) {
    for (auto& t : texts) e.captions.push_back(element(DocElementKind::caption, t));
    return e;
}
DocElement withLabel(DocElement e, DocLabel label) {
    e.label = label;
    return e;
}
DocElement withTable(DocElement e, TableStructure t) {
    e.table = std::move(t);
    return e;
}
DocElement withOrig(DocElement e, std::string orig) {
    e.orig = std::move(orig);
    return e;
}

class MarkdownWriterElements : public ::testing::TestWithParam<ElementCase> {};

TEST_P(MarkdownWriterElements, EachKindGetsItsMarkupWithTheTextEscaped) {
    EXPECT_EQ(MarkdownWriter::element(GetParam().element, 0, false), GetParam().markdown);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MarkdownWriterElements,
    ::testing::Values(
        ElementCase{"title", element(DocElementKind::title, "A_B\nC & D"), "# A\\_B C &amp; D"},
        ElementCase{"level7", withLevel(element(DocElementKind::sectionHeader, "Deep"), 7), "######## Deep"},
        ElementCase{"text", element(DocElementKind::text, "x < y\n\"q\" 'a'"), "x &lt; y  \n\"q\" 'a'"},
        ElementCase{"picture", withCaptions(element(DocElementKind::picture, ""), {"Fig_1", "Map"}),
                    "Fig\\_1 Map\n\n<!-- image -->"},
        ElementCase{"bare picture", element(DocElementKind::picture, ""), "<!-- image -->"},
        ElementCase{"formula", element(DocElementKind::formula, "x_1 < 2"), "$$x\\_1 &lt; 2$$"},
        ElementCase{"undecoded formula", withOrig(element(DocElementKind::formula, ""), "x"),
                    "<!-- formula-not-decoded -->"},
        ElementCase{"empty formula", element(DocElementKind::formula, ""), ""},
        ElementCase{"code", withCaptions(element(DocElementKind::code, "a_b()"), {"Listing_1"}),
                    "```\na_b()\n```\n\nListing\\_1"},
        ElementCase{"form", element(DocElementKind::form, "ignored"), ""},
        ElementCase{"checked", withLabel(element(DocElementKind::checkbox, "Done_now"), DocLabel::checkboxSelected),
                    "- [x] Done\\_now"},
        ElementCase{"unchecked", withLabel(element(DocElementKind::checkbox, "Open"), DocLabel::checkboxUnselected),
                    "- [ ] Open"},
        ElementCase{"table caption escaped",
                    withTable(withCaptions(element(DocElementKind::table, ""), {"Tab_1", "<b>"}),
                              table(1, 1, {cell(0, 0, "v")})),
                    "Tab\\_1&lt;b&gt;\n\n<table><tr><td>v</td></tr></table>"}),
    ce::testing::ByName{});

TEST(MarkdownWriterTest, ListItemMarkers) {
    struct Case {
        const char* marker;
        std::optional<int> listID;
        bool enumerated;
        int number;
        const char* line;
    };
    for (const Case& c : {Case{"3.", 1, true, 0, "3. B"}, Case{"*", 1, false, 0, "* B"}, Case{"a)", 1, true, 0, "- a) B"},
                          Case{"•", 1, false, 0, "- B"}, Case{"", 1, true, 1, "2. B"}, Case{"", std::nullopt, true, 1, "- B"},
                          Case{"", 1, false, 4, "- B"}}) {
        EXPECT_EQ(MarkdownWriter::listItem(listItem("B", c.listID, c.marker), c.number, c.enumerated), c.line)
            << c.marker;
    }
}

TEST(MarkdownWriterTest, TableHTMLWithSpansHeadersAndEscaping) {
    EXPECT_EQ(MarkdownWriter::tableHTML(std::nullopt), "<table></table>");
    EXPECT_EQ(MarkdownWriter::tableHTML(table(0, 2, {cell(0, 0, "x")})), "<table></table>");
    EXPECT_EQ(MarkdownWriter::tableHTML(table(2, 2, {cell(0, 0, "wide", 1, 2), cell(1, 0, "a"), cell(1, 1, "b")})),
              "<table><tr><td colspan=\"2\">wide</td></tr><tr><td>a</td><td>b</td></tr></table>");
    EXPECT_EQ(MarkdownWriter::tableHTML(table(2, 3,
                                              {cell(0, 0, " Name ", 1, 1, true), cell(0, 1, "tall", 2, 2, true),
                                               cell(1, 0, "\"q\" & 'a' <b>"), cell(9, 9, "outside")})),
              "<table><tr><th>Name</th><th rowspan=\"2\" colspan=\"2\">tall</th></tr>"
              "<tr><td>&quot;q&quot; &amp; &#x27;a&#x27; &lt;b&gt;</td></tr></table>");
    // A position no cell starts at or covers is an empty cell; the later of two cells
    // with one origin wins.
    EXPECT_EQ(MarkdownWriter::tableHTML(table(1, 2, {cell(0, 1, "first"), cell(0, 1, "second")})),
              "<table><tr><td></td><td>second</td></tr></table>");
}

// A cell holding blank lines stays inside the one-line table that cmark reads as one block.
TEST(MarkdownWriterTest, CellLineBreaksBecomeBrAndKeepTheTableOneBlock) {
    const std::string html = MarkdownWriter::tableHTML(table(1, 2, {cell(0, 0, "one\n\ntwo\r\nthree"), cell(0, 1, "x")}));
    EXPECT_EQ(html, "<table><tr><td>one<br><br>two<br>three</td><td>x</td></tr></table>");
    EXPECT_EQ(readBlocks(html), (std::vector<std::string>{"html: " + html}));
}

TEST(MarkdownWriterTest, TableElementsClipOverlappingSpans) {
    // The first cell's span covers the second cell's origin; both texts stay in the HTML.
    DocElement e = withTable(element(DocElementKind::table, ""), table(1, 2, {cell(0, 0, "a", 1, 2), cell(0, 1, "b")}));
    EXPECT_EQ(MarkdownWriter::element(e, 0, false), "<table><tr><td>a</td><td>b</td></tr></table>");
}

TEST(MarkdownWriterTest, PageNumbersListsAndSeparatesInterruptions) {
    AssembledPage page;
    page.body = {element(DocElementKind::title, "T"),
                 listItem("one", 1, "", true),
                 listItem("two", 1, "", true),
                 element(DocElementKind::formula, ""),
                 element(DocElementKind::text, "between"),
                 listItem("three", 1, "", false),
                 listItem("x", 2, "-"),
                 listItem("y", std::nullopt, ""),
                 listItem("z", std::nullopt, "")};
    EXPECT_EQ(MarkdownWriter::markdown(page),
              "# T\n\n1. one\n2. two\n\nbetween\n\n3. three\n\n- x\n\n- y\n\n- z");
    EXPECT_EQ(MarkdownWriter::markdown(AssembledPage{}), "");
}
