#include <gtest/gtest.h>

#include "input/PageText.h"

using namespace ce;

TEST(NonWhitespaceCharacterCount, CountsGraphemesThatAreNotWhiteSpace) {
    auto cell = [](const char* text) { return TextCell{.text = text}; };
    EXPECT_EQ(nonWhitespaceCharacterCount({}), 0);
    EXPECT_EQ(nonWhitespaceCharacterCount({cell("a b\tc\n"), cell("\r\n \u00a0\u2003")}), 3);
    // e + combining acute is one character; a flag of two regional indicators is one; U+1D400 is one.
    EXPECT_EQ(nonWhitespaceCharacterCount({cell("e\u0301"), cell("\U0001F1EA\U0001F1F8 \U0001D400")}), 3);
}
