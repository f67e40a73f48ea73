#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "OutputTestSupport.h"
#include "output/CSVWriter.h"
#include "support/CaseNames.h"

using namespace ce;
using namespace ce::testing;

namespace {

std::string text(const Data& data) { return std::string(data.begin(), data.end()); }

std::string csvText(const TableStructure& t, CSVWriter::Options options = {}) {
    options.byteOrderMark = false;
    return text(CSVWriter::csv(t, options));
}

std::string oneField(const std::string& field, CSVWriter::Options options = {}) {
    std::string line = csvText(table(1, 1, {cell(0, 0, field)}), options);
    EXPECT_GE(line.size(), 2u);
    return line.substr(0, line.size() - 2);
}

}  // namespace

namespace {
struct FormulaCase {
    const char* field;
    const char* written;
};

void PrintTo(const FormulaCase& c, std::ostream* os) { *os << ce::testing::printable(c.field); }

class CSVFormulaNeutralisation : public ::testing::TestWithParam<FormulaCase> {};
}  // namespace

TEST_P(CSVFormulaNeutralisation, PrefixesFormulaStartsOnly) {
    EXPECT_EQ(oneField(GetParam().field), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CSVFormulaNeutralisation,
    ::testing::Values(FormulaCase{"=1+1", "'=1+1"}, FormulaCase{"=SUM(A1:A3)", "'=SUM(A1:A3)"},
                      FormulaCase{"@cmd", "'@cmd"}, FormulaCase{"+A1", "'+A1"},
                      FormulaCase{"-abc", "'-abc"}, FormulaCase{"-", "-"}, FormulaCase{"+", "+"},
                      FormulaCase{"-5", "-5"}, FormulaCase{"+1.234,56", "\"+1.234,56\""},
                      FormulaCase{"-$ 12.00", "-$ 12.00"}, FormulaCase{"-5,00 EUR", "\"-5,00 EUR\""},
                      FormulaCase{"+12 %", "+12 %"}, FormulaCase{"total;=1+2", "total;'=1+2"},
                      FormulaCase{"a,-b;+3", "\"a,'-b;+3\""}, FormulaCase{"plain text", "plain text"},
                      FormulaCase{"", ""}),
    ce::testing::ByIndexAnd<&FormulaCase::field>{});

TEST(CSVFormulaTest, TabAndCarriageReturnStartsAreFormulaLike) {
    // Grid texts never start with whitespace, but the test itself covers them.
    EXPECT_TRUE(CSVWriter::isFormulaLike("\tx"));
    EXPECT_TRUE(CSVWriter::isFormulaLike("\r=1"));
    EXPECT_EQ(CSVWriter::neutralizeFormulas("a\t=1"), "a\t'=1");
    EXPECT_EQ(oneField("\t=1+1"), "'=1+1");
}

TEST(CSVWriterTest, NeutralisationCanBeTurnedOff) {
    CSVWriter::Options options;
    options.neutralizeFormulas = false;
    EXPECT_EQ(oneField("=1+1", options), "=1+1");
}

TEST(CSVWriterTest, QuotesDelimitersAndQuotes) {
    EXPECT_EQ(oneField("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(oneField("1,5"), "\"1,5\"");
    EXPECT_EQ(oneField("1;5"), "1;5");
    CSVWriter::Options semicolon;
    semicolon.delimiter = ';';
    EXPECT_EQ(oneField("1;5", semicolon), "\"1;5\"");
    EXPECT_EQ(oneField("1,5", semicolon), "1,5");
    EXPECT_EQ(oneField("total;=1+2", semicolon), "\"total;'=1+2\"");
    // Line breaks inside a cell collapse to a space, so they never need quoting.
    EXPECT_EQ(oneField("  two\nlines \t here "), "two lines here");
}

TEST(CSVWriterTest, ByteOrderMarkRowEndsAndSpans) {
    const TableStructure t = table(2, 3, {cell(0, 0, "wide", 1, 2), cell(0, 2, "c"), cell(1, 0, "x")});
    const Data data = CSVWriter::csv(t);
    ASSERT_GE(data.size(), 3u);
    EXPECT_EQ(data[0], 0xEF);
    EXPECT_EQ(data[1], 0xBB);
    EXPECT_EQ(data[2], 0xBF);
    EXPECT_EQ(text(data).substr(3), "wide,,c\r\nx,,\r\n");
    EXPECT_EQ(csvText(table(0, 3, {})), "");
    EXPECT_EQ(text(CSVWriter::csv(table(-1, -1, {}))), "\xEF\xBB\xBF");
}

TEST(CSVWriterTest, GridClipsOverlapsAndIgnoresOutsideCells) {
    // The first cell's span covers the second cell's origin; it is clipped, both texts stay.
    const TableStructure t =
        table(2, 2, {cell(0, 0, "span", 2, 2), cell(1, 1, "inside"), cell(5, 0, "outside"), cell(0, 1, "b")});
    const auto grid = CSVWriter::grid(t);
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid[0], (std::vector<std::string>{"span", "b"}));
    EXPECT_EQ(grid[1], (std::vector<std::string>{"", "inside"}));
    // A later cell with the same origin wins.
    EXPECT_EQ(CSVWriter::grid(table(1, 1, {cell(0, 0, "first"), cell(0, 0, "second")}))[0][0], "second");
}

// Python's csv module reads the bytes back into the intended cells.
TEST(CSVWriterTest, PythonCsvReadsTheCells) {
    if (!hasPython()) GTEST_SKIP() << "python3 is not available";
    const std::vector<std::string> texts = {"plain", "comma, inside", "semi;colon", "quote \"q\"",
                                            "line\nbreak", "=1+1", "-5", "ünïcödé €", "", "@x"};
    const std::vector<std::string> expected = {"plain", "comma, inside", "semi;colon", "quote \"q\"",
                                               "line break", "'=1+1", "-5", "ünïcödé €", "", "'@x"};
    std::vector<TableCellItem> cells;
    for (std::size_t i = 0; i < texts.size(); ++i) cells.push_back(cell(static_cast<int>(i / 5), i % 5, texts[i]));
    const TableStructure t = table(2, 5, cells);
    for (char delimiter : {',', ';'}) {
        SCOPED_TRACE(std::string(1, delimiter));
        ScratchFolder folder;
        CSVWriter::Options options;
        options.delimiter = delimiter;
        const Data data = CSVWriter::csv(t, options);
        writeFile(folder.path() / "t.csv", std::string(data.begin(), data.end()));
        const auto out = runCommand("python3 -c 'import csv, json, sys; "
                                    "print(json.dumps(list(csv.reader(open(sys.argv[1], newline=\"\", "
                                    "encoding=\"utf-8-sig\"), delimiter=sys.argv[2]))))' '" +
                                    (folder.path() / "t.csv").string() + "' '" + delimiter + "'");
        ASSERT_TRUE(out.has_value());
        const auto rows = nlohmann::json::parse(*out);
        ASSERT_EQ(rows.size(), 2u);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(rows[i / 5][i % 5].get<std::string>(), expected[i]) << i;
        }
    }
}
