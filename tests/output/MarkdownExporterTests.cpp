#include <gtest/gtest.h>

#include "MarkdownReader.h"
#include "OutputTestSupport.h"
#include "output/MarkdownExporter.h"
#include "support/CaseNames.h"

using namespace ce;
using namespace ce::testing;
using Lines = std::vector<std::string>;

namespace {

std::string render(std::vector<DocElement> body, MarkdownExporter::ImageMode mode = MarkdownExporter::ImageMode::placeholder,
                   MarkdownExporter::ImagePath path = nullptr) {
    AssembledPage page;
    page.body = std::move(body);
    return MarkdownExporter::markdown(page, mode, path);
}

std::string text(const std::string& t) { return render({element(DocElementKind::text, t)}); }

DocElement captioned(DocElement e, std::vector<std::string> captions, std::vector<std::string> footnotes = {}) {
    for (auto& c : captions) e.captions.push_back(element(DocElementKind::caption, c));
    for (auto& f : footnotes) e.footnotes.push_back(element(DocElementKind::footnote, f));
    return e;
}

}  // namespace

namespace {
struct GuardCase {
    const char* line;
    const char* written;
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << ce::testing::printable(c.line); }

class MarkdownBlockStartGuard : public ::testing::TestWithParam<GuardCase> {};
}  // namespace

