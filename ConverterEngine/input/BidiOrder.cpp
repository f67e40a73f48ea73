#include "input/BidiOrder.h"

#include <unicode/localpointer.h>
#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace ce::BidiOrder {

bool isRightToLeft(char32_t c) {
    const UCharDirection direction = u_charDirection(static_cast<UChar32>(c));
    return direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC;
}

bool hasRightToLeft(std::u16string_view text) {
    for (int32_t i = 0; i < static_cast<int32_t>(text.size());) {
        UChar32 c;
        U16_NEXT(text.data(), i, static_cast<int32_t>(text.size()), c);
        if (isRightToLeft(static_cast<char32_t>(c))) return true;
    }
    return false;
}

bool readsRightToLeft(std::u16string_view text) {
    const auto length = static_cast<int32_t>(text.size());
    int rightToLeft = 0;
    int leftToRight = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        if (isRightToLeft(static_cast<char32_t>(c))) {
            ++rightToLeft;
        } else if (u_charDirection(c) == U_LEFT_TO_RIGHT) {
            ++leftToRight;
        }
    }
    return rightToLeft > 0 && rightToLeft >= leftToRight;
}

namespace {

bool isDigit(char16_t c) {
    const UCharDirection direction = u_charDirection(c);
    return direction == U_EUROPEAN_NUMBER || direction == U_ARABIC_NUMBER;
}

// The line as the reordering classifies it: a plus or minus sign drawn just left of a
// digit is the sign of the number that follows, so it is read as one of its digits and
// stays in front of it (the bidi algorithm would put a lone sign after the number). A
// number drawn right of a Latin word, with no right-to-left letter between ("Windows
// 11", "ISO 9001"), belongs to that word, as it does when the line is laid out from
// reading order, so its digits are read as Latin letters. Numbers of their own, as in
// the columns of a table row, stay numbers and keep their places.
std::u16string classified(std::u16string_view visual) {
    std::u16string out(visual);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        const char16_t c = out[i];
        if ((c == u'-' || c == u'+' || c == u'\u2212') && isDigit(visual[i + 1])) out[i] = u'0';
    }
    bool afterLatin = false;
    const auto length = static_cast<int32_t>(out.size());
    for (int32_t i = 0; i < length;) {
        const int32_t at = i;
        UChar32 c;
        U16_NEXT(out.data(), i, length, c);
        const UCharDirection direction = u_charDirection(c);
        if (direction == U_LEFT_TO_RIGHT) afterLatin = true;
        if (direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC) afterLatin = false;
        if (afterLatin && direction == U_EUROPEAN_NUMBER) out[static_cast<std::size_t>(at)] = u'a';
    }
    return out;
}

}  // namespace

std::optional<Reordered> fromVisual(std::u16string_view visual) {
    const auto length = static_cast<int32_t>(visual.size());
    if (!hasRightToLeft(visual)) return std::nullopt;
    const std::u16string classes = classified(visual);

    UErrorCode status = U_ZERO_ERROR;
    icu::LocalUBiDiPointer bidi(ubidi_open());
    if (!bidi.isValid()) return std::nullopt;
    ubidi_setReorderingMode(bidi.getAlias(), UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    // A line mostly of right-to-left letters is a right-to-left paragraph line.
    const UBiDiLevel level = readsRightToLeft(visual) ? 1 : 0;
    ubidi_setPara(bidi.getAlias(), classes.data(), length, level, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;

    Reordered result;
    result.text.resize(visual.size());
    const int32_t written = ubidi_writeReordered(bidi.getAlias(), result.text.data(), length, UBIDI_DO_MIRRORING, &status);
    if (U_FAILURE(status) || written != length) {
        return std::nullopt;
    }
    std::vector<int32_t> map(visual.size());
    ubidi_getVisualMap(bidi.getAlias(), map.data(), &status);
    if (U_FAILURE(status)) return std::nullopt;
    result.source.assign(map.begin(), map.end());
    for (std::size_t i = 0; i < result.source.size(); ++i) {
        const int source = result.source[i];
        if (source < 0 || source >= length) return std::nullopt;
        const auto from = static_cast<std::size_t>(source);
        if (classes[from] != visual[from]) result.text[i] = visual[from];
    }
    return result;
}

}  // namespace ce::BidiOrder
