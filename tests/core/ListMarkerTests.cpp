#include <gtest/gtest.h>

#include <optional>

#include "core/ListMarker.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {

struct SplitCase {
    const char* text;
    const char* marker;
    const char* rest;
    bool enumerated;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << ce::testing::printable(c.text); }

class ListMarkerSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ListMarkerSplit, FirstMatchingPatternWins) {
    const SplitCase& c = GetParam();
    const auto split = ListMarkers::split(c.text);
    EXPECT_EQ(split.marker, c.marker);
    EXPECT_EQ(split.text, c.rest);
    EXPECT_EQ(split.enumerated, c.enumerated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListMarkerSplit,
    ::testing::Values(
        // Bullets.
        SplitCase{"\xE2\x80\xA2 word", "\xE2\x80\xA2", "word", false},
        SplitCase{"- word", "-", "word", false},
        SplitCase{"* two words", "*", "two words", false},
        SplitCase{"\xC2\xB7 dot", "\xC2\xB7", "dot", false},
        SplitCase{"\xE2\x9E\xA4 arrow", "\xE2\x9E\xA4", "arrow", false},
        SplitCase{"\xE2\x9C\x93 done", "\xE2\x9C\x93", "done", false},
        SplitCase{"- first\nsecond line", "-", "first\nsecond line", false},
        // Enumerations, in table order.
        SplitCase{"1.2 word", "1.2", "word", true},
        SplitCase{"1.2.3. word", "1.2.3.", "word", true},
        SplitCase{"2a. word", "2a.", "word", true},
        SplitCase{"2.b) word", "2.b)", "word", true},
        SplitCase{"(3c) word", "(3c)", "word", true},
        SplitCase{"3. word", "3.", "word", true},
        SplitCase{"3) word", "3)", "word", true},
        SplitCase{"(12) word", "(12)", "word", true},
        SplitCase{"[7] word", "[7]", "word", true},
        SplitCase{"iv. word", "iv.", "word", true},
        SplitCase{"IV. word", "IV.", "word", true},
        SplitCase{"b. word", "b.", "word", true},
        SplitCase{"B) word", "B)", "word", true},
        SplitCase{"1.\nword", "1.", "word", true},
        SplitCase{"\xD9\xA3. word", "\xD9\xA3.", "word", true},  // Arabic-Indic digit three
        SplitCase{"999999999. word", "999999999.", "word", true},
        // Numbers too large to enumerate keep their marker but are not enumerated.
        SplitCase{"1000000000. word", "1000000000.", "word", false},
        SplitCase{"1234567890123456789. word", "1234567890123456789.", "word", false},
        SplitCase{"1.99999999999999999999 word", "1.99999999999999999999", "word", false},
        // No pattern: the whole text, no marker.
        SplitCase{"(iv) word", "", "(iv) word", false},
        SplitCase{"1.word", "", "1.word", false},
        SplitCase{"-word", "", "-word", false},
        SplitCase{"3. ", "", "3. ", false},
        SplitCase{"word", "", "word", false},
        SplitCase{"", "", "", false}),
    ce::testing::ByIndexAnd<&SplitCase::text>{});

TEST(ListMarkerNumber, OverflowCheckedAsciiNumbers) {
    const struct {
        const char* marker;
        std::optional<int> number;
    } cases[] = {
        {"12.", 12},
        {"00012.", 12},
        {"999999999.", 999999999},
        {"1000000000.", std::nullopt},
        {"1234567890123456789.", std::nullopt},
        {"99999999999999999999999999.", std::nullopt},
        {"12", std::nullopt},
        {".", std::nullopt},
        {"", std::nullopt},
        {"-1.", std::nullopt},
        {"1.2.", std::nullopt},
        {"\xD9\xA1\xD9\xA2.", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marker);
        EXPECT_EQ(ListMarkers::number(c.marker), c.number);
    }
}

}  // namespace
