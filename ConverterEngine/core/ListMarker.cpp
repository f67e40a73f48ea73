#include "core/ListMarker.h"

#include <array>

#include <unicode/uchar.h>

#include "core/Regex.h"
#include "core/Unicode.h"

namespace ce::ListMarkers {

namespace {

// Each pattern p is matched as "^(p)\s(.+)" with the dot matching line ends:
// group 1 is the marker, group 2 the item text.
const std::array<Regex, 4>& bulletPatterns() {
    static const std::array<Regex, 4> patterns = {
        Regex(u"^([\\u2022\\u2023\\u25E6\\u2043\\u204C\\u204D\\u2219\\u25AA\\u25AB\\u25CF\\u25CB])\\s(.+)",
              UREGEX_DOTALL),
        Regex(u"^([-*+\\u2022\\u00B7\\u2023\\u2043])\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([\\u25BA\\u25B6\\u25B8\\u2023\\u27A4\\u27A2])\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([\\u2713\\u2714\\u2717\\u2718])\\s(.+)", UREGEX_DOTALL),
    };
    return patterns;
}

const std::array<Regex, 14>& enumerationPatterns() {
    static const std::array<Regex, 14> patterns = {
        Regex(u"^(\\d+(?:\\.\\d+)+\\.?)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\d+\\.?[a-zA-Z]\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\d+\\.?[a-zA-Z]\\))\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\(\\d+\\.?[a-zA-Z]\\))\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\d+\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\d+\\))\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\(\\d+\\))\\s(.+)", UREGEX_DOTALL),
        Regex(u"^(\\[\\d+\\])\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([ivxlcdm]+\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([IVXLCDM]+\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([a-z]\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([A-Z]\\.)\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([a-z]\\))\\s(.+)", UREGEX_DOTALL),
        Regex(u"^([A-Z]\\))\\s(.+)", UREGEX_DOTALL),
    };
    return patterns;
}

std::string group(icu::RegexMatcher& m, int32_t index) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString captured = m.group(index, status);
    return U_SUCCESS(status) ? toUtf8(captured) : std::string();
}

// Group 1 and 2 of the first pattern that matches at the start of `text`.
template <std::size_t N>
std::optional<Split> firstMatch(const std::array<Regex, N>& patterns, const icu::UnicodeString& text) {
    for (const Regex& pattern : patterns) {
        auto m = pattern.matcher(text);
        UErrorCode status = U_ZERO_ERROR;
        if (m && m->lookingAt(status) && U_SUCCESS(status)) return Split{group(*m, 1), group(*m, 2), false};
    }
    return std::nullopt;
}

// Whether every run of decimal digits (any script) in the marker is at most maxNumber.
bool numbersFit(const icu::UnicodeString& marker) {
    long long value = -1;  // -1: not inside a run
    for (int32_t i = 0; i < marker.length();) {
        const UChar32 c = marker.char32At(i);
        i += U16_LENGTH(c);
        const int32_t digit = u_charDigitValue(c);
        if (u_charType(c) != U_DECIMAL_DIGIT_NUMBER || digit < 0) {
            value = -1;
            continue;
        }
        value = (value < 0 ? 0 : value) * 10 + digit;
        if (value > maxNumber) return false;
    }
    return true;
}

}  // namespace

Split split(std::string_view text) {
    const icu::UnicodeString unicodeText = toUnicode(text);
    if (auto bullet = firstMatch(bulletPatterns(), unicodeText)) return *bullet;
    if (auto enumeration = firstMatch(enumerationPatterns(), unicodeText)) {
        enumeration->enumerated = numbersFit(toUnicode(enumeration->marker));
        return *enumeration;
    }
    return Split{"", std::string(text), false};
}

std::optional<int> number(std::string_view marker) {
    if (marker.size() < 2 || marker.back() != '.') return std::nullopt;
    long long value = 0;
    for (char ch : marker.substr(0, marker.size() - 1)) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
        if (value > maxNumber) return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace ce::ListMarkers
