// The engine's three whitespace sets and the trims and blank test over them.
// They are kept apart on purpose: each caller names the set its rule uses.
//   whiteSpaceAndSeparators: Unicode White_Space plus the information separators
//       U+001C...U+001F (29 scalars). The default wherever text is "trimmed".
//   whiteSpace: Unicode White_Space alone ("whitespace and newlines").
//   spacesAndTabs: the space separators (general category Zs) and U+0009; line
//       breaks are not in it.
// All functions take and return UTF-8; malformed bytes are never whitespace and
// are kept as they are.
#pragma once

#include <string>
#include <string_view>

#include <unicode/umachine.h>

namespace ce {

enum class WhitespaceSet {
    whiteSpaceAndSeparators,
    whiteSpace,
    spacesAndTabs,
};

bool isWhitespace(UChar32 scalar, WhitespaceSet set = WhitespaceSet::whiteSpaceAndSeparators);

// Whitespace scalars removed from both ends; an all-whitespace text gives "".
std::string trimmingWhitespace(std::string_view text,
                               WhitespaceSet set = WhitespaceSet::whiteSpaceAndSeparators);
// Whitespace scalars removed from the start only.
std::string trimmingLeadingWhitespace(std::string_view text,
                                      WhitespaceSet set = WhitespaceSet::whiteSpaceAndSeparators);
// Whitespace scalars removed from the end only.
std::string trimmingTrailingWhitespace(std::string_view text,
                                       WhitespaceSet set = WhitespaceSet::whiteSpaceAndSeparators);

// Empty, or every scalar is whitespace of the set.
bool isBlank(std::string_view text, WhitespaceSet set = WhitespaceSet::whiteSpaceAndSeparators);

}  // namespace ce
