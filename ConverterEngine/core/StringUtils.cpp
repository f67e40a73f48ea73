#include "core/StringUtils.h"

#include <unicode/uchar.h>

#include "core/Utf8.h"

namespace ce {

std::string htmlEscaped(std::string_view text, bool includeQuotes) {
    // Every escaped character is ASCII, and no byte of a multi-byte UTF-8 sequence
    // is ASCII, so a byte walk is a scalar walk here.
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"':
                if (includeQuotes) out += "&quot;"; else out += ch;
                break;
            case '\'':
                if (includeQuotes) out += "&#x27;"; else out += ch;
                break;
            default: out += ch;
        }
    }
    return out;
}

bool isWordScalar(UChar32 scalar) {
    switch (u_charType(scalar)) {
        case U_UPPERCASE_LETTER:
        case U_LOWERCASE_LETTER:
        case U_TITLECASE_LETTER:
        case U_MODIFIER_LETTER:
        case U_OTHER_LETTER:
        case U_DECIMAL_DIGIT_NUMBER:
        case U_LETTER_NUMBER:
        case U_OTHER_NUMBER:
            return true;
        default:
            return u_getIntPropertyValue(scalar, UCHAR_NUMERIC_TYPE) != U_NT_NONE;
    }
}

bool containsWordScalar(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (isWordScalar(nextScalar(text, i))) return true;
    }
    return false;
}

bool isUnmappedGlyph(UChar32 scalar) {
    if (scalar == 0xFFFD || u_charType(scalar) == U_PRIVATE_USE_CHAR) return true;
    return u_charType(scalar) == U_CONTROL_CHAR && scalar != '\t' && scalar != '\n' && scalar != '\r';
}

std::vector<std::string> wordTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t runStart = 0;
    bool inRun = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const UChar32 c = nextScalar(text, i);
        const bool member = c == '_' || isWordScalar(c);
        if (member && !inRun) runStart = start;
        if (!member && inRun) tokens.emplace_back(text.substr(runStart, start - runStart));
        inRun = member;
    }
    if (inRun) tokens.emplace_back(text.substr(runStart));
    return tokens;
}

}  // namespace ce
