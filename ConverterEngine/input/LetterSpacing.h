// Closing the spaces of letter-spaced words ("W o r d"), from gaps measured on the page.
//
// A measured run is one line (or a few pieces of one string line) of page text: its
// separators (spaces, and boundaries between text fragments) each carry a gap record
// with the centre distance and edge gap of the two characters around it, both in units
// of the run's character thickness. Two analyses look for a clear jump between letter
// gaps and word gaps, first in the edge gaps and then in the character pitch; the runs
// that show one clearly set the page's measures, by which the doubtful runs of the same
// type size are judged. Applying a record puts a space into the drop set, or joins the
// fragment after a boundary to the one before it.
// All functions are pure; the passes only add to a Repair and never remove from it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <vector>

namespace ce::LetterSpacing {

struct GapRecord {
    int position = 0;         // the space's position; for a boundary, the position after it
    int before = 0;           // position of the character before the separator
    bool boundary = false;    // a boundary between fragments rather than a space
    double centerDistance = 0;  // in units
    double edgeGap = 0;         // in units, never negative
};

struct MeasuredRun {
    double unit = 0;                 // character thickness, page points
    std::vector<GapRecord> records;  // at least one, in sequence order
    std::set<int> candidates;        // positions of letter-spacing candidates; may be empty

    bool isCandidate(const GapRecord& record) const { return candidates.count(record.position) > 0; }
};

// Spaces to leave out of texts, and fragments to join (key continues value).
struct Repair {
    std::set<int> drop;
    std::map<int, int> joins;

    void apply(const GapRecord& record);
    void apply(std::span<const GapRecord> records);
};

enum class Verdict { passed, setAside, leftAlone };

// Analysis of one run's edge gaps.
struct LetterResult {
    Verdict verdict = Verdict::setAside;
    double threshold = 0;             // T, when passed
    double unit = 0;                  // the run's unit
    std::vector<double> closedGaps;   // the run's edge gaps <= T, when passed
    std::vector<GapRecord> applied;   // the records to apply, when passed
};
LetterResult analyseLetterGaps(const MeasuredRun& run);

// Page measures from the runs whose letter gaps passed.
struct PageLetterGaps {
    double letterGap = 0;   // F: median of all closed gaps
    double threshold = 0;   // G: the largest threshold
    double unit = 0;        // J: median unit
};
std::optional<PageLetterGaps> pageLetterGaps(std::span<const LetterResult> results);
// A run set aside by the edge-gap analysis, repaired whole or not at all.
std::vector<GapRecord> repairSetAside(const MeasuredRun& run, const PageLetterGaps& page);
// A run without candidates, judged by its median edge gap.
std::vector<GapRecord> repairWithoutCandidates(const MeasuredRun& run, const PageLetterGaps& page);

// Analysis of one run's centre distances (character pitch).
struct PitchResult {
    Verdict verdict = Verdict::setAside;
    double threshold = 0;   // P, when passed
    double next = 0;        // the smallest centre distance above P, when passed
    double unit = 0;        // the run's unit
    std::vector<GapRecord> applied;
};
PitchResult analysePitch(const MeasuredRun& run);

struct PagePitch {
    double pitch = 0;   // Q: midway between the median threshold and the median next distance
    double unit = 0;    // U: median unit
};
std::optional<PagePitch> pagePitch(std::span<const PitchResult> results);
// A run set aside by the pitch analysis, or a run without candidates, judged by the page pitch.
std::vector<GapRecord> repairByPagePitch(const MeasuredRun& run, const PagePitch& page);

// All four passes over a page, in order.
Repair repair(std::span<const MeasuredRun> withCandidates, std::span<const MeasuredRun> withoutCandidates);

}  // namespace ce::LetterSpacing
