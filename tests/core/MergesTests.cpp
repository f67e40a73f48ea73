#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MergeContinuation.h"
#include "core/Merges.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {

// Left column 50...290, right column 320...560 (or a third at 580...600).
ROElement left(int cid, std::string text, DocLabel label = DocLabel::text) {
    return ROElement{cid, label, std::move(text), 50, 290, 100, 700, 612, 792};
}
ROElement right(int cid, std::string text, DocLabel label = DocLabel::text) {
    return ROElement{cid, label, std::move(text), 320, 560, 100, 700, 612, 792};
}
ROElement farRight(int cid, std::string text) {
    return ROElement{cid, DocLabel::text, std::move(text), 580, 600, 100, 700, 612, 792};
}

// One line of `lineHeight`-point type in a column from 50 to 290, its top edge `top` points
// up from the page bottom.
ROElement line(int cid, std::string text, double top, double l = 50, double r = 290, double lineHeight = 12) {
    return ROElement{cid, DocLabel::text, std::move(text), l, r, top - lineHeight, top, 612, 792};
}

struct MergeCase {
    const char* name;
    std::vector<ROElement> ordered;
    ReadingOrder::CidMap expected;
};

void PrintTo(const MergeCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class Merges : public ::testing::TestWithParam<MergeCase> {};

TEST_P(Merges, JoinParagraphsBrokenAcrossColumns) {
    EXPECT_EQ(ReadingOrder::predictMerges(GetParam().ordered), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Merges,
    ::testing::Values(
        MergeCase{"acrossAPicture",
                  {left(0, "the paragraph runs to the"), right(1, "", DocLabel::picture), right(2, "bottom and on.")},
                  {{0, {2}}}},
        MergeCase{"skipsFurnitureCaptionsAndFootnotes",
                  {left(0, "ends with a comma,  "), left(1, "Page 3", DocLabel::pageFooter),
                   right(2, "Figure 1", DocLabel::caption), right(3, "1 note", DocLabel::footnote),
                   right(4, "  Then on.")},
                  {{0, {4}}}},
        MergeCase{"withinOneColumnWithoutLineHeights", {left(0, "ends in a word"), left(1, "and goes on")}, {}},
        // Text below in the same column is never a continuation, whatever its words.
        MergeCase{"sameColumnLowerCaseToLowerCase",
                  {line(0, "the first line ends in a word", 700), line(1, "and the next starts with one", 686)}, {}},
        MergeCase{"keyValueLines",
                  {line(0, "Account holder: Jane Doe", 700), line(1, "Account number: 12345678", 686),
                   line(2, "Branch: Main street", 672), line(3, "Currency: euro", 658)},
                  {}},
        MergeCase{"addressLines",
                  {line(0, "Jane Doe, flat b", 700), line(1, "high street", 686), line(2, "springfield,", 672),
                   line(3, "united states", 658)},
                  {}},
        MergeCase{"smallerLineBelowAParagraph",
                  {line(0, "the paragraph ends in a word", 700, 50, 290, 11), line(1, "a note in smaller type", 686, 50, 290, 9)},
                  {}},
        MergeCase{"fullStopEndsAndTheNextStartsItsOwnChain",
                  {left(0, "ends here."), right(1, "starts again and"), farRight(2, "finishes.")},
                  {{1, {2}}}},
        MergeCase{"threeColumnsOneChain",
                  {left(0, "broken over soft\xC2\xAD"), right(1, "three columns with-"), farRight(2, "\xC3\x89lan.")},
                  {{0, {1, 2}}}},
        MergeCase{"candidateMustBeText", {left(0, "ends in a word"), right(1, "a list item", DocLabel::listItem)}, {}},
        MergeCase{"candidateMustStartWithALetter", {left(0, "ends in a word"), right(1, "3 more")}, {}},
        MergeCase{"singleLettersMatchNeitherPattern", {left(0, "a"), right(1, "b")}, {}},
        MergeCase{"tailSpaceAllowedButNotAnUpperCaseEnd", {left(0, "ends in A  "), right(1, "next")}, {}}),
    ce::testing::ByName{});

struct ContinuationCase {
    const char* name;
    const char* text;
    const char* continuation;
    const char* expected;
};

void PrintTo(const ContinuationCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class Continuation : public ::testing::TestWithParam<ContinuationCase> {};

TEST_P(Continuation, JoinsTextAndOrigAndRecordsTheCluster) {
    const auto& c = GetParam();
    DocElement element(DocElementKind::text, c.text, 0, {}, std::nullopt, 4, DocLabel::text);
    PageAssembler::appendContinuation(element, c.continuation, 9);
    EXPECT_EQ(element.text, c.expected);
    EXPECT_EQ(element.orig, c.expected);
    EXPECT_EQ(element.mergedClusterIDs, std::vector<int>{9});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Continuation,
    ::testing::Values(ContinuationCase{"hyphenBeforeLowerCase", "inter-", " national", "international"},
                      ContinuationCase{"hyphenBeforeNonAsciiLowerCase", "inter-", "\xC3\xA9lan", "inter\xC3\xA9lan"},
                      ContinuationCase{"hyphenBeforeCapitalStays", "inter-", "National", "inter- National"},
                      ContinuationCase{"hyphenBeforeDigitStays", "inter-", "3D", "inter- 3D"},
                      ContinuationCase{"softHyphenAlwaysJoins", "inter\xC2\xAD", "National", "interNational"},
                      ContinuationCase{"plainWordsGetOneSpace", "word", "\xC2\xA0 next", "word next"}),
    ce::testing::ByName{});

}  // namespace
