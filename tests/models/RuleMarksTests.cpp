#include <gtest/gtest.h>

#include <string>

#include "models/RuleMarks.h"

using namespace ce;

namespace {

struct RuleMarkCase {
    const char* name;
    const char* text;
    const char* expected;
};

class RuleMarksCases : public ::testing::TestWithParam<RuleMarkCase> {};

TEST_P(RuleMarksCases, CellTextLosesRuleMarksOnly) {
    EXPECT_EQ(RuleMarks::stripped(GetParam().text), GetParam().expected);
}

const RuleMarkCase cases[] = {
    {"BarBeforeDate", "|07/01/2015", "07/01/2015"},
    {"ClosingBracketAfterAmount", "7,723,293]", "7,723,293"},
    {"OpeningBracketBeforeWord", "[Total", "Total"},
    {"BarsOnBothSides", "| 1,505 |", "1,505"},
    {"LoneMarksBetweenWords", "Server | rooms ] [ ||", "Server rooms"},
    {"BarGluedOnEachLine", "|Mid-tier |data centers|", "Mid-tier data centers"},
    {"OnlyMarks", "| ]", ""},
    {"PairedBracketsKept", "[1] Interest", "[1] Interest"},
    {"BracketsAcrossWordsKept", "[see note 4]", "[see note 4]"},
    {"PairKeptUnpairedCut", "[a] 12]", "[a] 12"},
    {"BracketInsideWordKept", "x[2]y", "x[2]y"},
    {"BarInsideWordKept", "a|b", "a|b"},
    {"TextWithoutMarksUnchanged", "Number  of\tfinancial", "Number  of\tfinancial"},
    {"Empty", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Texts, RuleMarksCases, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<RuleMarkCase>& info) { return std::string(info.param.name); });

}  // namespace
