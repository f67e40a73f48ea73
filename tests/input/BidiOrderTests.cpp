#include <gtest/gtest.h>

#include <string>

#include "input/BidiOrder.h"

using namespace ce;

namespace {

struct BidiCase {
    const char* name;
    std::u16string visual;   // as drawn, left to right
    std::u16string reading;  // in reading order
};

void PrintTo(const BidiCase& c, std::ostream* os) { *os << c.name; }

class BidiOrderFromVisual : public ::testing::TestWithParam<BidiCase> {};

}  // namespace

// Right-to-left words stored as drawn read from their first letter; numbers and Latin
// words inside keep their own order, and brackets turn back.
TEST_P(BidiOrderFromVisual, ReadsInLogicalOrder) {
    const BidiCase& c = GetParam();
    const auto reordered = BidiOrder::fromVisual(c.visual);
    ASSERT_TRUE(reordered.has_value());
    EXPECT_EQ(reordered->text, c.reading);
    ASSERT_EQ(reordered->source.size(), c.visual.size());
    for (std::size_t i = 0; i < c.visual.size(); ++i) {
        const char16_t drawn = c.visual[static_cast<std::size_t>(reordered->source[i])];
        const bool mirrored = drawn == u'(' || drawn == u')';
        if (!mirrored) {
            EXPECT_EQ(drawn, c.reading[i]) << "at " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BidiOrderFromVisual,
    ::testing::Values(
        // "שלום עולם" (hello world) drawn left to right: the last word's last letter first.
        BidiCase{"hebrew_words", u"\u05DD\u05DC\u05D5\u05E2 \u05DD\u05D5\u05DC\u05E9", u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD"},
        // "سلام" (peace) in Arabic letters.
        BidiCase{"arabic_word", u"\u0645\u0627\u0644\u0633", u"\u0633\u0644\u0627\u0645"},
        // "שנת 2024" (the year 2024): the number keeps its digits in order.
        BidiCase{"hebrew_with_number", u"2024 \u05EA\u05E0\u05E9", u"\u05E9\u05E0\u05EA 2024"},
        // A Latin word inside a Hebrew line stays as it is.
        BidiCase{"latin_inside", u"\u05DD\u05D5\u05DC\u05E9 PDF \u05D1\u05D5\u05D8", u"\u05D8\u05D5\u05D1 PDF \u05E9\u05DC\u05D5\u05DD"},
        // "הכל -1.7" (total -1.7), "+2" and "5-3": a sign drawn before a number stays
        // in front of it; between two numbers it stays between them.
        BidiCase{"signed_numbers", u"-1.7 +2 5-3 \u05DC\u05DB\u05D4", u"\u05D4\u05DB\u05DC 5-3 +2 -1.7"},
        // "התקן Windows 11 עכשיו" (install Windows 11 now): a number after a Latin word
        // belongs to it.
        BidiCase{"latin_word_with_number", u"\u05D5\u05D9\u05E9\u05DB\u05E2 Windows 11 \u05DF\u05E7\u05EA\u05D4",
                 u"\u05D4\u05EA\u05E7\u05DF Windows 11 \u05E2\u05DB\u05E9\u05D9\u05D5"},
        BidiCase{"iso_number", u"ISO 9001 \u05EA\u05E0\u05E9", u"\u05E9\u05E0\u05EA ISO 9001"},
        // "מכשיר iPhone 15 חדש" (a new iPhone 15 device).
        BidiCase{"latin_word_with_model_number", u"\u05E9\u05D3\u05D7 iPhone 15 \u05E8\u05D9\u05E9\u05DB\u05DE",
                 u"\u05DE\u05DB\u05E9\u05D9\u05E8 iPhone 15 \u05D7\u05D3\u05E9"},
        // Prices, percents, ranges and phone numbers in a Hebrew line: "מחיר 99.90 ₪"
        // (price), "הנחה 50%" (discount), "שעות 10-20" (hours), "טלפון 03-1234567".
        BidiCase{"price", u"\u20AA 99.90 \u05E8\u05D9\u05D7\u05DE", u"\u05DE\u05D7\u05D9\u05E8 99.90 \u20AA"},
        BidiCase{"percent", u"50% \u05D4\u05D7\u05E0\u05D4", u"\u05D4\u05E0\u05D7\u05D4 50%"},
        BidiCase{"range", u"10-20 \u05EA\u05D5\u05E2\u05E9", u"\u05E9\u05E2\u05D5\u05EA 10-20"},
        BidiCase{"phone", u"03-1234567 \u05DF\u05D5\u05E4\u05DC\u05D8", u"\u05D8\u05DC\u05E4\u05D5\u05DF 03-1234567"},
        // "(שלום)" as drawn: the glyph at the left is the closing bracket, mirrored.
        BidiCase{"brackets", u"(\u05DD\u05D5\u05DC\u05E9)", u"(\u05E9\u05DC\u05D5\u05DD)"}),
    [](const ::testing::TestParamInfo<BidiCase>& info) { return std::string(info.param.name); });

TEST(BidiOrder, LeftToRightLinesKeepTheirOrder) {
    EXPECT_FALSE(BidiOrder::fromVisual(u"plain text 2024").has_value());
    EXPECT_FALSE(BidiOrder::hasRightToLeft(u"plain text"));
    EXPECT_TRUE(BidiOrder::hasRightToLeft(u"a \u05D0"));
}
