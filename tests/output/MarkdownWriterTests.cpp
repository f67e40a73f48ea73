#include <gtest/gtest.h>

#include "MarkdownReader.h"
#include "OutputTestSupport.h"
#include "output/MarkdownWriter.h"

using namespace ce;
using namespace ce::testing;

TEST(MarkdownWriterTest, EscapesUnderscoresAndAsterisksOutsideImageLinks) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {Case{"snake_case", "snake\\_case"}, Case{"a\\_b", "a\\_b"}, Case{"no underscore", "no underscore"},
                          Case{"![x_y](p_1.png) z_w", "![x_y](p_1.png) z\\_w"},
                          Case{"_a ![i](x_1.png) b_ ![j](y_2.png)_", "\\_a ![i](x_1.png) b\\_ ![j](y_2.png)\\_"},
                          Case{"ünï_cödé", "ünï\\_cödé"}, Case{"8m*5m*8m", "8m\\*5m\\*8m"},
                          Case{"a\\*b ![*](p*.png)", "a\\*b ![*](p*.png)"}}) {
        EXPECT_EQ(MarkdownWriter::escape(c.in), c.out) << c.in;
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

namespace {

DocElement leveled(DocElementKind kind, std::string text, int level) {
    DocElement e = element(kind, std::move(text));
    e.level = level;
    return e;
}

DocElement labelled(DocElement e, DocLabel label) {
    e.label = label;
    return e;
}

DocElement withOrig(DocElement e, std::string orig) {
    e.orig = std::move(orig);
    return e;
}

DocElement captioned(DocElement e, std::vector<std::string> texts) {
    for (std::string& text : texts) e.captions.push_back(element(DocElementKind::caption, std::move(text)));
    return e;
}

}  // namespace

// The page renderer's own rules per kind, where they differ from the exporter's.
TEST(MarkdownWriterTest, ElementRulesPerKind) {
    struct Case {
        const char* name;
        DocElement element;
        const char* markdown;
    };
    const Case cases[] = {
        {"title joins lines", element(DocElementKind::title, "Annual\nReport_2024"), "# Annual Report\\_2024"},
        {"level 7 header has eight marks", leveled(DocElementKind::sectionHeader, "Deep", 7), "######## Deep"},
        {"paragraph hard breaks and html", element(DocElementKind::text, "a < b\nc & \"d\"\n\ne"),
         "a &lt; b  \nc &amp; \"d\"\n\ne"},
        {"no block-start guard", element(DocElementKind::text, "# not a heading"), "# not a heading"},
        {"fixed code fence", captioned(element(DocElementKind::code, "x = `y`\n```"), {"Listing 1"}),
         "```\nx = `y`\n```\n```\n\nListing 1"},
        {"formula", element(DocElementKind::formula, "E=mc^2"), "$$E=mc^2$$"},
        {"formula not decoded", withOrig(element(DocElementKind::formula, ""), "E"), "<!-- formula-not-decoded -->"},
        {"empty formula", element(DocElementKind::formula, ""), ""},
        {"picture caption", captioned(element(DocElementKind::picture, ""), {"Fig_1", "map"}),
         "Fig\\_1 map\n\n<!-- image -->"},
        {"table captions unescaped", captioned(element(DocElementKind::table, ""), {"T_1", "x"}),
         "T_1x\n\n<table></table>"},
        {"form", element(DocElementKind::form, "field"), ""},
        {"checked box", labelled(element(DocElementKind::checkbox, "yes"), DocLabel::checkboxSelected), "- [x] yes"},
        {"open box", labelled(element(DocElementKind::checkbox, "no"), DocLabel::checkboxUnselected), "- [ ] no"},
    };
    for (const Case& c : cases) EXPECT_EQ(MarkdownWriter::element(c.element, 0, false), c.markdown) << c.name;
}

TEST(MarkdownWriterTest, ListItemMarkers) {
    struct Case {
        const char* name;
        DocElement item;
        int number;
        bool enumerated;
        const char* line;
    };
    const Case cases[] = {
        {"number marker kept", listItem("B", 1, "3."), 0, true, "3. B"},
        {"star marker kept", listItem("B", 1, "*"), 0, false, "* B"},
        {"letter marker after dash", listItem("B", 1, "a)"), 0, true, "- a) B"},
        {"bullet sign dropped", listItem("B", 1, "\u2022"), 0, false, "- B"},
        {"numbered list counts", listItem("B", 1), 1, true, "2. B"},
        {"no list id is a bullet", listItem("B", std::nullopt), 4, true, "- B"},
        {"continuation lines break", listItem("B\nC", 1), 0, false, "- B  \nC"},
    };
    for (const Case& c : cases) EXPECT_EQ(MarkdownWriter::listItem(c.item, c.number, c.enumerated), c.line) << c.name;
}

// Numbering runs over the page for each list; an interruption gives a blank line, and an
// empty result neither prints nor separates.
TEST(MarkdownWriterTest, PageJoinsBlocksAndNumbersLists) {
    AssembledPage page;
    page.body = {listItem("one", 1, "", true),  listItem("two", 1, "", false), element(DocElementKind::formula, ""),
                 listItem("x", 2),               element(DocElementKind::text, "between"), listItem("three", 1)};
    EXPECT_EQ(MarkdownWriter::markdown(page), "1. one\n2. two\n\n- x\n\nbetween\n\n3. three");
    EXPECT_EQ(MarkdownWriter::markdown(AssembledPage{}), "");
}
