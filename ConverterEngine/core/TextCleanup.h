// Clean-up of page text into element text: typographic replacements, ligature
// expansion and the joining of a region's cell texts (hyphenation at line ends).
// Pure functions over UTF-8; the ligature table is built once and only read.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <unicode/umachine.h>

namespace ce::PageAssembler {

// Ligature scalar -> its letters (U+F0A0, a private-use space, maps to "").
const std::unordered_map<UChar32, std::string>& ligatures();

// Ligatures replaced by their letters. A U+FB00...U+FB06 ligature followed by a
// space and then an underscore or a word scalar loses that space, rejoining a word
// that the text layer split after the ligature. Text without ligatures is returned
// as it is.
std::string expandLigatures(std::string_view text);

// U+2044 -> "/", U+2018 and U+2019 -> "'", U+201C and U+201D -> '"', U+2022 ->
// U+00B7; then expandLigatures.
std::string normalizeText(std::string_view text);

// A cell's text as it enters an element: every U+0002 (the text layer's mark for
// a hyphen) replaced by "-", then trimmed of whitespace.
std::string cleanedCellText(std::string_view text);

// The element text of cell texts in order: a text that ends in a hyphen after a
// word scalar, between two plain words, is joined to the next without the hyphen;
// every other pair is joined with one space. The result is normalised and trimmed.
std::string joinCellTexts(const std::vector<std::string>& texts);

}  // namespace ce::PageAssembler
