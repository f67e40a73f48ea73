#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/LetterSpacing.h"
#include "support/CaseNames.h"

using namespace ce::LetterSpacing;

namespace {

struct Gap {
    double center;
    double edge;
    bool candidate = true;
};

// Records at positions 1, 3, 5, ... (spaces between single letters).
MeasuredRun run(const std::vector<Gap>& gaps, double unit = 10) {
    MeasuredRun out;
    out.unit = unit;
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        const int position = static_cast<int>(2 * i + 1);
        out.records.push_back({position, position - 1, false, gaps[i].center, gaps[i].edge});
        if (gaps[i].candidate) out.candidates.insert(position);
    }
    return out;
}

// A run whose records all have edge gap `edge` (centre distance one unit more).
MeasuredRun uniform(int count, double edge, bool candidates, double unit = 10) {
    return run(std::vector<Gap>(count, Gap{edge + 0.6, edge, candidates}), unit);
}

// The sample line: letters of two words, letter gaps 0.2, one word gap 0.9, letters 0.6 wide.
MeasuredRun twoWords() {
    std::vector<Gap> gaps(9, Gap{0.8, 0.2});
    gaps[4] = {1.5, 0.9};
    return run(gaps);
}

std::vector<int> positions(const std::vector<GapRecord>& records) {
    std::vector<int> out;
    for (const GapRecord& r : records) out.push_back(r.position);
    return out;
}

}  // namespace

namespace {
struct LetterCase {
    const char* name;
    MeasuredRun run;
    Verdict verdict;
    double threshold;
    std::size_t applied;
};

void PrintTo(const LetterCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class LetterGapAnalysis : public ::testing::TestWithParam<LetterCase> {};
}  // namespace

TEST_P(LetterGapAnalysis, FindsTheThresholdAtTheLargestJump) {
    const LetterCase& c = GetParam();
    const LetterResult result = analyseLetterGaps(c.run);
    EXPECT_EQ(result.verdict, c.verdict);
    if (c.verdict == Verdict::passed) {
        EXPECT_EQ(result.threshold, c.threshold);
        EXPECT_EQ(result.closedGaps.size(), c.applied);
    }
    EXPECT_EQ(result.applied.size(), c.applied);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LetterGapAnalysis,
    ::testing::Values(
        LetterCase{"twoWords", twoWords(), Verdict::passed, 0.2, 8},
        LetterCase{"oneGap", run({{0.8, 0.1}}), Verdict::setAside, 0, 0},
        LetterCase{"noJump", uniform(6, 0.3, true), Verdict::setAside, 0, 0},
        LetterCase{"jumpOnlyAbove04", run({{1, 0.4}, {1, 0.4}, {2, 1.5}}), Verdict::setAside, 0, 0},
        LetterCase{"narrowGapsAboveThreshold", run({{1, 0.1}, {1, 0.1}, {1, 0.3}, {1, 0.3}, {1, 0.3}}),
                   Verdict::setAside, 0, 0},
        LetterCase{"laterEqualJumpWins", run({{1, 0.125}, {1, 0.25}, {1, 0.5}}), Verdict::passed, 0.25, 2},
        LetterCase{"tinyGapsCountAsFiveHundredths", run({{1, 0}, {1, 0.05}, {1, 0.6}}), Verdict::passed, 0.05, 2},
        LetterCase{"halfOfCandidatesClose", run({{1, 0.1}, {1, 0.1}, {1, 0.9}, {1, 0.9}}), Verdict::leftAlone, 0, 0},
        LetterCase{"noCandidateRecord",
                   run({{1, 0.1, false}, {1, 0.1, false}, {1, 0.9, false}}), Verdict::leftAlone, 0, 0},
        LetterCase{"twoThirdsOfCandidatesClose",
                   run({{1, 0.1}, {1, 0.1}, {1, 0.9}, {1, 0.9, false}, {1, 0.1, false}}), Verdict::passed, 0.1, 3}),
    ce::testing::ByName{});

TEST(PageLetterPass, TakesMediansAndTheLargestThresholdOfPassingRunsOnly) {
    LetterResult a{Verdict::passed, 0.2, 10, {0.1, 0.2, 0.2}, {}};
    LetterResult b{Verdict::passed, 0.3, 12, {0.3}, {}};
    LetterResult c{Verdict::setAside, 0.9, 40, {0.9, 0.9, 0.9}, {}};
    EXPECT_FALSE(pageLetterGaps(std::vector<LetterResult>{c}).has_value());
    const auto page = pageLetterGaps(std::vector<LetterResult>{a, c, b});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->letterGap, 0.2);  // position 2 of 0.1, 0.2, 0.2, 0.3
    EXPECT_EQ(page->threshold, 0.3);
    EXPECT_EQ(page->unit, 12);  // position 1 of 10, 12
}

