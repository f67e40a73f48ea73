// A regular expression compiled once, on first use, and shared read-only.
// Declare patterns as function-local statics:
//     static const ce::Regex pattern(u"^\\d+$");
// A pattern that does not compile is a programming error: the program stops with
// a message naming the source file that holds it.
#pragma once

#include <memory>
#include <source_location>
#include <string>

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace ce {

class Regex {
public:
    explicit Regex(const char16_t* pattern, uint32_t flags = 0,
                   std::source_location where = std::source_location::current());

    // A new matcher over `input`; `input` must outlive the matcher.
    std::unique_ptr<icu::RegexMatcher> matcher(const icu::UnicodeString& input) const;
    // The whole input matches.
    bool matches(const icu::UnicodeString& input) const;
    // Some part of the input matches.
    bool find(const icu::UnicodeString& input) const;
    // Every match replaced by `replacement` ($1 etc. refer to groups).
    icu::UnicodeString replaceAll(const icu::UnicodeString& input,
                                  const icu::UnicodeString& replacement) const;

    const icu::RegexPattern& pattern() const { return *pattern_; }

private:
    std::unique_ptr<icu::RegexPattern> pattern_;
};

}  // namespace ce