// Each line stays one paragraph line with its own text (leading spaces aside) when read back.
TEST_P(MarkdownBlockStartGuard, KeepsLinesParagraphText) {
    const std::string line = GetParam().line;
    const std::string read = line.substr(line.find_first_not_of(' '));
    const std::string written = text("Total\n" + line);
    EXPECT_EQ(written, std::string("Total  \n") + GetParam().written);
    EXPECT_EQ(readBlocks(written), (Lines{"p: Total⏎" + read}));
    EXPECT_EQ(readBlocks(text(line)), (Lines{"p: " + read}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MarkdownBlockStartGuard,
    ::testing::Values(GuardCase{"```code", "\\```code"}, GuardCase{"~~~", "\\~~~"}, GuardCase{"# not a heading", "\\# not a heading"},
                      GuardCase{"   ###", "   \\###"}, GuardCase{"---", "\\---"}, GuardCase{"* * *", "\\* \\* \\*"},
                      GuardCase{"===", "\\==="}, GuardCase{"--", "\\--"}, GuardCase{"=", "\\="}, GuardCase{"-", "\\-"},
                      GuardCase{"-word", "-word"}, GuardCase{"#hashtag", "#hashtag"},
                      GuardCase{"___", "\\_\\_\\_"}, GuardCase{"a_b & <c>", "a\\_b &amp; &lt;c&gt;"},
                      GuardCase{"*", "\\*"}, GuardCase{"+", "\\+"}, GuardCase{"- item", "\\- item"},
                      GuardCase{"  + item", "  \\+ item"}, GuardCase{"2014.", "2014\\."}, GuardCase{"3) three", "3\\) three"},
                      GuardCase{"8m*5m*8m", "8m\\*5m\\*8m"}, GuardCase{"*not emphasis*", "\\*not emphasis\\*"},
                      GuardCase{"+1 555 0100", "+1 555 0100"}, GuardCase{"3.5 m", "3.5 m"},
                      GuardCase{"1234567890. ten digits", "1234567890. ten digits"}),
    ce::testing::ByIndexAnd<&GuardCase::line>{});

TEST(MarkdownExporterTest, HeadingsAndParagraphs) {
    DocElement deep = element(DocElementKind::sectionHeader, "Deep_er");
    deep.level = 8;
    DocElement second = element(DocElementKind::sectionHeader, "Two");
    second.level = 1;
    const std::string md = render({element(DocElementKind::title, "The\nTitle"), deep, second,
                                   element(DocElementKind::text, "one\ntwo\n\n\n\nthree")});
    EXPECT_EQ(md, "# The Title\n\n###### Deep\\_er\n\n## Two\n\none  \ntwo\n\nthree");
    EXPECT_EQ(readBlocks(md), (Lines{"h1: The Title", "h6: Deep_er", "h2: Two", "p: one⏎two", "p: three"}));
}

TEST(MarkdownExporterTest, ContinuationIndentFollowsMarkerWidth) {
    const std::string md = render({listItem("a\nb", 1, "9."), listItem("c\nd\n\ne", 1, "10.")});
    EXPECT_EQ(md, "9. a  \n   b\n10. c  \n    d\n\n    e");
    EXPECT_EQ(readBlocks(md), (Lines{"ol 9", "  li", "    p: a⏎b", "  li", "    p: c⏎d", "    p: e"}));
    const std::string bullets = render({listItem("x\ny", 1, "-"), listItem("z", 1, "*")});
    EXPECT_EQ(bullets, "- x  \n  y\n- z");
    EXPECT_EQ(readBlocks(bullets), (Lines{"ul", "  li", "    p: x⏎y", "  li", "    p: z"}));
}

TEST(MarkdownExporterTest, ListRunsSplitAtGapsAndKindChanges) {
    // A gap starts a second ordered list; the lists of one run are joined by one line feed.
    EXPECT_EQ(render({listItem("a", 1, "1."), listItem("b", 1, "2."), listItem("c", 1, "4.")}), "1. a\n2. b\n4. c");
    // Empty markers are numbered by position in a numbered list, bulleted otherwise; a
    // marker with letters becomes part of the text, one of symbols is dropped.
    EXPECT_EQ(render({listItem("a", 1, "", true), listItem("b", 1, "", true), listItem("c", 1, "a)", true),
                      listItem("d", 1, "", true)}),
              "1. a\n2. b\n- a) c\n4. d");
    EXPECT_EQ(render({listItem("a", 1, "", false), listItem("b", 1, "•")}), "- a\n- b");
    // Different list ids, and items without an id, form runs of their own.
    const std::string md = render({listItem("a", 1, "-"), listItem("b", 2, "-"), listItem("c", std::nullopt, "-"),
                                   listItem("d", std::nullopt, "-")});
    EXPECT_EQ(md, "- a\n\n- b\n\n- c\n\n- d");
    EXPECT_EQ(render({listItem("a", 1, "0."), listItem("", 1, "1.")}), "0. a\n1.");
    EXPECT_EQ(render({listItem("huge", 1, "99999999999999999999.")}), "- 99999999999999999999. huge");
}

TEST(MarkdownExporterTest, CodeFencesOutgrowBackticksInTheCode) {
    struct Case {
        const char* code;
        const char* fence;
    };
    for (const Case& c : {Case{"plain()", "```"}, Case{"a\n  ````\nb", "`````"}, Case{"x ``` y", "```"},
                          Case{"```\nz\n", "````"}}) {
        const std::string md = render({captioned(element(DocElementKind::code, c.code), {"Listing_1"})});
        std::string code = c.code;
        while (!code.empty() && code.back() == '\n') code.pop_back();
        EXPECT_EQ(md, std::string(c.fence) + "\n" + code + "\n" + c.fence + "\n\nListing\\_1") << c.code;
        EXPECT_EQ(readBlocks(md), (Lines{"code: " + code + "\n", "p: Listing_1"})) << c.code;
    }
}

TEST(MarkdownExporterTest, TablesWithCaptionsSpansAndFootnotes) {
    DocElement t = captioned(element(DocElementKind::table, ""), {"Table_1 ", "<sales>"}, {"Source: a_b"});
    // The first cell's span reaches over the second cell's origin and is clipped.
    t.table = table(2, 2, {cell(0, 0, "Head \"H\"", 1, 3, true), cell(0, 1, "x"), cell(1, 0, "a\n\nb", 1, 2)});
    const std::string md = render({t});
    const std::string html =
        "<table><tr><th>Head &quot;H&quot;</th><td>x</td></tr><tr><td colspan=\"2\">a<br><br>b</td></tr></table>";
    EXPECT_EQ(md, "Table\\_1 &lt;sales&gt;\n\n" + html + "\n\nSource: a\\_b");
    EXPECT_EQ(readBlocks(md), (Lines{"p: Table_1 <sales>", "html: " + html, "p: Source: a_b"}));
    // A table without a grid, or whose cells hold no text, writes no empty table.
    EXPECT_EQ(render({element(DocElementKind::documentIndex, "")}), "");
    DocElement chart = captioned(element(DocElementKind::table, ""), {"Figure 2"});
    chart.table = table(1, 2, {cell(0, 0, " "), cell(0, 1, "")});
    EXPECT_EQ(render({chart, element(DocElementKind::text, "After")}), "Figure 2\n\nAfter");
}

TEST(MarkdownExporterTest, PicturesAsPlaceholdersOrLinks) {
    const DocElement picture = captioned(element(DocElementKind::picture, "", 7), {"Figure_1 [map]"}, {"Note"});
    auto path = [](const DocElement& e) -> std::optional<std::string> {
        return "doc%20%28v2%29-images/p1-" + std::to_string(e.clusterID) + ".png";
    };
    EXPECT_EQ(render({picture}), "Figure\\_1 [map]\n\n<!-- image -->\n\nNote");
    EXPECT_EQ(render({picture}, MarkdownExporter::ImageMode::linked, [](const DocElement&) { return std::nullopt; }),
              "Figure\\_1 [map]\n\n<!-- image -->\n\nNote");
    const std::string md = render({picture}, MarkdownExporter::ImageMode::linked, path);
    EXPECT_EQ(md, "Figure\\_1 [map]\n\n![Figure\\_1 (map)](doc%20%28v2%29-images/p1-7.png)\n\nNote");
    EXPECT_EQ(readBlocks(md), (Lines{"p: Figure_1 [map]", "p: img(doc%20%28v2%29-images/p1-7.png|Figure_1 (map))",
                                     "p: Note"}));
    EXPECT_EQ(render({element(DocElementKind::picture, "", 2)}, MarkdownExporter::ImageMode::linked, path),
              "![Figure](doc%20%28v2%29-images/p1-2.png)");
}

// The alternative text is cut to 200 characters before escaping, so neither an escape
// nor an entity is cut in half, and a trailing backslash is dropped.
TEST(MarkdownExporterTest, LongAltTextIsCutWithoutBreakingTheLink) {
    auto path = [](const DocElement&) -> std::optional<std::string> { return "i/p1-1.png"; };
    for (const std::string& caption : {std::string(199, 'a') + "_tail", std::string(199, 'a') + "&", std::string(199, 'a') + "\\",
                                       std::string(150, 'a') + std::string(60, 'e') + "\xCC\x81"}) {
        const std::string md = render({captioned(element(DocElementKind::picture, ""), {caption})},
                                      MarkdownExporter::ImageMode::linked, path);
        const Lines blocks = readBlocks(md);
        ASSERT_EQ(blocks.size(), 2u) << md;
        EXPECT_EQ(blocks[1].rfind("p: img(i/p1-1.png|", 0), 0u) << md;
    }
    const std::string md = render({captioned(element(DocElementKind::picture, ""), {std::string(199, 'a') + "_tail"})},
                                  MarkdownExporter::ImageMode::linked, path);
    EXPECT_NE(md.find("![" + std::string(199, 'a') + "\\_](i/p1-1.png)"), std::string::npos);
    // The caption paragraph keeps the whole caption.
    EXPECT_NE(md.find("\\_tail\n\n"), std::string::npos);
}

TEST(MarkdownExporterTest, FormulasAndCheckboxes) {
    auto path = [](const DocElement&) -> std::optional<std::string> { return "i/p1-3.png"; };
    auto none = [](const DocElement&) -> std::optional<std::string> { return std::nullopt; };
    DocElement undecoded = element(DocElementKind::formula, "");
    undecoded.orig = "x";
    const DocElement empty = element(DocElementKind::formula, "");
    EXPECT_EQ(render({element(DocElementKind::formula, "a_1 < b")}), "$$a\\_1 &lt; b$$");
    EXPECT_EQ(render({undecoded}), "<!-- formula-not-decoded -->");
    EXPECT_EQ(render({undecoded}, MarkdownExporter::ImageMode::linked, path), "![Formula](i/p1-3.png)");
    EXPECT_EQ(render({element(DocElementKind::text, "a"), empty, element(DocElementKind::text, "b")}), "a\n\nb");
    EXPECT_EQ(render({empty}, MarkdownExporter::ImageMode::linked, none), "");

    DocElement checked = element(DocElementKind::checkbox, "Done\nnow");
    checked.label = DocLabel::checkboxSelected;
    const std::string md = render({checked, element(DocElementKind::checkbox, "Open")});
    EXPECT_EQ(md, "- [x] Done  \n  now\n\n- [ ] Open");
    // Two one-item lists apart by a blank line read as one list: that is how Markdown works.
    EXPECT_EQ(readBlocks(md), (Lines{"ul", "  li", "    p: [x] Done⏎now", "  li", "    p: [ ] Open"}));
}

TEST(MarkdownExporterTest, ImagePathIsAskedOnlyInLinkedModeForPicturesAndEmptyFormulas) {
    int calls = 0;
    auto path = [&](const DocElement&) -> std::optional<std::string> {
        ++calls;
        return std::nullopt;
    };
    const std::vector<DocElement> body = {element(DocElementKind::picture, ""), element(DocElementKind::formula, "x"),
                                          element(DocElementKind::formula, ""), element(DocElementKind::text, "t")};
    render(body, MarkdownExporter::ImageMode::placeholder, path);
    EXPECT_EQ(calls, 0);
    render(body, MarkdownExporter::ImageMode::linked, path);
    EXPECT_EQ(calls, 2);
}

TEST(MarkdownExporterTest, ListLabels) {
    const std::vector<DocElement> same = {element(DocElementKind::text, "p"), listItem("a", 1, "a)", true),
                                          listItem("b", 1, "", false)};
    EXPECT_EQ(MarkdownExporter::listLabels(same), (std::map<int, std::string>{{1, "a)"}, {2, "2."}}));
    const std::vector<DocElement> different = {listItem("a", 1, "a)", true), listItem("b", 2, "", true),
                                               listItem("c", 3, "", false), listItem("d", std::nullopt, "", true)};
    EXPECT_EQ(MarkdownExporter::listLabels(different),
              (std::map<int, std::string>{{0, "a)"}, {1, "1."}, {2, "•"}, {3, "•"}}));
}

namespace {

struct ElementCase {
    const char* name;
    std::vector<DocElement> body;
    const char* markdown;
};

void PrintTo(const ElementCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

DocElement withLevel(DocElement e, int level) {
    e.level = level;
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

}  // namespace

class MarkdownExporterElements : public ::testing::TestWithParam<ElementCase> {};

TEST_P(MarkdownExporterElements, EachKindGetsItsMarkupWithTheTextEscaped) {
    EXPECT_EQ(render(GetParam().body), GetParam().markdown);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MarkdownExporterElements,
    ::testing::Values(
        ElementCase{"title", {element(DocElementKind::title, "A_B\nC & D")}, "# A\\_B C &amp; D"},
        ElementCase{"level7", {withLevel(element(DocElementKind::sectionHeader, "Deep"), 7)}, "###### Deep"},
        ElementCase{"text", {element(DocElementKind::text, "x < y\n\"q\" 'a'")}, "x &lt; y  \n\"q\" \'a\'"},
        ElementCase{"picture", {captioned(element(DocElementKind::picture, ""), {"Fig_1", "Map"})}, "Fig\\_1 Map\n\n<!-- image -->"},
        ElementCase{"bare picture", {element(DocElementKind::picture, "")}, "<!-- image -->"},
        ElementCase{"formula", {element(DocElementKind::formula, "x_1 < 2")}, "$$x\\_1 &lt; 2$$"},
        ElementCase{"undecoded formula", {withOrig(element(DocElementKind::formula, ""), "x")}, "<!-- formula-not-decoded -->"},
        ElementCase{"empty formula", {element(DocElementKind::formula, "")}, ""},
        ElementCase{"code", {captioned(element(DocElementKind::code, "a_b()"), {"Listing_1"})}, "```\na_b()\n```\n\nListing\\_1"},
        ElementCase{"form", {element(DocElementKind::form, "ignored")}, ""},
        ElementCase{"checked", {withLabel(element(DocElementKind::checkbox, "Done_now"), DocLabel::checkboxSelected)}, "- [x] Done\\_now"},
        ElementCase{"unchecked", {withLabel(element(DocElementKind::checkbox, "Open"), DocLabel::checkboxUnselected)}, "- [ ] Open"},
        ElementCase{"table caption escaped",
                    {withTable(captioned(element(DocElementKind::table, ""), {"Tab_1", "<b>"}),
                               table(1, 1, {cell(0, 0, "v")}))},
                    "Tab\\_1&lt;b&gt;\n\n<table><tr><td>v</td></tr></table>"},
        ElementCase{"overlapping spans clipped",
                    {withTable(element(DocElementKind::table, ""), table(1, 2, {cell(0, 0, "a", 1, 2), cell(0, 1, "b")}))},
                    "<table><tr><td>a</td><td>b</td></tr></table>"},
        ElementCase{"list numbering across interruptions",
                    {element(DocElementKind::title, "T"), listItem("one", 1, "", true), listItem("two", 1, "", true),
                     element(DocElementKind::formula, ""), element(DocElementKind::text, "between"),
                     listItem("three", 1, "", false), listItem("x", 2, "-"), listItem("y", std::nullopt, ""),
                     listItem("z", std::nullopt, "")},
                    "# T\n\n1. one\n2. two\n\nbetween\n\n- three\n\n- x\n\n- y\n\n- z"},
        ElementCase{"list item markers",
                    {listItem("B", 1, "3.", true), listItem("B", 2, "*"), listItem("B", 3, "a)", true),
                     listItem("B", 4, "\u2022"), listItem("B", 5, "", true), listItem("C", 5, "", true)},
                    "3. B\n\n- B\n\n- a) B\n\n- B\n\n1. B\n2. C"},
        ElementCase{"empty page", {}, ""}),
    ce::testing::ByName{});
