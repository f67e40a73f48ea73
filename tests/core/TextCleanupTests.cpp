#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TextCleanup.h"

using namespace ce;

namespace {

#define FI "\xEF\xAC\x81"  // U+FB01, the fi ligature

TEST(NormalizeText, ReplacementsThenLigatures) {
    const struct {
        const char* text;
        const char* normalized;
    } cases[] = {
        {"1\xE2\x81\x84" "2", "1/2"},
        {"\xE2\x80\x98q\xE2\x80\x99", "'q'"},
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\"q\""},
        {"\xE2\x80\xA2 x", "\xC2\xB7 x"},
        {FI " nd", "find"},            // a ligature split off from its word is rejoined
        {FI " _x", "fi_x"},
        {FI " -x", "fi -x"},            // not a word: the space stays
        {FI "  x", "fi  x"},
        {FI " ", "fi "},
        {"\xC4\xB2 sland", "IJ sland"},  // U+0132 is no FB ligature: the space stays
        {"a\xEF\x82\xA0" "b", "ab"},    // U+F0A0 is removed
        {"\xEF\xAC\x80\xEF\xAC\x83\xEF\xAC\x84\xEF\xAC\x82\xEF\xAC\x85\xEF\xAC\x86\xC4\xB3",
         "ffffifflflststij"},
        {"no change", "no change"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PageAssembler::normalizeText(c.text), c.normalized);
    }
}

TEST(NormalizeText, LigatureExpansionAloneKeepsQuotesAndBullets) {
    EXPECT_EQ(PageAssembler::expandLigatures("\xE2\x80\x9C\xEF\xAC\x82ow\xE2\x80\x9D \xE2\x80\xA2"),
              "\xE2\x80\x9C" "flow\xE2\x80\x9D \xE2\x80\xA2");
    EXPECT_EQ(PageAssembler::expandLigatures("x = \xE2\x80\x98y\xE2\x80\x99"), "x = \xE2\x80\x98y\xE2\x80\x99");
}

TEST(JoinCellTexts, HyphensAndLigaturesAcrossCells) {
    const struct {
        std::vector<std::string> texts;
        const char* joined;
    } cases[] = {
        {{}, ""},
        {{"alone"}, "alone"},
        {{"one", "two", "three"}, "one two three"},
        {{"infor-", "mation"}, "information"},
        {{"ef-", FI "cient"}, "efficient"},
        {{"of" FI, "ce"}, "office"},             // ligature at the end of a cell, word goes on
        {{"x_y-", "z"}, "x_y- z"},               // underscore in the last token
        {{"end-", "_x"}, "end- _x"},             // underscore in the next token
        {{"a -", "b"}, "a - b"},                 // no word scalar before the hyphen
        {{"-", "x"}, "- x"},                     // fewer than two scalars
        {{"tail-", ""}, "tail-"},                // no next token
        {{"tail-", "\xE2\x80\x94"}, "tail- \xE2\x80\x94"},
        {{"\xE2\x80\x9Cquoted", "text\xE2\x80\x9D"}, "\"quoted text\""},
        {{"\x1C" "a", "b "}, "a b"},
        {{"compensa\xC2\xAD", "tion"}, "compensation"},        // soft hyphen at a line end joins
        {{"compensa\xC2\xAD ", "Tion"}, "compensaTion"},       // whatever the next line starts with
        {{"in\xC2\xADline", "text"}, "inline text"},           // one inside a line is dropped
        {{"goes on\xC2\xAD"}, "goes on\xC2\xAD"},             // the last line keeps it for a continuation
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.joined);
        EXPECT_EQ(PageAssembler::joinCellTexts(c.texts), c.joined);
    }
}

TEST(JoinCellTexts, CleanedCellText) {
    EXPECT_EQ(PageAssembler::cleanedCellText(" co\x02 "), "co-");
    EXPECT_EQ(PageAssembler::cleanedCellText("\t \xE2\x80\x83"), "");
}

}  // namespace
