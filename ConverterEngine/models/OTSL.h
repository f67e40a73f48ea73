// The OTSL table token language: one token per grid position, row by row, "nl"
// ending each row. Converts token sequences to HTML table tokens with colspan and
// rowspan attributes, repairs ragged sequences, and reads HTML tokens back into
// per-cell spans. Pure functions.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ce::OTSL {

using Tokens = std::vector<std::string>;
using Rows = std::vector<Tokens>;

struct Pos {
    int x = 0;  // column
    int y = 0;  // row
    bool operator==(const Pos&) const = default;
};

class ConversionError : public std::runtime_error {
public:
    enum class Kind { indexOutOfRange };
    ConversionError() : std::runtime_error("table tokens index out of range") {}
    Kind kind() const { return Kind::indexOutOfRange; }
};

// "fcel", "ecel", "ched", "rhed", "srow".
bool isCellStart(const std::string& token);

// Splits at every "nl" (dropped); empty rows are dropped.
Rows rows(const Tokens& tokens);
bool isRectangular(const Tokens& tokens);
// Every row extended on the right with `filler` to the longest row's length, each followed by "nl".
Tokens padToRectangle(const Tokens& tokens, const std::string& filler);

// The cell itself plus the continuation tokens to its right / below it.
int colspan(const Rows& rows, int column, int row);
int rowspan(const Rows& rows, int column, int row);

// HTML table tokens ("<thead>", "<tr>", "<td>", "<td", ' colspan="N"', ">", "</td>", ...).
// A sequence that does not start with a cell-start token is returned unchanged.
Tokens toHTML(const Tokens& tokens);

// Cell index (in order of opening tags) -> (column span, row span), for cells carrying
// span attributes. No value when a row does not line up with the row above; throws
// ConversionError when a span runs past the row above or has no cell to attach to.
std::optional<std::map<int, std::pair<int, int>>> parseHTML(const Tokens& html);

}  // namespace ce::OTSL
