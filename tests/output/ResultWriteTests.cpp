#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "MarkdownReader.h"
#include "OutputTestSupport.h"
#include "output/ResultExport.h"

using namespace ce;
using namespace ce::testing;
using Lines = std::vector<std::string>;

namespace {

DocElement with(DocElement e, auto&& change) {
    change(e);
    return e;
}

// Two pages with headings, a numbered list, code, a table with spans, a caption and a
// footnote, a picture with a crop on the first page and one without on the second.
ConversionResult handBuiltResult() {
    ConversionResult r;
    r.source = "/in/My Report (v2).final.pdf";
    ConvertedPage first;
    first.index = 0;
    DocElement table1 = with(element(DocElementKind::table, "", 4), [](DocElement& e) {
        e.table = table(3, 3, {cell(0, 0, "Region", 1, 1, true), cell(0, 1, "Sales 2024", 1, 2, true),
                               cell(1, 0, "North", 2, 1), cell(1, 1, "=1+1"), cell(1, 2, "-5"), cell(2, 1, "a, \"b\""),
                               cell(2, 2, "x\ny")});
        e.captions = {element(DocElementKind::caption, "Table 1: sales_by_region")};
        e.footnotes = {element(DocElementKind::footnote, "Source: internal")};
    });
    DocElement picture = with(element(DocElementKind::picture, "", 5), [](DocElement& e) {
        e.captions = {element(DocElementKind::caption, "Figure 1: the map")};
    });
    first.content.body = {
        element(DocElementKind::title, "Annual Report"),
        with(element(DocElementKind::sectionHeader, "Summary"), [](DocElement& e) { e.level = 1; }),
        element(DocElementKind::text, "Revenue grew_fast.\nCosts fell."),
        listItem("First point", 1, "", true),
        listItem("Second point\ncontinued", 1, "", true),
        element(DocElementKind::code, "print(`x`)\n```"),
        table1,
        picture,
    };
    first.content.furniture = {element(DocElementKind::text, "Page header")};
    first.images[5] = Data{0x89, 'P', 'N', 'G'};
    ConvertedPage second;
    second.index = 1;
    DocElement table2 = with(element(DocElementKind::table, "", 2),
                             [](DocElement& e) { e.table = table(1, 2, {cell(0, 0, "k"), cell(0, 1, "v")}); });
    second.content.body = {element(DocElementKind::picture, "", 9), table2};
    ConvertedPage empty;
    empty.index = 2;
    r.pages = {first, second, empty};
    return r;
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(ResultWriteTest, MarkdownWithPicturesIsWrittenAndReadsBack) {
    ScratchFolder scratch;
    const ConversionResult r = handBuiltResult();
    const auto target = scratch.path() / "out" / "sub";
    const auto written = ResultExport::write(r, OutputFormat::markdown, target, std::nullopt, {});
    const std::string base = "My Report (v2).final";
    ASSERT_EQ(written, (std::vector<std::filesystem::path>{target / (base + ".md"), target / (base + "-images") / "p1-5.png"}));
    EXPECT_EQ(folderEntries(target), (Lines{base + "-images", base + "-images/p1-5.png", base + ".md"}));
    EXPECT_EQ(readFile(written[1]), std::string("\x89PNG"));

    const std::string md = readFile(written[0]);
    ASSERT_FALSE(md.empty());
    EXPECT_EQ(md.back(), '\n');
    EXPECT_NE(md.substr(0, md.size() - 1).back(), '\n');
    const std::string html =
        "<table><tr><th>Region</th><th colspan=\"2\">Sales 2024</th></tr>"
        "<tr><td rowspan=\"2\">North</td><td>=1+1</td><td>-5</td></tr>"
        "<tr><td>a, &quot;b&quot;</td><td>x<br>y</td></tr></table>";
    EXPECT_EQ(readBlocks(md),
              (Lines{"h1: Annual Report", "h2: Summary", "p: Revenue grew_fast.⏎Costs fell.", "ol 1", "  li",
                     "    p: First point", "  li", "    p: Second point⏎continued", "code: print(`x`)\n```\n",
                     "p: Table 1: sales_by_region", "html: " + html, "p: Source: internal", "p: Figure 1: the map",
                     "p: img(My%20Report%20%28v2%29.final-images/p1-5.png|Figure 1: the map)", "html: <!-- image -->",
                     "html: <table><tr><td>k</td><td>v</td></tr></table>"}));

    // The exported text of each page is exactly its part of the file; the second page is
    // linked too because the document has a picture, its own picture without a crop
    // still being a placeholder.
    const std::string page1 = ResultExport::exportedMarkdown(r, r.pages[0]);
    const std::string page2 = ResultExport::exportedMarkdown(r, r.pages[1]);
    EXPECT_EQ(md, page1 + "\n\n" + page2 + "\n");
    EXPECT_EQ(page2, "<!-- image -->\n\n<table><tr><td>k</td><td>v</td></tr></table>");
    EXPECT_EQ(ResultExport::exportedMarkdown(r, r.pages[2]), "");
}

TEST(ResultWriteTest, CsvFilesAreWrittenAndReadByPython) {
    ScratchFolder scratch;
    const ConversionResult r = handBuiltResult();
    CSVWriter::Options semicolon;
    semicolon.delimiter = ';';
    const auto written = ResultExport::write(r, OutputFormat::csv, scratch.path(), "Other", semicolon);
    ASSERT_EQ(written, (std::vector<std::filesystem::path>{scratch.path() / "Other-table-1.csv",
                                                           scratch.path() / "Other-table-2.csv"}));
    EXPECT_EQ(readFile(written[1]), "\xEF\xBB\xBFk;v\r\n");
    if (!hasPython()) GTEST_SKIP() << "python3 is not available";
    const auto out = runCommand("python3 -c 'import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], "
                                "newline=\"\", encoding=\"utf-8-sig\"), delimiter=\";\"))))' '" +
                                written[0].string() + "'");
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(nlohmann::json::parse(*out),
              nlohmann::json::parse(R"([["Region","Sales 2024",""],["North","'=1+1","-5"],["","a, \"b\"","x y"]])"));
}

TEST(ResultWriteTest, PlainResultsAndRepeatedWrites) {
    ScratchFolder scratch;
    ConversionResult r;
    r.source = "/in/scan.tiff";
    r.pages.resize(2);
    r.pages[1].index = 1;
    r.pages[1].content.body = {element(DocElementKind::picture, "", 3)};
    EXPECT_TRUE(ResultExport::write(r, OutputFormat::csv, scratch.path(), std::nullopt, {}).empty());
    ResultExport::write(r, OutputFormat::markdown, scratch.path(), std::nullopt, {});
    EXPECT_EQ(readFile(scratch.path() / "scan.md"), "<!-- image -->\n");
    r.pages[1].content.body.clear();
    const auto written = ResultExport::write(r, OutputFormat::markdown, scratch.path(), std::nullopt, {});
    EXPECT_EQ(written, (std::vector<std::filesystem::path>{scratch.path() / "scan.md"}));
    EXPECT_EQ(readFile(scratch.path() / "scan.md"), "\n");
    EXPECT_EQ(folderEntries(scratch.path()), (Lines{"scan.md"}));
}

TEST(ResultWriteTest, FolderErrorsAreThrown) {
    ScratchFolder scratch;
    writeFile(scratch.path() / "file", "x");
    const ConversionResult r = handBuiltResult();
    EXPECT_THROW(ResultExport::write(r, OutputFormat::markdown, scratch.path() / "file", std::nullopt, {}),
                 std::filesystem::filesystem_error);
    // The picture folder's name is taken by a file: nothing of the Markdown is written.
    writeFile(scratch.path() / "doc-images", "x");
    EXPECT_THROW(ResultExport::write(r, OutputFormat::markdown, scratch.path(), "doc", {}),
                 std::filesystem::filesystem_error);
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "doc.md"));
}

// A write that fails part way leaves nothing of the document: not the pictures when the
// Markdown file cannot be put in place, not table 1 when table 2 cannot.
TEST(ResultWriteTest, AFailedWriteLeavesNothingOfTheDocument) {
    const ConversionResult r = handBuiltResult();
    struct Case {
        const char* name;
        OutputFormat format;
        const char* blocked;  // a name taken by a folder that is not empty
    };
    for (const Case& c : {Case{"markdown", OutputFormat::markdown, "doc.md"},
                          Case{"pictures", OutputFormat::markdown, "doc-images/p1-5.png"},
                          Case{"csv", OutputFormat::csv, "doc-table-2.csv"}}) {
        SCOPED_TRACE(c.name);
        ScratchFolder scratch;
        std::filesystem::create_directories(scratch.path() / c.blocked);
        writeFile(scratch.path() / c.blocked / "keep", "x");
        const Lines before = folderEntries(scratch.path());
        EXPECT_THROW(ResultExport::write(r, c.format, scratch.path(), "doc", {}), std::filesystem::filesystem_error);
        EXPECT_EQ(folderEntries(scratch.path()), before);
        EXPECT_EQ(readFile(scratch.path() / c.blocked / "keep"), "x");
    }
}

// A failed export puts back what an earlier export wrote: the first run writes the first
// page's files, the second run has a second page whose picture and table names are taken.
TEST(ResultWriteTest, AFailedWriteKeepsTheFilesOfAnEarlierExport) {
    ConversionResult earlier = handBuiltResult();
    earlier.pages.resize(1);
    ConversionResult later = handBuiltResult();
    later.pages[0].content.body[2].text = "Revenue fell.";
    later.pages[0].images[5] = Data{'n', 'e', 'w'};
    later.pages[1].images[9] = Data{'p', 'n', 'g'};
    later.pages[0].content.body[6].table = table(1, 1, {cell(0, 0, "changed")});
    struct Case {
        const char* name;
        OutputFormat format;
        const char* blocked;
    };
    for (const Case& c : {Case{"markdown", OutputFormat::markdown, "doc-images/p2-9.png"},
                          Case{"csv", OutputFormat::csv, "doc-table-2.csv"}}) {
        SCOPED_TRACE(c.name);
        ScratchFolder scratch;
        const auto first = ResultExport::write(earlier, c.format, scratch.path(), "doc", {});
        ASSERT_FALSE(first.empty());
        std::vector<std::string> contents;
        for (const auto& file : first) contents.push_back(readFile(file));
        std::filesystem::create_directories(scratch.path() / c.blocked);
        writeFile(scratch.path() / c.blocked / "keep", "x");
        const Lines before = folderEntries(scratch.path());
        EXPECT_THROW(ResultExport::write(later, c.format, scratch.path(), "doc", {}),
                     std::filesystem::filesystem_error);
        EXPECT_EQ(folderEntries(scratch.path()), before);
        for (std::size_t k = 0; k < first.size(); ++k) EXPECT_EQ(readFile(first[k]), contents[k]) << first[k];
    }
}

TEST(ResultWriteTest, DocxPackageIsWrittenUnderTheBaseName) {
    ScratchFolder scratch;
    const ConversionResult r = handBuiltResult();
    const auto written = ResultExport::write(r, OutputFormat::docx, scratch.path() / "new", "Report.final", {});
    ASSERT_EQ(written, (std::vector<std::filesystem::path>{scratch.path() / "new" / "Report.final.docx"}));
    const std::string bytes = readFile(written[0]);
    const Data expected = ResultExport::docx(r, DOCXWriter::Options{});
    EXPECT_EQ(bytes, std::string(expected.begin(), expected.end()));
    EXPECT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(folderEntries(scratch.path() / "new"), (Lines{"Report.final.docx"}));
}
