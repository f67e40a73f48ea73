#include "output/DOCXBody.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "output/DOCXTestResults.h"

namespace {

using namespace ce::DOCXWriter;
using ce::DocElementKind;
using docxtest::element;
using docxtest::listItem;

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

// The body of a one-page result, with the images handed out recorded.
struct BodyRun {
    ce::ConversionResult result;
    std::vector<const ce::Data*> added;
    std::vector<ListInstance> lists;
    std::string xml;

    explicit BodyRun(ce::ConversionResult r, Options options = {}) : result(std::move(r)) {
        Body body{result, options,
                  [this](const ce::Data& png) {
                      added.push_back(&png);
                      const int n = static_cast<int>(added.size());
                      return ImageRef{"rIdImg" + std::to_string(n), n};
                  },
                  {}};
        xml = bodyXML(body);
        lists = body.lists;
    }
};

BodyRun bodyOf(std::vector<ce::DocElement> elements, Options options = {}) {
    return BodyRun(docxtest::result({docxtest::page(std::move(elements))}), options);
}

TEST(DOCXRuns, LineEndsTabsAndBold) {
    const std::string t = "<w:t xml:space=\"preserve\">";
    EXPECT_EQ(runXML("a\tb\nc"), "<w:r>" + t + "a</w:t><w:tab/>" + t + "b</w:t><w:br/>" + t + "c</w:t></w:r>");
    EXPECT_EQ(runXML("x\r\ny\rz"), "<w:r>" + t + "x</w:t><w:br/>" + t + "y</w:t><w:br/>" + t + "z</w:t></w:r>");
    EXPECT_EQ(runXML("\n\n"), "<w:r><w:br/><w:br/></w:r>");
    EXPECT_EQ(runXML(""), "<w:r></w:r>");
    EXPECT_EQ(runXML("", true), "<w:r><w:rPr><w:b/></w:rPr></w:r>");
    EXPECT_EQ(runXML("1 < 2 & \"q\"\x01", true), "<w:r><w:rPr><w:b/></w:rPr>" + t + "1 &lt; 2 &amp; \"q\"</w:t></w:r>");
    EXPECT_EQ(paragraphXML(""), "");
    EXPECT_EQ(paragraphXML("x"), "<w:p>" + runXML("x") + "</w:p>");
    EXPECT_EQ(paragraphXML("x", "Caption", true),
              "<w:p><w:pPr><w:pStyle w:val=\"Caption\"/><w:keepNext/></w:pPr>" + runXML("x") + "</w:p>");
}

TEST(DOCXBody, ElementsByKind) {
    ce::DocElement h0 = element(DocElementKind::sectionHeader, "Intro\nduction");
    ce::DocElement h9 = element(DocElementKind::sectionHeader, "Deep");
    h9.level = 9;
    ce::DocElement h3 = element(DocElementKind::sectionHeader, "Third");
    h3.level = 3;
    ce::DocElement checked = element(DocElementKind::checkbox, "done");
    checked.label = ce::DocLabel::checkboxSelected;
    ce::DocElement unchecked = element(DocElementKind::checkbox, "todo");
    unchecked.label = ce::DocLabel::checkboxUnselected;
    ce::DocElement code = docxtest::withCaptions(element(DocElementKind::code, "int a;\nint b;"), {"Listing 1"});
    ce::DocElement formula = docxtest::withCaptions(element(DocElementKind::formula, "E = mc^2"), {"Eq"});

    const BodyRun run = bodyOf({element(DocElementKind::title, "The Title"), h0, h9, h3,
                                element(DocElementKind::text, "Body text"), element(DocElementKind::caption, ""),
                                element(DocElementKind::footnote, "1 A note"), checked, unchecked, code, formula,
                                element(DocElementKind::form, "form"), element(DocElementKind::keyValue, "kv")});
    const std::string expected =
        paragraphXML("The Title", "Title") + paragraphXML("Intro duction", "Heading1") + paragraphXML("Deep", "Heading6") +
        paragraphXML("Third", "Heading3") + paragraphXML("Body text") + paragraphXML("1 A note", "FootnoteText") +
        paragraphXML("\u2612 done") + paragraphXML("\u2610 todo") + paragraphXML("int a;\nint b;", "Code") +
        paragraphXML("Listing 1", "Caption") + paragraphXML("E = mc^2", "Formula");
    EXPECT_EQ(run.xml, expected);
    EXPECT_NE(run.xml.find("int a;</w:t><w:br/>"), std::string::npos);
}

TEST(DOCXBody, EmptyAndTableEndingBodiesGetAClosingParagraph) {
    EXPECT_EQ(BodyRun(docxtest::result({})).xml, "<w:p/>");
    EXPECT_EQ(bodyOf({element(DocElementKind::caption, "")}).xml, "<w:p/>");

    ce::DocElement table = element(DocElementKind::table, "never written");
    table.table = ce::TableStructure{.numRows = 1, .numCols = 1, .cells = {{.text = "only"}}};
    const std::string xml = bodyOf({table}).xml;
    EXPECT_TRUE(xml.starts_with("<w:tbl>")) << xml;
    EXPECT_TRUE(xml.ends_with("</w:tbl><w:p/>")) << xml;
    EXPECT_EQ(xml.find("never written"), std::string::npos);

    // Furniture never reaches the document.
    ce::ConvertedPage page = docxtest::page({element(DocElementKind::text, "body")});
    page.content.furniture.push_back(element(DocElementKind::text, "Page 1 of 9"));
    EXPECT_EQ(BodyRun(docxtest::result({page})).xml, paragraphXML("body"));
}

TEST(DOCXLists, FormatsFromMarkers) {
    struct Case {
        const char* name;
        std::vector<std::string> markers;
        bool enumerated;
        std::vector<ListInstance> lists;
        std::size_t plain;  // items written with their marker as text
    };
    const Case cases[] = {
        {"decimal", {"1.", "2.", "3."}, true, {{ListFormat::decimalDot, 1}}, 0},
        {"decimal from 4", {"4)", "5)"}, true, {{ListFormat::decimalParen, 4}}, 0},
        {"gap", {"1.", "3."}, true, {}, 2},
        {"lower letters", {"a)", "b)"}, true, {{ListFormat::lowerParen, 1}}, 0},
        {"upper then lower", {"A.", "B.", "a."}, true, {{ListFormat::upperDot, 1}, {ListFormat::lowerDot, 1}}, 0},
        {"bullets", {"\u2022", "\u2022"}, false, {{ListFormat::bullet, 1}}, 0},
        {"dash and empty", {"-", "", "\u25aa"}, false, {{ListFormat::bullet, 1}}, 0},
        {"roman", {"ii.", "iii.", "iv."}, true, {}, 3},
        {"empty enumerated", {"", "", ""}, true, {{ListFormat::decimalDot, 1}}, 0},
        {"number then empty", {"1.", "", ""}, true, {{ListFormat::decimalDot, 1}, {ListFormat::decimalDot, 2}}, 0},
        {"bullet then empty enumerated", {"\u2022", ""}, true, {{ListFormat::bullet, 1}, {ListFormat::decimalDot, 2}}, 0},
        {"word marker then bullets", {"(1)", "-", "-"}, false, {{ListFormat::bullet, 1}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ce::DocElement> items;
        for (const std::string& marker : c.markers) items.push_back(listItem(marker, "item", 7, c.enumerated));
        const BodyRun run = bodyOf(items);
        EXPECT_EQ(run.lists, c.lists);
        EXPECT_EQ(count(run.xml, "<w:p>"), c.markers.size());
        EXPECT_EQ(count(run.xml, "<w:numPr>"), c.markers.size() - c.plain);
        EXPECT_EQ(count(run.xml, "<w:pStyle w:val=\"ListParagraph\"/></w:pPr>"), c.plain);
    }
}

TEST(DOCXLists, ParagraphFormsAndListBoundaries) {
    const BodyRun numbered = bodyOf({listItem("1.", "first"), listItem("2.", "second")});
    EXPECT_EQ(numbered.xml,
              "<w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/>"
              "</w:numPr></w:pPr>" + runXML("first") + "</w:p><w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/>"
              "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>" + runXML("second") + "</w:p>");
    const BodyRun plain = bodyOf({listItem("iv.", "fourth")});
    EXPECT_EQ(plain.xml, "<w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/></w:pPr>" + runXML("iv. fourth") + "</w:p>");

    // Different lists, an item without a list, an interrupting paragraph, and a page
    // break each start a new list.
    const BodyRun split = BodyRun(docxtest::result(
        {docxtest::page({listItem("1.", "a", 1), listItem("2.", "b", 2), listItem("3.", "c", std::nullopt),
                         listItem("4.", "d", std::nullopt), listItem("1.", "e", 3),
                         element(DocElementKind::text, "between"), listItem("2.", "f", 3)}),
         docxtest::page({listItem("3.", "g", 3)})}));
    const std::vector<ListInstance> expected{{ListFormat::decimalDot, 1}, {ListFormat::decimalDot, 2},
                                             {ListFormat::decimalDot, 3}, {ListFormat::decimalDot, 4},
                                             {ListFormat::decimalDot, 1}, {ListFormat::decimalDot, 2},
                                             {ListFormat::decimalDot, 3}};
    EXPECT_EQ(split.lists, expected);
    EXPECT_NE(split.xml.find("<w:numId w:val=\"7\"/>"), std::string::npos);
}

TEST(DOCXTables, SpansHeaderRowsAndUncoveredCells) {
    using ce::TableCellItem;
    const int w = 9360 / 3;
    const auto tcW = [](int width) { return "<w:tcW w:w=\"" + std::to_string(width) + "\" w:type=\"dxa\"/>"; };
    // Row 0: a header spanning columns 0-1 and a header in column 2.
    // Rows 1-2: a cell spanning both rows in column 0, one cell in (1, 1); (1, 2) and row 2 right of it empty.
    const std::vector<TableCellItem> cells{
        {.text = "Wide  head", .startRow = 0, .endRow = 1, .startCol = 0, .endCol = 2, .columnHeader = true},
        {.text = "H3", .startRow = 0, .endRow = 1, .startCol = 2, .endCol = 3, .columnHeader = true},
        {.text = "tall\ncell", .startRow = 1, .endRow = 3, .startCol = 0, .endCol = 1},
        {.text = "b", .startRow = 1, .endRow = 2, .startCol = 1, .endCol = 2},
    };
    const std::string xml = tableXML(3, 3, cells, 9360);
    const std::string grid = "<w:gridCol w:w=\"" + std::to_string(w) + "\" w:type=\"dxa\"/>";
    const std::string expected =
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"5000\" w:type=\"pct\"/><w:tblLook "
        "w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"1\" w:lastColumn=\"0\" w:noHBand=\"0\" "
        "w:noVBand=\"1\"/></w:tblPr><w:tblGrid>" + grid + grid + grid + "</w:tblGrid>" +
        "<w:tr><w:trPr><w:tblHeader/></w:trPr><w:tc><w:tcPr>" + tcW(2 * w) + "<w:gridSpan w:val=\"2\"/></w:tcPr><w:p>" +
        runXML("Wide head", true) + "</w:p></w:tc><w:tc><w:tcPr>" + tcW(w) + "</w:tcPr><w:p>" + runXML("H3", true) +
        "</w:p></w:tc></w:tr>" +
        "<w:tr><w:tc><w:tcPr>" + tcW(w) + "<w:vMerge w:val=\"restart\"/></w:tcPr><w:p>" + runXML("tall cell") +
        "</w:p></w:tc><w:tc><w:tcPr>" + tcW(w) + "</w:tcPr><w:p>" + runXML("b") + "</w:p></w:tc><w:tc><w:tcPr>" +
        tcW(w) + "</w:tcPr><w:p></w:p></w:tc></w:tr>" +
        "<w:tr><w:tc><w:tcPr>" + tcW(w) + "<w:vMerge/></w:tcPr><w:p></w:p></w:tc><w:tc><w:tcPr>" + tcW(2 * w) +
        "<w:gridSpan w:val=\"2\"/></w:tcPr><w:p></w:p></w:tc></w:tr></w:tbl>";
    // Uncovered positions side by side share no owner, so each is its own one-column cell.
    EXPECT_EQ(xml, expected.substr(0, expected.find("<w:tr><w:tc><w:tcPr>" + tcW(w) + "<w:vMerge/>")) +
                       "<w:tr><w:tc><w:tcPr>" + tcW(w) + "<w:vMerge/></w:tcPr><w:p></w:p></w:tc><w:tc><w:tcPr>" +
                       tcW(w) + "</w:tcPr><w:p></w:p></w:tc><w:tc><w:tcPr>" + tcW(w) +
                       "</w:tcPr><w:p></w:p></w:tc></w:tr></w:tbl>");

    // Header rows stop at the first row with a non-header cell; every header row repeats.
    const std::vector<TableCellItem> allHeaders{{.text = "a", .columnHeader = true},
                                                {.text = "b", .startCol = 1, .endCol = 2, .columnHeader = true}};
    EXPECT_EQ(count(tableXML(2, 2, allHeaders, 9026), "<w:tblHeader/>"), 1u);
    const std::vector<TableCellItem> twoRows{{.text = "a", .columnHeader = true},
                                             {.text = "b", .startRow = 1, .endRow = 2, .columnHeader = true}};
    EXPECT_EQ(count(tableXML(2, 1, twoRows, 9026), "<w:tblHeader/>"), 2u);
    // Cells outside the grid are clipped, never written past it.
    const std::vector<TableCellItem> outside{{.text = "x", .startRow = -2, .endRow = 9, .startCol = 1, .endCol = 40}};
    const std::string clipped = tableXML(2, 2, outside, 9026);
    EXPECT_EQ(count(clipped, "<w:tc>"), 4u);
    EXPECT_EQ(count(clipped, "<w:gridCol w:w=\"4513\""), 2u);
}

TEST(DOCXTables, TableElementsWithCaptionsAndWithoutStructure) {
    ce::DocElement table = docxtest::withCaptions(element(DocElementKind::table, ""), {"Table 1"});
    table.footnotes.push_back(element(DocElementKind::footnote, "Source: us"));
    table.table = ce::TableStructure{.numRows = 1, .numCols = 2, .cells = {{.text = "a", .endCol = 2}, {.text = "b", .startCol = 1, .endCol = 2}}};
    const std::string xml = bodyOf({table}).xml;
    EXPECT_TRUE(xml.starts_with(paragraphXML("Table 1", "Caption", true) + "<w:tbl>")) << xml;
    EXPECT_NE(xml.find("</w:tbl>" + paragraphXML("Source: us", "FootnoteText")), std::string::npos);
    // The overlap-free copy is written: "a" gives up column 1 to "b".
    EXPECT_EQ(count(xml, "<w:gridSpan"), 0u);

    table.table->numCols = 0;
    EXPECT_EQ(bodyOf({table}).xml, paragraphXML("Table 1", "Caption") + paragraphXML("Source: us", "FootnoteText"));
}

TEST(DOCXPictures, SizesFromBoxOrPixelsFittedWithinThePage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        ce::BBox box;
        std::uint32_t pixelWidth, pixelHeight;
        long long cx, cy;
    };
    const Case cases[] = {
        {"box within width", {10, 10, 110, 60}, 50, 25, 1270000, 635000},
        {"box wider than the text", {0, 0, 600, 300}, 10, 10, 5943600, 2971800},
        {"zero height: pixels", {10, 10, 110, 10}, 200, 100, 1905000, 952500},
        {"NaN box: pixels", {nan, 0, 100, 100}, 200, 100, 1905000, 952500},
        {"infinite box: pixels", {0, 0, inf, 100}, 200, 100, 1905000, 952500},
        {"huge pixels fit the width", {0, 0, 0, 0}, 4000000000u, 2000000000u, 5943600, 2971800},
        {"taller than the text", {0, 0, 100, 5000}, 10, 10, 164592, 8229600},
        {"thin stays visible", {0, 10000, 10000, 10000.0001}, 10, 10, 5943600, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ce::ConvertedPage page = docxtest::page({element(DocElementKind::picture, "", c.box, 4)});
        page.images[4] = docxtest::pngHeader(c.pixelWidth, c.pixelHeight);
        const BodyRun run(docxtest::result({page}));
        ASSERT_EQ(run.added.size(), 1u);
        const std::string extent = "cx=\"" + std::to_string(c.cx) + "\" cy=\"" + std::to_string(c.cy) + "\"";
        EXPECT_NE(run.xml.find("<wp:extent " + extent + "/>"), std::string::npos) << run.xml;
        EXPECT_NE(run.xml.find("<a:ext " + extent + "/>"), std::string::npos);
    }
}

TEST(DOCXPictures, DrawingRunIdsCaptionsAndMissingCrops) {
    ce::DocElement picture =
        docxtest::withCaptions(element(DocElementKind::picture, "", {0, 0, 100, 50}, 4), {"Fig. 1 \"Q\" & <A>", "more"});
    ce::DocElement second = element(DocElementKind::picture, "", {0, 0, 100, 50}, 5);
    ce::DocElement noCrop = docxtest::withCaptions(element(DocElementKind::picture, "", {0, 0, 10, 10}, 6), {"lonely"});
    ce::DocElement formula = element(DocElementKind::formula, "", {0, 0, 100, 20}, 7);
    ce::DocElement formulaNoCrop = element(DocElementKind::formula, "", {0, 0, 100, 20}, 8);
    ce::DocElement badPNG = element(DocElementKind::picture, "", {0, 0, 100, 50}, 9);
    ce::ConvertedPage page = docxtest::page({picture, second, noCrop, formula, formulaNoCrop, badPNG});
    page.images[4] = docxtest::pngHeader(20, 10);
    page.images[5] = docxtest::pngHeader(20, 10);
    page.images[7] = docxtest::pngHeader(50, 10);
    page.images[9] = docxtest::pngHeader(0, 10);

    const BodyRun run(docxtest::result({page}));
    ASSERT_EQ(run.added.size(), 3u);
    EXPECT_EQ(run.added[0], &run.result.pages[0].images.at(4));
    const std::string drawing =
        "<w:p><w:pPr><w:keepNext/></w:pPr><w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" "
        "distR=\"0\"><wp:extent cx=\"1270000\" cy=\"635000\"/><wp:docPr id=\"1\" name=\"Picture 1\" descr=\"Fig. 1 "
        "&quot;Q&quot; &amp; &lt;A&gt; more\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/>"
        "</wp:cNvGraphicFramePr><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "picture\"><pic:pic><pic:nvPicPr><pic:cNvPr id=\"1\" name=\"image1.png\"/><pic:cNvPicPr/></pic:nvPicPr>"
        "<pic:blipFill><a:blip r:embed=\"rIdImg1\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr>"
        "<a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"1270000\" cy=\"635000\"/></a:xfrm><a:prstGeom prst=\"rect\">"
        "<a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>";
    EXPECT_TRUE(run.xml.starts_with(drawing + paragraphXML("Fig. 1 \"Q\" & <A>", "Caption") +
                                    paragraphXML("more", "Caption") + "<w:p><w:pPr><w:keepNext/></w:pPr>"))
        << run.xml;
    EXPECT_NE(run.xml.find("<a:blip r:embed=\"rIdImg2\"/>"), std::string::npos);
    EXPECT_NE(run.xml.find("</w:p>" + paragraphXML("lonely", "Caption") +
                           "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:drawing>"),
              std::string::npos);
    EXPECT_NE(run.xml.find("<wp:docPr id=\"3\" name=\"Picture 3\" descr=\"\"/>"), std::string::npos);

    Options noImages;
    noImages.images = false;
    const BodyRun off(docxtest::result({page}), noImages);
    EXPECT_TRUE(off.added.empty());
    EXPECT_EQ(off.xml, paragraphXML("Fig. 1 \"Q\" & <A>", "Caption") + paragraphXML("more", "Caption") +
                           paragraphXML("lonely", "Caption"));
}

TEST(DOCXPages, A4OrLetterFromTheFirstPage) {
    struct Case {
        double width, height;
        bool a4;
    };
    const Case cases[] = {{595.3, 841.9, true}, {842, 595, true},  {612, 792, false}, {583.1, 830.1, true}, {583, 830, false},
                          {606.9, 853.9, true}, {607, 842, false}, {std::nan(""), 842, false}};
    const PageClass a4{11906, 16838, 9026, 5731510, 8863330};
    for (const Case& c : cases) {
        const auto result = docxtest::result({docxtest::page({}, c.width, c.height), docxtest::page({}, 595, 842)});
        EXPECT_EQ(pageClass(result), c.a4 ? a4 : PageClass{}) << c.width << " x " << c.height;
    }
    EXPECT_EQ(pageClass(docxtest::result({})), PageClass{});
    EXPECT_EQ(documentXML("<w:p/>", 11906, 16838).substr(0, 5), "<?xml");
    EXPECT_TRUE(documentXML("<w:p/>", 11906, 16838)
                    .ends_with("<w:body><w:p/><w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" "
                               "w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" "
                               "w:gutter=\"0\"/></w:sectPr></w:body></w:document>"));
}

}  // namespace
