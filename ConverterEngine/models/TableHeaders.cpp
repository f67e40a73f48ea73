#include "models/TableHeaders.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <unicode/uchar.h>

#include "core/Regex.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce::TableHeaders {

namespace {

icu::UnicodeString unicode(const std::string& text) { return icu::UnicodeString::fromUTF8(text); }

// An amount, count or percentage: "48,210", "(1,140)", "−2.0%", "€ 35,50", "+114.1%".
bool isFigure(const std::string& text) {
    static const Regex figure(
        u"^\\s*[(+\\-\u2212\u2013]?\\s*[$\u20ac\u00a3\u00a5]?\\s*[0-9][0-9.,\u00a0\u202f ]*\\s*[%$\u20ac\u00a3]?\\s*\\)?\\s*$");
    return figure.matches(unicode(text));
}

bool isYear(const std::string& text) {
    static const Regex year(u"^\\s*(1[89]|2[01])[0-9]{2}\\s*$");
    return year.matches(unicode(text));
}

bool holdsLetters(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (u_isalpha(nextScalar(text, i))) return true;
    }
    return false;
}

// The filled body cells of each column (cells one column wide below the first row).
std::vector<std::vector<const TableCellItem*>> bodyColumns(const TableStructure& table) {
    std::vector<std::vector<const TableCellItem*>> columns(static_cast<std::size_t>(table.numCols));
    for (const TableCellItem& cell : table.cells) {
        if (cell.startRow < 1 || cell.colSpan() != 1 || cell.startCol < 0 || cell.startCol >= table.numCols) continue;
        if (!isBlank(cell.text)) columns[static_cast<std::size_t>(cell.startCol)].push_back(&cell);
    }
    return columns;
}

bool isFigureColumn(const std::vector<const TableCellItem*>& body, const Options& options) {
    if (static_cast<int>(body.size()) < options.minBodyRows) return false;
    const auto figures = std::count_if(body.begin(), body.end(), [](const TableCellItem* c) { return isFigure(c->text); });
    return static_cast<double>(figures) >= options.minFigureShare * static_cast<double>(body.size());
}

// Whether the first row reads as the header of the columns of figures below it.
bool firstRowNamesFigures(const TableStructure& table, const Options& options) {
    const auto columns = bodyColumns(table);
    int figureColumns = 0;
    for (int c = 0; c < table.numCols; ++c) {
        const auto& body = columns[static_cast<std::size_t>(c)];
        if (!isFigureColumn(body, options)) continue;
        ++figureColumns;
        const auto top = std::find_if(table.cells.begin(), table.cells.end(), [c](const TableCellItem& cell) {
            return cell.startRow == 0 && cell.startCol <= c && c < cell.endCol;
        });
        if (top == table.cells.end() || isBlank(top->text)) return false;
        const bool yearsBelow = std::any_of(body.begin(), body.end(), [](const TableCellItem* b) { return isYear(b->text); });
        if (!holdsLetters(top->text) && !(isYear(top->text) && !yearsBelow)) return false;
    }
    return figureColumns > 0;
}

void markFirstRowTokens(std::vector<std::string>& otsl) {
    for (std::string& token : otsl) {
        if (token == "nl") return;
        if (token == "fcel") token = "ched";
    }
}

}  // namespace

TableStructure marked(TableStructure table, const Options& options) {
    if (table.numRows < options.minBodyRows + 1 || table.numCols < 2) return table;
    const auto& cells = table.cells;
    if (std::any_of(cells.begin(), cells.end(), [](const TableCellItem& c) { return c.columnHeader; })) return table;
    if (std::any_of(cells.begin(), cells.end(), [](const TableCellItem& c) { return c.startRow == 0 && c.endRow != 1; }))
        return table;
    if (!firstRowNamesFigures(table, options)) return table;
    for (TableCellItem& cell : table.cells) {
        if (cell.startRow == 0) cell.columnHeader = true;
    }
    markFirstRowTokens(table.otsl);
    return table;
}

}  // namespace ce::TableHeaders
