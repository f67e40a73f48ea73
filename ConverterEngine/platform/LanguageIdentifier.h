// Telling English from Spanish text (over libexttextcat's character n-gram
// fingerprints, read once per process from the Debian package's data folder).
// Safe to call from several threads at once.
#pragma once

#include <optional>
#include <string_view>

namespace ce::LanguageIdentifier {

enum class Language { english, spanish };

// The closer of the two languages to the UTF-8 text; nothing for empty text or when
// the fingerprints cannot be read. A tie counts as English.
std::optional<Language> dominantLanguage(std::string_view text);

}  // namespace ce::LanguageIdentifier
