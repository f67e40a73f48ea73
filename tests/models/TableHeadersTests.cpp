#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/TableHeaders.h"

using namespace ce;

namespace {

// A grid of one-cell positions as the table model reads it, none marked as header.
TableStructure grid(const std::vector<std::vector<std::string>>& rows) {
    TableStructure table;
    table.numRows = static_cast<int>(rows.size());
    table.numCols = static_cast<int>(rows.front().size());
    for (int r = 0; r < table.numRows; ++r) {
        for (int c = 0; c < table.numCols; ++c) {
            const std::string& text = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            table.otsl.push_back(text.empty() ? "ecel" : "fcel");
            TableCellItem cell;
            cell.text = text;
            cell.startRow = r;
            cell.endRow = r + 1;
            cell.startCol = c;
            cell.endCol = c + 1;
            table.cells.push_back(cell);
        }
        table.otsl.push_back("nl");
    }
    return table;
}

std::vector<bool> headerFlags(const TableStructure& table) {
    std::vector<bool> flags;
    for (const TableCellItem& cell : table.cells) flags.push_back(cell.columnHeader);
    return flags;
}

std::vector<std::string> firstRowTokens(const TableStructure& table) {
    std::vector<std::string> tokens;
    for (const std::string& token : table.otsl) {
        if (token == "nl") break;
        tokens.push_back(token);
    }
    return tokens;
}

}  // namespace

// A first row that names the columns of figures below it with words or years is the
// header the model missed; a first row of figures, or years over a column of years, is
// body; a table whose header the model found is left as it is.
TEST(TableHeaders, FirstRowNamingColumnsOfFiguresIsTheHeader) {
    struct Case {
        std::string name;
        std::vector<std::vector<std::string>> rows;
        bool header;
    };
    const std::vector<Case> cases = {
        {"YearsOverAmounts",
         {{"Item", "2025", "2024", "2023", "Change"},
          {"Revenue", "48,210", "43,280", "39,870", "+11.4%"},
          {"Cost of goods sold", "(34,870)", "(31,540)", "(29,310)", "+10.6%"},
          {"Energy and rent", "(2,960)", "(3,020)", "(2,870)", "\u22122.0%"}},
         true},
        {"WordsOverCounts",
         {{"Department", "Full time", "Part time"}, {"Stores", "168", "121"}, {"Online", "23", "9"}},
         true},
        {"BlankCornerOverLabels",
         {{"", "Cantidad", "Importe"}, {"Filtros", "6,00", "213,00 \u20ac"}, {"Material", "1,00", "42,30 \u20ac"}},
         true},
        {"FirstRowOfFigures",
         {{"Revenue", "48,210", "43,280"}, {"Staff costs", "(7,420)", "(6,810)"}, {"Net income", "1,820", "850"}},
         false},
        {"YearOverColumnOfYears",
         {{"Opened", "2019", "Tromsdal"}, {"Renovated", "2021", "Hallvik"}, {"Closed", "2024", "Eikvik"}},
         false},
        {"NoColumnOfFigures",
         {{"Name", "Town"}, {"Smith, Anna", "Tulsa"}, {"Chen, Wei", "Norman"}},
         false},
        {"TooFewBodyRows", {{"Item", "2025"}, {"Revenue", "48,210"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TableStructure read = grid(c.rows);
        const TableStructure marked = TableHeaders::marked(read);
        const std::size_t columns = c.rows.front().size();
        for (std::size_t k = 0; k < marked.cells.size(); ++k) {
            EXPECT_EQ(marked.cells[k].columnHeader, c.header && k < columns) << "cell " << k;
        }
        std::vector<std::string> expectedTokens = firstRowTokens(read);
        if (c.header) std::replace(expectedTokens.begin(), expectedTokens.end(), std::string("fcel"), std::string("ched"));
        EXPECT_EQ(firstRowTokens(marked), expectedTokens);
        EXPECT_EQ(marked.otsl.size(), read.otsl.size());
    }
}

// Where the model marked some header cell, or the first row holds a cell taller than one
// row, the model's reading stands unchanged.
TEST(TableHeaders, ModelHeadersAndTallFirstRowsStand) {
    const std::vector<std::vector<std::string>> rows = {
        {"Region", "2025", "2024"}, {"North", "17,940", "14,320"}, {"Coast", "15,210", "14,650"}};

    TableStructure found = grid(rows);
    found.cells[1].columnHeader = true;
    EXPECT_EQ(headerFlags(TableHeaders::marked(found)), headerFlags(found));

    TableStructure tall = grid(rows);
    tall.cells[0].endRow = 2;
    EXPECT_EQ(headerFlags(TableHeaders::marked(tall)), headerFlags(tall));
}
