// Scalar-by-scalar access to the engine's UTF-8 strings without converting them.
// A malformed byte sequence reads as one U+FFFD per ICU's rules, so callers never
// see a negative scalar and never loop forever; the bytes themselves stay in the
// string, untouched, wherever a caller copies ranges instead of scalars.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <unicode/utf8.h>

namespace ce {

// The scalar that starts at byte `i`; advances `i` past it. Requires i < text.size().
inline UChar32 nextScalar(std::string_view text, std::size_t& i) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    auto pos = static_cast<int32_t>(i);
    UChar32 c = 0;
    U8_NEXT(bytes, pos, length, c);
    i = static_cast<std::size_t>(pos);
    return c < 0 ? 0xFFFD : c;
}

// The scalar that ends at byte `end`; moves `end` back to its start. Requires end > 0.
inline UChar32 previousScalar(std::string_view text, std::size_t& end) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto pos = static_cast<int32_t>(end);
    UChar32 c = 0;
    U8_PREV(bytes, 0, pos, c);
    end = static_cast<std::size_t>(pos);
    return c < 0 ? 0xFFFD : c;
}

inline void appendScalar(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(reinterpret_cast<uint8_t*>(buffer), length, U8_MAX_LENGTH, c, error);
    if (error) {
        out += "\xEF\xBF\xBD";
        return;
    }
    out.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace ce
