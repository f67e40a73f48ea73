#include "core/Whitespace.h"

#include <unicode/uchar.h>

#include "core/Utf8.h"

namespace ce {

bool isWhitespace(UChar32 scalar, WhitespaceSet set) {
    switch (set) {
        case WhitespaceSet::whiteSpaceAndSeparators:
            return (scalar >= 0x1C && scalar <= 0x1F) || u_hasBinaryProperty(scalar, UCHAR_WHITE_SPACE);
        case WhitespaceSet::whiteSpace:
            return u_hasBinaryProperty(scalar, UCHAR_WHITE_SPACE);
        case WhitespaceSet::spacesAndTabs:
            return scalar == 0x09 || u_charType(scalar) == U_SPACE_SEPARATOR;
    }
    return false;
}

namespace {

std::size_t leadingEnd(std::string_view text, WhitespaceSet set) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t next = i;
        if (!isWhitespace(nextScalar(text, next), set)) break;
        i = next;
    }
    return i;
}

std::size_t trailingStart(std::string_view text, std::size_t floor, WhitespaceSet set) {
    std::size_t end = text.size();
    while (end > floor) {
        std::size_t start = end;
        if (!isWhitespace(previousScalar(text, start), set) || start < floor) break;
        end = start;
    }
    return end;
}

}  // namespace

std::string trimmingWhitespace(std::string_view text, WhitespaceSet set) {
    const std::size_t start = leadingEnd(text, set);
    return std::string(text.substr(start, trailingStart(text, start, set) - start));
}

std::string trimmingLeadingWhitespace(std::string_view text, WhitespaceSet set) {
    return std::string(text.substr(leadingEnd(text, set)));
}

std::string trimmingTrailingWhitespace(std::string_view text, WhitespaceSet set) {
    return std::string(text.substr(0, trailingStart(text, 0, set)));
}

bool isBlank(std::string_view text, WhitespaceSet set) { return leadingEnd(text, set) == text.size(); }

}  // namespace ce
