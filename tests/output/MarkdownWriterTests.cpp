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
