#include <gtest/gtest.h>

#include <sys/stat.h>

#include "OutputTestSupport.h"
#include "output/AtomicFile.h"
#include "output/ResultExport.h"

using namespace ce;
using namespace ce::testing;

namespace {

DocElement tableElement(int rows, int cols, int clusterID) {
    DocElement e = element(DocElementKind::table, "", clusterID);
    e.table = table(rows, cols, {cell(0, 0, "t" + std::to_string(clusterID))});
    return e;
}

ConvertedPage page(int index, std::vector<DocElement> body) {
    ConvertedPage p;
    p.index = index;
    p.content.body = std::move(body);
    return p;
}

// Page 1: two tables, one empty table, a table in the furniture; page 2: a document
// index and a picture with a crop.
ConversionResult sampleResult(const std::string& source) {
    ConversionResult r;
    r.source = "/docs/" + source;
    ConvertedPage first = page(0, {tableElement(1, 1, 1), tableElement(0, 2, 2), tableElement(2, 1, 3)});
    first.content.furniture.push_back(tableElement(1, 1, 9));
    DocElement index = tableElement(1, 2, 4);
    index.kind = DocElementKind::documentIndex;
    ConvertedPage second = page(1, {index, element(DocElementKind::picture, "", 3)});
    second.images[3] = Data{1, 2, 3};
    r.pages = {first, second};
    return r;
}

}  // namespace

TEST(ResultExportTest, BaseNameKeepsInnerDots) {
    struct Case {
        const char* source;
        const char* base;
    };
    for (const Case& c : {Case{"/a/Report.final.pdf", "Report.final"}, Case{"/a/scan.tiff", "scan"},
                          Case{"/a/v1.2 (draft).PDF", "v1.2 (draft)"}, Case{"/a/noext", "noext"}}) {
        ConversionResult r;
        r.source = c.source;
        EXPECT_EQ(ResultExport::baseName(r), c.base) << c.source;
    }
}

TEST(ResultExportTest, TablesAreNumberedAcrossPagesSkippingEmptyOnes) {
    const auto tables = ResultExport::tables(sampleResult("x.pdf"));
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0].number, 1);
    EXPECT_EQ(tables[0].structure.cells[0].text, "t1");
    EXPECT_EQ(tables[1].number, 2);
    EXPECT_EQ(tables[1].structure.cells[0].text, "t3");
    EXPECT_EQ(tables[1].pageIndex, 0);
    EXPECT_EQ(tables[2].number, 3);
    EXPECT_EQ(tables[2].pageIndex, 1);
    EXPECT_EQ(tables[2].structure.cells[0].text, "t4");
}

TEST(ResultExportTest, OutputNamesPerFormat) {
    const ConversionResult r = sampleResult("Report.final.pdf");
    using V = std::vector<std::string>;
    EXPECT_EQ(ResultExport::outputNames(r, OutputFormat::markdown), (V{"Report.final.md", "Report.final-images"}));
    EXPECT_EQ(ResultExport::outputNames(r, OutputFormat::docx), (V{"Report.final.docx"}));
    EXPECT_EQ(ResultExport::outputNames(r, OutputFormat::csv),
              (V{"Report.final-table-1.csv", "Report.final-table-2.csv", "Report.final-table-3.csv"}));
    EXPECT_EQ(ResultExport::outputNames(r, OutputFormat::docx, "Other (pdf)"), (V{"Other (pdf).docx"}));

    ConversionResult plain;
    plain.source = "/a/scan.tiff";
    plain.pages = {page(0, {element(DocElementKind::picture, "", 3)})};
    EXPECT_EQ(ResultExport::outputNames(plain, OutputFormat::markdown), (V{"scan.md"}));
    EXPECT_TRUE(ResultExport::outputNames(plain, OutputFormat::csv).empty());
    EXPECT_EQ(ResultExport::imageFileName(0, element(DocElementKind::picture, "", 7)), "p1-7.png");
}

TEST(ResultExportTest, CsvFilesFollowTableNumbers) {
    const auto files = ResultExport::csvFiles(sampleResult("scan.tiff"), {}, "scan 2");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[2].fileName, "scan 2-table-3.csv");
    EXPECT_EQ(std::string(files[2].data.begin(), files[2].data.end()), "\xEF\xBB\xBFt4,\r\n");
}

