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
        // "(שלום)" as drawn: the glyph at the left is the closing bracket, mirrored.
        BidiCase{"brackets", u"(\u05DD\u05D5\u05DC\u05E9)", u"(\u05E9\u05DC\u05D5\u05DD)"}),
    [](const ::testing::TestParamInfo<BidiCase>& info) { return std::string(info.param.name); });

TEST(BidiOrder, LeftToRightLinesKeepTheirOrder) {
    EXPECT_FALSE(BidiOrder::fromVisual(u"plain text 2024").has_value());
    EXPECT_FALSE(BidiOrder::hasRightToLeft(u"plain text"));
    EXPECT_TRUE(BidiOrder::hasRightToLeft(u"a \u05D0"));
}
