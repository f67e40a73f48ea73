#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CodeText.h"
#include "core/Graphemes.h"

using namespace ce;

namespace {

constexpr double charW = 5;   // every fixture character is 5 points wide
constexpr double margin = 10;

// A word starting at grid column `col` of line `line`; `cols` overrides its width
// in columns (the box may be wider than its text).
TextCell word(const std::string& text, int col, int line, int cols = -1) {
    const double l = margin + col * charW;
    const double w = (cols < 0 ? static_cast<double>(graphemeCount(text)) : cols) * charW;
    return TextCell{0, text, BBox{l, 20.0 + line * 12, l + w, 30.0 + line * 12}, 1.0, false};
}

TextCell boxed(const std::string& text, BBox box) { return TextCell{0, text, box, 1.0, false}; }

struct CodeCase {
    const char* name;
    std::vector<TextCell> words;
    std::string expected;
};

}  // namespace

TEST(CodeText, LaysWordsOutOnTheCharacterGrid) {
    const CodeCase cases[] = {
        {"indentation",
         {word("}", 0, 2), word("int", 0, 0), word("main()", 4, 0), word("{", 11, 0), word("return", 4, 1),
          word("0;", 11, 1)},
         "int main() {\n    return 0;\n}"},
        {"wide gap lands on its column",
         {word("x", 0, 0), word("=", 2, 0), word("1;", 4, 0), word("//", 20, 0), word("note", 23, 0)},
         "x = 1;              // note"},
        {"drawn rule stretched to its box",
         {word("+---+", 0, 0, 15), word("|", 0, 1), word("abc", 2, 1), word("def", 6, 1), word("ghi", 10, 1),
          word("|", 14, 1), word("+---+", 0, 2, 15)},
         "+-------------+\n| abc def ghi |\n+-------------+"},
        {"typographic quotes and bullets kept", {word("print(\u201Chi\u201D)\u2022", 0, 0)}, "print(\u201Chi\u201D)\u2022"},
        {"ligatures expanded", {word("\uFB01le", 0, 0)}, "file"},
        {"blank and U+0002 cells", {word("  ", 0, 0), word("a\x02" "b", 0, 0)}, "a-b"},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageAssembler::codeText({}, c.words), c.expected);
    }
}

TEST(CodeText, DegenerateBoxesFallBackToSingleSpacesOrTheColumnCap) {
    const CodeCase cases[] = {
        {"zero-width words", {boxed("int", {10, 20, 10, 30}), boxed("main()", {40, 20, 40, 30})}, "int main()"},
        {"character width below 0.01", {boxed("int", {10, 20, 10.02, 30}), boxed("main()", {10.03, 20, 10.05, 30})},
         "int main()"},
        {"inverted boxes", {boxed("int", {50, 20, 10, 30}), boxed("main()", {90, 20, 60, 30})}, "int main()"},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageAssembler::codeText({}, c.words), c.expected);
    }

    const std::string farOff = PageAssembler::codeText({}, {word("abc", 0, 0), boxed("y", {1e12, 32, 1e12 + 5, 42})});
    EXPECT_EQ(farOff, "abc\n" + std::string(PageAssembler::maxColumn, ' ') + "y");
}

TEST(CodeText, CellsAreUsedWhenThereAreNoWords) {
    EXPECT_EQ(PageAssembler::codeText({word("let", 0, 0), word("a", 4, 0)}, {}), "let a");
    EXPECT_EQ(PageAssembler::codeText({word("cell", 0, 0)}, {word("word", 0, 0)}), "word");
    EXPECT_EQ(PageAssembler::codeText({}, {}), "");
}

TEST(CodeText, GapRule) {
    EXPECT_EQ(PageAssembler::gapSpaces(1.7, 5), 0);
    EXPECT_EQ(PageAssembler::gapSpaces(1.75, 5), 1);
    EXPECT_EQ(PageAssembler::gapSpaces(9.5, 5), 2);  // 1.9 - 0.4 = 1.5 rounds away from zero
    EXPECT_EQ(PageAssembler::gapSpaces(12.5, 5), std::nullopt);
}
