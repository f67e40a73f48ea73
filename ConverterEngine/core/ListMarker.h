// The split of a list item's text into its marker and its content, with a fixed
// table of bullet patterns tried before a table of enumeration patterns, and the
// reading of a numbered marker's number.
// Numbers are overflow-checked: a run of digits whose value exceeds `maxNumber`
// is not a number, so such a marker is never enumerated or numbered.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ce::ListMarkers {

// The largest list number: nine digits, the most a CommonMark reader accepts for
// an ordered list, and far enough from the integer limit that a caller may add an
// item count to it.
inline constexpr int maxNumber = 999'999'999;

struct Split {
    std::string marker;       // "" when no pattern matched
    std::string text;         // the item's content; the whole text when no pattern matched
    bool enumerated = false;  // an enumeration pattern matched and its numbers fit
};

// The first pattern (bullets, then enumerations) that matches at the start of the
// text followed by one white-space character and at least one more character.
Split split(std::string_view text);

// The number n of a marker made of decimal digits and a full stop ("12."), when it
// consists of ASCII digits and n <= maxNumber.
std::optional<int> number(std::string_view marker);

}  // namespace ce::ListMarkers
