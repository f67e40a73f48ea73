#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Graphemes.h"
#include "core/StringUtils.h"
#include "core/Whitespace.h"

using namespace ce;

namespace {

struct MembershipCase {
    UChar32 scalar;
    bool withSeparators;
    bool whiteSpace;
    bool spacesAndTabs;
};

TEST(Whitespace, TheThreeSetsStayApart) {
    const MembershipCase cases[] = {
        {0x0020, true, true, true},    {0x0009, true, true, true},   {0x000A, true, true, false},
        {0x000D, true, true, false},   {0x001C, true, false, false}, {0x001F, true, false, false},
        {0x0085, true, true, false},   {0x00A0, true, true, true},   {0x2028, true, true, false},
        {0x3000, true, true, true},    {0x200B, false, false, false}, {0xFEFF, false, false, false},
        {0x001B, false, false, false}, {'a', false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scalar);
        EXPECT_EQ(isWhitespace(c.scalar), c.withSeparators);
        EXPECT_EQ(isWhitespace(c.scalar, WhitespaceSet::whiteSpace), c.whiteSpace);
        EXPECT_EQ(isWhitespace(c.scalar, WhitespaceSet::spacesAndTabs), c.spacesAndTabs);
    }
}

struct TrimCase {
    const char* text;
    WhitespaceSet set;
    const char* both;
    const char* leading;
};

TEST(Whitespace, Trims) {
    const auto standard = WhitespaceSet::whiteSpaceAndSeparators;
    const TrimCase cases[] = {
        {"", standard, "", ""},
        {"plain", standard, "plain", "plain"},
        {"\x1C a b\xE3\x80\x80", standard, "a b", "a b\xE3\x80\x80"},
        {" \t\n\xC2\xA0 ", standard, "", ""},
        {"\x1C a \x1F", WhitespaceSet::whiteSpace, "\x1C a \x1F", "\x1C a \x1F"},
        {" line\n", WhitespaceSet::spacesAndTabs, "line\n", "line\n"},
        {"\t\xC2\xA0x\t", WhitespaceSet::spacesAndTabs, "x", "x\t"},
        {" \xFF x\xE2\x80\x8B ", standard, "\xFF x\xE2\x80\x8B", "\xFF x\xE2\x80\x8B "},  // malformed byte, ZWSP kept
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(trimmingWhitespace(c.text, c.set), c.both);
        EXPECT_EQ(trimmingLeadingWhitespace(c.text, c.set), c.leading);
    }
    EXPECT_EQ(trimmingTrailingWhitespace(" a \x1D"), " a");
}

TEST(Whitespace, Blank) {
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank(" \xE2\x80\xA8\x1D\t"));
    EXPECT_FALSE(isBlank("\x1D", WhitespaceSet::whiteSpace));
    EXPECT_FALSE(isBlank("\xE2\x80\x8B"));  // zero-width space is not white space
    EXPECT_FALSE(isBlank("\n", WhitespaceSet::spacesAndTabs));
}

TEST(HtmlEscaped, QuotesOnlyWhenAsked) {
    const struct {
        const char* text;
        const char* plain;
        const char* quoted;
    } cases[] = {
        {"a < b & c > d", "a &lt; b &amp; c &gt; d", "a &lt; b &amp; c &gt; d"},
        {"say \"it's\"", "say \"it's\"", "say &quot;it&#x27;s&quot;"},
        {"&amp; stays literal", "&amp;amp; stays literal", "&amp;amp; stays literal"},
        {"caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D", "caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D",
         "caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(htmlEscaped(c.text, false), c.plain);
        EXPECT_EQ(htmlEscaped(c.text, true), c.quoted);
    }
}

TEST(WordScalars, LettersAndNumbersOfEveryScript) {
    const struct {
        UChar32 scalar;
        bool word;
    } cases[] = {
        {'a', true},    {'Z', true},    {0x01C5, true},  {0x02B0, true},  {0x05D0, true},
        {'7', true},    {0x0663, true}, {0x2160, true},  {0x00BD, true},  {0x4E94, true},
        {'_', false},   {'-', false},   {' ', false},    {0x0301, false}, {0x2022, false},
        {'$', false},   {0xFFFD, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scalar);
        EXPECT_EQ(isWordScalar(c.scalar), c.word);
    }
    EXPECT_TRUE(containsWordScalar("\xE2\x80\xA2 3"));
    EXPECT_FALSE(containsWordScalar("\xE2\x80\xA2 -"));
}

TEST(WordTokens, RunsOfWordScalarsAndUnderscores) {
    const struct {
        const char* text;
        std::vector<std::string> tokens;
    } cases[] = {
        {"", {}},
        {" -- ", {}},
        {"foo_bar, baz-9", {"foo_bar", "baz", "9"}},
        {"\xEF\xAC\x81nd me", {"\xEF\xAC\x81nd", "me"}},
        {"e\xCC\x81x", {"e", "x"}},  // a combining mark is not a word scalar
        {"_", {"_"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(wordTokens(c.text), c.tokens);
    }
}

TEST(Graphemes, CountsUserPerceivedCharacters) {
    const struct {
        const char* name;
        const char* text;
        std::size_t count;
    } cases[] = {
        {"empty", "", 0},
        {"ascii", "abc", 3},
        {"combining marks", "e\xCC\x81\xCC\xA3x", 2},
        {"CR LF", "a\r\nb", 3},
        {"LF CR", "\n\r", 2},
        {"flag", "\xF0\x9F\x87\xAA\xF0\x9F\x87\xB8", 1},
        {"two flags", "\xF0\x9F\x87\xAA\xF0\x9F\x87\xB8\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", 2},
        {"zwj family", "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7", 1},
        {"malformed", "a\xFF" "b", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(graphemeCount(c.text), c.count);
        const auto clusters = graphemeClusters(c.text);
        EXPECT_EQ(clusters.size(), c.count);
        std::string rejoined;
        for (auto cluster : clusters) rejoined += cluster;
        EXPECT_EQ(rejoined, c.text);
    }
}

}  // namespace
