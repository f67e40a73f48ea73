// Conversions between the engine's UTF-8 strings and ICU's UTF-16 strings.
#pragma once

#include <string>
#include <string_view>

#include <unicode/unistr.h>

namespace ce {

inline icu::UnicodeString toUnicode(std::string_view utf8) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

inline std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace ce