TEST(PageLetterPass, RepairsASetAsideRunWholeOrNotAtAll) {
    const PageLetterGaps page{0.2, 0.25, 10};
    EXPECT_EQ(repairSetAside(uniform(5, 0.22, true), page).size(), 5u);
    MeasuredRun oneWide = uniform(5, 0.22, true);
    oneWide.records[2].edgeGap = 0.3;
    EXPECT_TRUE(repairSetAside(oneWide, page).empty());
    EXPECT_TRUE(repairSetAside(uniform(5, 0.22, false), page).empty());
    // Within the threshold but beyond 1.3 x the letter gap for more than 30 % of the gaps.
    EXPECT_TRUE(repairSetAside(run({{1, 0.1}, {1, 0.25}, {1, 0.25}}), PageLetterGaps{0.1, 0.25, 10}).empty());
    // The unit must lie within 15 % of the page unit.
    EXPECT_EQ(repairSetAside(uniform(5, 0.22, true, 11.4), page).size(), 5u);
    EXPECT_TRUE(repairSetAside(uniform(5, 0.22, true, 11.6), page).empty());
}

TEST(PageLetterPass, JudgesRunsWithoutCandidatesByTheirMedianGap) {
    const PageLetterGaps page{0.2, 0.25, 10};
    auto gaps = [](std::vector<double> edges) {
        std::vector<Gap> out;
        for (double e : edges) out.push_back({e + 0.6, e, false});
        return run(out);
    };
    EXPECT_TRUE(repairWithoutCandidates(gaps({0.1, 0.3, 0.3, 0.9}), page).empty());
    EXPECT_EQ(positions(repairWithoutCandidates(gaps({0.25, 0.27, 0.6, 0.9}), page)), (std::vector<int>{1}));
    EXPECT_EQ(positions(repairWithoutCandidates(gaps({0.05, 0.1, 0.15, 0.3}), page)), (std::vector<int>{1, 3, 5}));
    EXPECT_TRUE(repairWithoutCandidates(run({{0.7, 0.1, false}}, 20), page).empty());
}

