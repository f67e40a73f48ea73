// Escaping and scalar classes shared by the page assembler and the output writers.
// All texts are UTF-8; malformed bytes read as U+FFFD (not a word scalar) and are
// copied through unchanged by the escape.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <unicode/umachine.h>

namespace ce {

// "&", "<", ">" become "&amp;", "&lt;", "&gt;"; with `includeQuotes` also the double
// quote becomes "&quot;" and the apostrophe "&#x27;". Everything else is copied.
// An existing entity is escaped again ("&amp;" becomes "&amp;amp;").
std::string htmlEscaped(std::string_view text, bool includeQuotes);

// A letter (Lu, Ll, Lt, Lm, Lo) or a number (Nd, Nl, No), or any other scalar with
// a Unicode numeric type.
bool isWordScalar(UChar32 scalar);

// Whether the text holds at least one word scalar.
bool containsWordScalar(std::string_view text);

// Whether the scalar stands for a glyph that a text layer gave no character for: U+FFFD,
// a private-use scalar or a control character other than tab and line breaks (the
// brackets, roots and sums that math fonts draw from pieces read this way).
bool isUnmappedGlyph(UChar32 scalar);

// The maximal runs of word scalars and underscores, in order.
std::vector<std::string> wordTokens(std::string_view text);

}  // namespace ce
