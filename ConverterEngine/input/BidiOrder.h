// The reading order of a line of text that a PDF stores in the order it is drawn, left
// to right (visual order), as text layers of right-to-left scripts (Hebrew, Arabic)
// often do: ICU's inverse bidi algorithm turns the visual runs back into logical order,
// so that a right-to-left word reads from its first letter and a number inside it keeps
// its digits in order. Pure functions over UTF-16; safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ce::BidiOrder {

struct Reordered {
    std::u16string text;      // the line in reading order; brackets of right-to-left runs mirrored back
    std::vector<int> source;  // source[i] is the position in the visual line of text[i]
};

// Whether the character is a right-to-left letter.
bool isRightToLeft(char32_t c);

// Whether the text holds a right-to-left letter.
bool hasRightToLeft(std::u16string_view text);

// Whether the text reads right to left: it holds right-to-left letters, and no fewer of
// them than left-to-right ones.
bool readsRightToLeft(std::u16string_view text);

// The line in reading order; none when it holds no right-to-left letter (its order
// stands) or when ICU cannot reorder it.
std::optional<Reordered> fromVisual(std::u16string_view visual);

}  // namespace ce::BidiOrder
