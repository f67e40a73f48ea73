// One recognised table as CSV bytes: a rectangular grid of cell texts, quoted where
// needed, every row ended by CR LF, optionally preceded by a UTF-8 byte-order mark,
// with spreadsheet formula starts neutralised by an apostrophe.
// Pure functions; safe to call from any thread.
#pragma once

#include <string>
#include <vector>

#include "core/ConversionResult.h"
#include "core/TableStructure.h"

namespace ce::CSVWriter {

struct Options {
    char delimiter = ',';
    bool byteOrderMark = true;
    bool neutralizeFormulas = true;
};

// numRows x numCols texts (negative counts read as 0). Each cell's text, with runs of
// whitespace collapsed to one space and the ends trimmed, stands at its origin in the
// overlap-free copy of the table; a later cell with the same origin wins, and the other
// positions of a span stay empty.
std::vector<std::vector<std::string>> grid(const TableStructure& table);

// The CSV bytes of the table.
Data csv(const TableStructure& table, const Options& options = {});

// Whether a spreadsheet would read the text as a formula: it starts with "=", "@", a tab
// or a carriage return, or with "+" or "-" and is neither that sign alone nor a signed
// amount such as "-5", "+1.234,56", "-$ 12.00" or "-5,00 EUR".
bool isFormulaLike(const std::string& text);

// The field with an apostrophe before every formula-like piece that follows a ";", ","
// or tab, and before the whole field when it is formula-like itself.
std::string neutralizeFormulas(const std::string& field);

}  // namespace ce::CSVWriter
