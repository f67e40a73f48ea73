#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/LineCuts.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {

// A line written as its glyphs in stored order: each visible glyph by its extent along
// the line, "_" a space (just behind the glyph before it). Font size 10 throughout.
struct Stored {
    std::string spelled;          // one letter per glyph, "_" for a space
    std::vector<double> lows;     // where each visible glyph starts
    double width = 5;             // every visible glyph's width
    std::string directions = {};  // per visible glyph: "l" left to right, "r" right to left, else neutral
};

std::vector<LineCuts::Glyph> glyphsOf(const Stored& line) {
    std::vector<LineCuts::Glyph> glyphs;
    std::size_t next = 0;
    for (char c : line.spelled) {
        if (c == '_') {
            const double at = glyphs.empty() ? 0 : glyphs.back().high;
            glyphs.push_back({false, at, at + 2.5, 10});
            continue;
        }
        const char direction = next < line.directions.size() ? line.directions[next] : ' ';
        const double low = line.lows.at(next++);
        glyphs.push_back({true, low, low + line.width, 10,
                          direction == 'l'   ? LineCuts::Direction::leftToRight
                          : direction == 'r' ? LineCuts::Direction::rightToLeft
                                             : LineCuts::Direction::neutral});
    }
    return glyphs;
}

// The parts as the stored letters they hold, in the order given.
std::vector<std::string> spelledParts(const Stored& line, bool rightToLeft) {
    std::vector<std::string> out;
    for (const LineCuts::Part& part : LineCuts::parts(glyphsOf(line), rightToLeft))
        out.push_back(line.spelled.substr(static_cast<std::size_t>(part.from), static_cast<std::size_t>(part.to - part.from)));
    return out;
}

struct Case {
    const char* name;
    Stored line;
    bool rightToLeft;
    std::vector<std::string> parts;
};

void PrintTo(const Case& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class LineCutsCase : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(LineCutsCase, CutsWhereTextLiesFarApart) {
    const Case& c = GetParam();
    EXPECT_EQ(spelledParts(c.line, c.rightToLeft), c.parts);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineCutsCase,
    ::testing::Values(
        // Touching letters, kerned ones (overlapping) and letter spacing of 0.4 em stay one word.
        Case{"TouchingLetters", {"abc", {0, 5, 10}}, false, {"abc"}},
        Case{"KernedPair", {"AV", {0, 4}}, false, {"AV"}},
        Case{"LetterSpacedHeading", {"WORD", {0, 9, 18, 27}}, false, {"WORD"}},
        // A gap of half the font size is the widest kept; just beyond it the line is cut.
        Case{"GapOfHalfTheFontSize", {"ab", {0, 10}}, false, {"ab"}},
        Case{"GapJustBeyondHalfTheFontSize", {"ab", {0, 10.1}}, false, {"a", "b"}},
        // A heading set 0.6 em apart has no gap wider than its usual one; a column gap
        // half an em wider than its letter spacing is one.
        Case{"WidelySpacedHeading", {"abcd_efgh", {0, 11, 22, 33, 55, 66, 77, 88}}, true, {"abcd_efgh"}},
        Case{"ColumnGapBeyondTheLetterSpacing", {"abcde", {0, 11, 22, 44, 55}}, false, {"abc", "de"}},
        // A right-to-left word stored after a Latin phrase, a word space of 0.8 em to its
        // left: one line. The same gap between two Latin words is a cut.
        Case{"WordSpaceBetweenDirections", {"abxy", {20, 25, 2, 7}, 5, "llrr"}, false, {"abxy"}},
        Case{"WiderGapBetweenDirections", {"abxy", {30, 35, 9, 14}, 5, "llrr"}, false, {"xy", "ab"}},
        Case{"SameGapBetweenLatinWords", {"abxy", {20, 25, 2, 7}, 5, "llll"}, false, {"xy", "ab"}},
        // A wide word space that is written stays inside the line.
        Case{"JustifiedWordSpace", {"ab_cd", {0, 5, 40, 45}}, false, {"ab_cd"}},
        // Numbers of three table columns with nothing between them.
        Case{"TableColumns", {"12345678", {0, 5, 10, 40, 45, 50, 80, 85}}, false, {"123", "456", "78"}},
        // A right-to-left word stored from its first letter runs backwards and stays whole;
        // so does a number inside it, drawn left to right to the left of the letters before it.
        Case{"RightToLeftWordStoredInReadingOrder", {"abc", {10, 5, 0}}, true, {"abc"}},
        Case{"NumberInsideRightToLeftWord", {"ab123c", {25, 20, 5, 10, 15, 0}}, true, {"ab123c"}},
        // The same right-to-left line, its label far right of its numbers, read from the
        // right however the reader stored it.
        Case{"RightToLeftRowStoredAsDrawn", {"1234xy", {0, 5, 40, 45, 100, 105}}, true, {"xy", "34", "12"}},
        Case{"RightToLeftRowStoredInReadingOrder", {"yx3412", {105, 100, 40, 45, 0, 5}}, true, {"yx", "34", "12"}},
        // A glyph that jumps back to well before the text so far starts a part of its own.
        Case{"JumpBackAgainstTheLine", {"abcde", {50, 55, 60, 0, 5}}, false, {"de", "abc"}},
        Case{"JumpBackOntoTheTextSoFar", {"abcd", {50, 55, 60, 52}}, false, {"abcd"}}),
    ce::testing::ByName());

TEST(LineCuts, AGlyphWithoutFontSizeIsNeverCutOff) {
    std::vector<LineCuts::Glyph> glyphs{{true, 0, 5, 0}, {true, 50, 55, 0}};
    ASSERT_EQ(LineCuts::parts(glyphs, false).size(), 1u);
    EXPECT_TRUE(LineCuts::parts({}, false).empty());
}
