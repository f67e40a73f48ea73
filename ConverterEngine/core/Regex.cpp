#include "core/Regex.h"

#include <cstdio>
#include <cstdlib>

namespace ce {

Regex::Regex(const char16_t* pattern, uint32_t flags, std::source_location where) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    pattern_.reset(icu::RegexPattern::compile(icu::UnicodeString(pattern), flags, parseError, status));
    if (U_FAILURE(status) || !pattern_) {
        std::fprintf(stderr, "fatal: regular expression in %s:%u does not compile (%s at offset %d)\n",
                     where.file_name(), static_cast<unsigned>(where.line()), u_errorName(status),
                     parseError.offset);
        std::abort();
    }
}

std::unique_ptr<icu::RegexMatcher> Regex::matcher(const icu::UnicodeString& input) const {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> m(pattern_->matcher(input, status));
    if (U_FAILURE(status)) return nullptr;
    return m;
}

bool Regex::matches(const icu::UnicodeString& input) const {
    auto m = matcher(input);
    UErrorCode status = U_ZERO_ERROR;
    return m && m->matches(status) && U_SUCCESS(status);
}

bool Regex::find(const icu::UnicodeString& input) const {
    auto m = matcher(input);
    return m && m->find();
}

icu::UnicodeString Regex::replaceAll(const icu::UnicodeString& input,
                                     const icu::UnicodeString& replacement) const {
    auto m = matcher(input);
    if (!m) return input;
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString out = m->replaceAll(replacement, status);
    return U_SUCCESS(status) ? out : input;
}

}  // namespace ce
