// The document-level pass that runs once after the last page has been converted:
// running headers, running footers, page numbers and repeated small pictures come
// back on other pages at the same place with the same text (or with a page number
// that advances with the page); they are moved from each page's body to the end of
// its furniture, so that the writers leave them out. Page headers and footers that the
// layout model found are furniture already (page assembly puts them there) and stay so;
// a one-page document is left as it is.
//
// Callers may rely on: body order and existing furniture are kept (moved elements
// follow the furniture already there); nothing throws.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConversionResult.h"

namespace ce::RunningFurniture {

// Height of the top and bottom bands as a fraction of the page height; the bottom
// band starts at 1 - band.
inline constexpr double band = 0.15;
// Width of the left and right margin bands as a fraction of the page width. A text
// with letters there (a typesetter's slug) may differ from page to page in numbers that
// advance with the page ("Frm 00012" on one page, "Frm 00013" on the next); beside such
// a number, a few others may change too (a time, a format code), as long as more of
// its numbers stay the same. A bare number there repeats like a page number.
inline constexpr double sideBand = 0.1;

// One body element that may be running furniture.
struct Candidate {
    int page = 0;     // position of the page in the converted pages
    int element = 0;  // position of the element in that page's body
    std::string key;  // normalisedKey of the trimmed text, or U+0001 "picture"
    std::vector<std::string> numbers;  // maximal runs of numeric characters, in order
    bool top = false;  // in the top band rather than the bottom band (left rather than right for side)
    bool side = false; // in a side margin band: slugs and margin page numbers
    double cx = 0;     // box centre relative to the page width and height
    double cy = 0;
    double w = 0;      // box size relative to the page width and height
    double h = 0;
};

// Moves running furniture out of the pages' bodies, in place.
void remove(std::vector<ConvertedPage>& pages);

// Lower-cased text with each run of digits as one "#", each run of white space as
// one space, and a literal "#" as U+FF03.
std::string normalisedKey(std::string_view trimmedText);

// Positions (0-based, among the key's "#" runs) that the page-number patterns
// capture as the page number.
std::set<int> pageNumberSlots(std::string_view key);

// Whether two candidates with equal keys differ only in page-number runs that
// advance exactly as their pages do.
bool compatible(const Candidate& a, const Candidate& b);

}  // namespace ce::RunningFurniture