namespace {
struct PitchCase {
    const char* name;
    MeasuredRun run;
    Verdict verdict;
    double threshold;
    double next;
    std::size_t applied;
};

void PrintTo(const PitchCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class PitchAnalysis : public ::testing::TestWithParam<PitchCase> {};
}  // namespace

TEST_P(PitchAnalysis, FindsTheLetterPitch) {
    const PitchCase& c = GetParam();
    const PitchResult result = analysePitch(c.run);
    EXPECT_EQ(result.verdict, c.verdict);
    if (c.verdict == Verdict::passed) {
        EXPECT_EQ(result.threshold, c.threshold);
        EXPECT_EQ(result.next, c.next);
    }
    EXPECT_EQ(result.applied.size(), c.applied);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PitchAnalysis,
    ::testing::Values(
        // Letter gaps of 0.2 have a lower median of 0.2, which is not below 0.2.
        PitchCase{"twoWordsSetAside", twoWords(), Verdict::setAside, 0, 0, 0},
        PitchCase{"narrowLetters", run({{0.7, 0.1}, {0.7, 0.1}, {0.7, 0.1}, {1.4, 0.8}}), Verdict::passed, 0.7, 1.4, 3},
        PitchCase{"oneDistance", run({{0.7, 0.1}}), Verdict::setAside, 0, 0, 0},
        PitchCase{"noJump", run({{0.7, 0.1}, {0.8, 0.1}, {0.85, 0.1}}), Verdict::setAside, 0, 0, 0},
        PitchCase{"nextBelow095", run({{0.5, 0.1}, {0.9, 0.1}}), Verdict::setAside, 0, 0, 0},
        PitchCase{"fewCandidates", run({{0.7, 0.1}, {0.7, 0.1, false}, {1.4, 0.8}, {1.4, 0.8}}), Verdict::leftAlone,
                  0, 0, 0}),
    ce::testing::ByName{});

TEST(PagePitchPass, ClosesOnlyGapsBelowOneFifthWithinThePagePitch) {
    PitchResult a{Verdict::passed, 0.7, 1.3, 10, {}};
    PitchResult b{Verdict::passed, 0.8, 1.5, 10, {}};
    PitchResult c{Verdict::setAside, 0, 0, 30, {}};
    EXPECT_FALSE(pagePitch(std::vector<PitchResult>{c}).has_value());
    const auto page = pagePitch(std::vector<PitchResult>{a, b, c});
    ASSERT_TRUE(page);
    EXPECT_DOUBLE_EQ(page->pitch, (0.8 + 1.5) / 2);
    EXPECT_EQ(page->unit, 10);

    const PagePitch q{1.0, 10};
    // An edge gap of exactly 0.2 stays a word break.
    EXPECT_EQ(positions(repairByPagePitch(run({{0.8, 0.1}, {0.9, 0.2}, {0.8, 0.1}, {1.5, 0.9}}), q)),
              (std::vector<int>{1, 5}));
    // The lower median of the gaps within the pitch must be below 0.2.
    EXPECT_TRUE(repairByPagePitch(run({{0.8, 0.1}, {0.9, 0.2}, {0.8, 0.25}}), q).empty());
    // A run with candidates needs two thirds of its candidate records within the pitch.
    EXPECT_TRUE(repairByPagePitch(run({{0.8, 0.1}, {1.5, 0.1}, {1.5, 0.1}}), q).empty());
    EXPECT_EQ(repairByPagePitch(run({{0.8, 0.1, false}, {1.5, 0.1, false}, {1.5, 0.1, false}}), q).size(), 1u);
    EXPECT_TRUE(repairByPagePitch(run({{0.8, 0.1}, {0.8, 0.1}}, 11.6), q).empty());
}

TEST(Repair, PageMeasuresComeOnlyFromRunsThatPassed) {
    // A single spaced word: no jump anywhere, so nothing closes on its own.
    const std::vector<MeasuredRun> lone = {uniform(6, 0.2, true)};
    const std::vector<MeasuredRun> without = {uniform(3, 0.1, false)};
    const Repair alone = repair(lone, without);
    EXPECT_TRUE(alone.drop.empty());
    EXPECT_TRUE(alone.joins.empty());

    // Beside a clearly letter-spaced line the same word closes, and so does the run
    // without candidates whose gaps lie below the page threshold.
    std::vector<MeasuredRun> page = {twoWords(), uniform(6, 0.2, true)};
    for (GapRecord& r : page[1].records) r.position += 100;
    page[1].candidates.clear();
    for (const GapRecord& r : page[1].records) page[1].candidates.insert(r.position);
    std::vector<MeasuredRun> others = without;
    for (GapRecord& r : others[0].records) r.position += 200;
    const Repair fixed = repair(page, others);
    EXPECT_EQ(fixed.drop.size(), 8u + 6u + 3u);
    EXPECT_FALSE(fixed.drop.count(9));  // the word gap of the two words
}

TEST(Repair, BoundaryRecordsJoinFragmentsAndSpacesDrop) {
    Repair r;
    const GapRecord boundary{7, 5, true, 0.8, 0.1};
    const GapRecord space{3, 2, false, 0.8, 0.1};
    r.apply(std::vector<GapRecord>{boundary, space, boundary});
    EXPECT_EQ(r.joins, (std::map<int, int>{{7, 5}}));
    EXPECT_EQ(r.drop, (std::set<int>{3}));
}