TEST(ResultExportTest, PercentEncodingForLinks) {
    EXPECT_EQ(ResultExport::percentEncodedPathComponent("My doc (v2)-images"), "My%20doc%20%28v2%29-images");
    EXPECT_EQ(ResultExport::percentEncodedPathComponent("a_b.c~d+e&f"), "a_b.c~d+e&f");
    EXPECT_EQ(ResultExport::percentEncodedPathComponent("ñ#%[];?"), "%C3%B1%23%25%5B%5D%3B%3F");
}

struct FitCase {
    std::string name;
    std::string base;
    std::string suffix;
    std::string fitted;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t k = 0; k < times; ++k) out += piece;
    return out;
}

class FittedBaseNames : public ::testing::TestWithParam<FitCase> {};

// The longest CSV name ("-table-2147483647.csv", 21 bytes) leaves 234 bytes for the base
// and its distinguishing ending.
TEST_P(FittedBaseNames, KeepTheEndingAndCutOnACharacterBoundary) {
    const FitCase& c = GetParam();
    const std::string fitted = ResultExport::fittedBaseName(c.base, c.suffix);
    EXPECT_EQ(fitted, c.fitted);
    EXPECT_LE((fitted + "-table-2147483647.csv").size(), 255u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FittedBaseNames,
    ::testing::Values(FitCase{"shortNameStays", "report", " (pdf)", "report (pdf)"},
                      FitCase{"longestThatFits", std::string(234, 'a'), "", std::string(234, 'a')},
                      FitCase{"asciiCut", std::string(247, 'a'), "", std::string(234, 'a')},
                      FitCase{"endingKept", std::string(247, 'a'), " (pdf)", std::string(228, 'a') + " (pdf)"},
                      FitCase{"numberKept", std::string(247, 'a'), " 12", std::string(231, 'a') + " 12"},
                      FitCase{"twoByteCharactersNotSplit", "x" + repeated("é", 130), "", "x" + repeated("é", 116)},
                      FitCase{"threeByteCharactersNotSplit", "a" + repeated("日", 100), " 2",
                              "a" + repeated("日", 77) + " 2"},
                      FitCase{"fourByteCharactersNotSplit", repeated("😀", 70), "", repeated("😀", 58)},
                      FitCase{"bytesThatAreNotUTF8", std::string(240, '\xE9'), "", std::string(234, '\xE9')}),
    [](const auto& info) { return info.param.name; });

TEST(ResultExportTest, WritesEveryFormatForALongSourceName) {
    ScratchFolder folder;
    const std::string source = std::string(240, 'r') + "-éé.pdf";  // 251 characters, 253 bytes
    const ConversionResult r = sampleResult(source);
    const std::string base = ResultExport::fittedBaseName(ResultExport::baseName(r));
    for (const OutputFormat format : {OutputFormat::markdown, OutputFormat::docx, OutputFormat::csv}) {
        const auto written = ResultExport::write(r, format, folder.path(), base, {});
        ASSERT_FALSE(written.empty());
        for (const auto& file : written) EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / (base + "-images")));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_LE(entry.path().filename().string().size(), 255u);
    }
}

TEST(AtomicFileTest, ReplacesWholeFilesAndLeavesNothingBehindOnFailure) {
    ScratchFolder folder;
    const auto target = folder.path() / "out.md";
    AtomicFile::write(target, "first version, longer");
    AtomicFile::write(target, "second");
    EXPECT_EQ(readFile(target), "second");

    // A folder in the way: the write fails with a file error and no temporary file stays.
    std::filesystem::create_directory(folder.path() / "busy.md");
    EXPECT_THROW(AtomicFile::write(folder.path() / "busy.md", "x"), std::filesystem::filesystem_error);
    EXPECT_THROW(AtomicFile::write(folder.path() / "missing" / "x.md", "x"), std::filesystem::filesystem_error);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"busy.md", "out.md"}));
}

TEST(AtomicFileTest, WritesANameOfTheLongestLength) {
    ScratchFolder folder;
    const auto target = folder.path() / (std::string(250, 'n') + ".docx");
    AtomicFile::write(target, "x");
    EXPECT_EQ(readFile(target), "x");
}

TEST(AtomicFileTest, NewFilesHonourTheUmask) {
    ScratchFolder folder;
    const auto target = folder.path() / "f.csv";
    AtomicFile::write(target, "x");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}
