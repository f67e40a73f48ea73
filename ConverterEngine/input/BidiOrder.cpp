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

std::optional<Reordered> fromVisual(std::u16string_view visual) {
    const auto length = static_cast<int32_t>(visual.size());
    int rightToLeft = 0;
    int leftToRight = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(visual.data(), i, length, c);
        if (isRightToLeft(static_cast<char32_t>(c))) {
            ++rightToLeft;
        } else if (u_charDirection(c) == U_LEFT_TO_RIGHT) {
            ++leftToRight;
        }
    }
    if (rightToLeft == 0) return std::nullopt;

    UErrorCode status = U_ZERO_ERROR;
    icu::LocalUBiDiPointer bidi(ubidi_open());
    if (!bidi.isValid()) return std::nullopt;
    ubidi_setReorderingMode(bidi.getAlias(), UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    // A line mostly of right-to-left letters is a right-to-left paragraph line.
    const UBiDiLevel level = rightToLeft >= leftToRight ? 1 : 0;
    ubidi_setPara(bidi.getAlias(), visual.data(), length, level, nullptr, &status);
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
    for (int source : result.source) {
        if (source < 0 || source >= length) return std::nullopt;
    }
    return result;
}

}  // namespace ce::BidiOrder
