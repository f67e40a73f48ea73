// Column headers of a table read by the table model, corrected by what its cells say,
// before the table goes to page assembly. The model's column-header map misses header
// rows whose cells are years ("2025", "2024") over columns of amounts: it learned the
// header as a row of words, so such a row comes out as a body row and is exported
// with <td> cells. A grid without any header cell whose first row names every column of
// figures with a word or a year, while the rows below hold the figures, has that row as
// its header. Stateless; safe from any thread.
#pragma once

#include "core/TableStructure.h"

namespace ce::TableHeaders {

struct Options {
    int minBodyRows = 2;             // rows below the first, for its columns to tell figures
    double minFigureShare = 0.75;    // of a column's filled body cells, figures, for a column of figures
};

// The table with its first row marked as column header ("ched" in its OTSL tokens, every
// cell of the row flagged) when no cell is a column header yet, every cell of the row is
// one row high, the row has a cell over each column of figures (a column of at least
// minBodyRows filled body cells of which minFigureShare read as figures: amounts,
// counts, percentages) and each such cell holds letters or a year over a column without
// years; the table as it is otherwise.
TableStructure marked(TableStructure table, const Options& options = {});

}  // namespace ce::TableHeaders
