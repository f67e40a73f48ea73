// Characters that a text layer or a recogniser takes from a table's drawn rules: a
// vertical rule read as "|", or as "[" or "]" where it meets a horizontal one, at the
// edge of a cell's words ("|07/01/2015", "7,723,293]"). Real brackets, which pair up
// within the cell's text, are kept. Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace ce::RuleMarks {

// The cell text without rule marks: words made only of "|", "[" and "]" are dropped,
// a "|" is cut from either end of a word, and a bracket without its partner in the
// text is cut when it opens ("[") or closes ("]") a word. Words are separated by
// spaces; the result joins the remaining words with single spaces. A text without
// any of the three characters comes back as it is.
std::string stripped(std::string_view text);

}  // namespace ce::RuleMarks
