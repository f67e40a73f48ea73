// A piece of page text with its box in page points, from the PDF text layer or
// from text recognition, at line, word or segment grain.
#pragma once

#include <string>

#include "core/BBox.h"

namespace ce {

struct TextCell {
    int index = 0;             // position in its own list (lines, words or segments); a sort key
    std::string text;          // UTF-8
    BBox bbox;
    double confidence = 1.0;   // 0...1
    bool fromOCR = false;

    // Equality compares texts by canonical equivalence (NFD), the rest exactly.
    bool operator==(const TextCell& other) const;
};

}  // namespace ce
