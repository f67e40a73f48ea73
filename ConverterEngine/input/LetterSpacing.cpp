#include "core/Median.h"
#include "input/LetterSpacing.h"

#include <algorithm>
#include <cmath>

namespace ce::LetterSpacing {

namespace {

std::vector<double> edgeGaps(std::span<const GapRecord> records) {
    std::vector<double> gaps;
    gaps.reserve(records.size());
    for (const GapRecord& r : records) gaps.push_back(r.edgeGap);
    return gaps;
}

bool matchesUnit(double unit, double pageUnit) { return std::abs(unit - pageUnit) <= 0.15 * pageUnit; }

// At least two thirds of the run's candidate records satisfy `closes`; false without any.
template <typename Closes>
bool candidatesAgree(const MeasuredRun& run, Closes closes) {
    int total = 0;
    int closed = 0;
    for (const GapRecord& r : run.records) {
        if (!run.isCandidate(r)) continue;
        ++total;
        if (closes(r)) ++closed;
    }
    return total > 0 && 3 * closed >= 2 * total;
}

template <typename Keep>
std::vector<GapRecord> recordsWhere(std::span<const GapRecord> records, Keep keep) {
    std::vector<GapRecord> out;
    for (const GapRecord& r : records)
        if (keep(r)) out.push_back(r);
    return out;
}

}  // namespace

void Repair::apply(const GapRecord& record) {
    if (record.boundary)
        joins.emplace(record.position, record.before);
    else
        drop.insert(record.position);
}

void Repair::apply(std::span<const GapRecord> records) {
    for (const GapRecord& r : records) apply(r);
}

LetterResult analyseLetterGaps(const MeasuredRun& run) {
    LetterResult result;
    result.unit = run.unit;
    std::vector<double> gaps = edgeGaps(run.records);
    if (gaps.size() < 2) return result;
    std::sort(gaps.begin(), gaps.end());

    // The threshold sits at the largest jump below 0.4 units; a later equal jump wins.
    std::optional<double> threshold;
    double bestRatio = 1.5;
    for (std::size_t i = 0; i + 1 < gaps.size(); ++i) {
        const double g = gaps[i];
        if (g >= 0.4) continue;
        const double ratio = gaps[i + 1] / std::max(g, 0.05);
        if (ratio >= bestRatio) {
            threshold = g;
            bestRatio = ratio;
        }
    }
    if (!threshold) return result;
    const double t = *threshold;

    // The gaps above the threshold must look like word gaps.
    const auto firstAbove = std::upper_bound(gaps.begin(), gaps.end(), t);
    const std::vector<double> above(firstAbove, gaps.end());
    if (above[above.size() / 2] < 0.5) return result;

    if (!candidatesAgree(run, [t](const GapRecord& r) { return r.edgeGap <= t; })) {
        result.verdict = Verdict::leftAlone;
        return result;
    }
    result.verdict = Verdict::passed;
    result.threshold = t;
    result.closedGaps.assign(gaps.begin(), firstAbove);
    result.applied = recordsWhere(run.records, [t](const GapRecord& r) { return r.edgeGap <= t; });
    return result;
}

std::optional<PageLetterGaps> pageLetterGaps(std::span<const LetterResult> results) {
    std::vector<double> pooled;
    std::vector<double> units;
    double threshold = 0;
    for (const LetterResult& r : results) {
        if (r.verdict != Verdict::passed) continue;
        pooled.insert(pooled.end(), r.closedGaps.begin(), r.closedGaps.end());
        units.push_back(r.unit);
        threshold = std::max(threshold, r.threshold);
    }
    if (units.empty()) return std::nullopt;
    return PageLetterGaps{upperMedian(pooled), threshold, upperMedian(units)};
}

std::vector<GapRecord> repairSetAside(const MeasuredRun& run, const PageLetterGaps& page) {
    if (!matchesUnit(run.unit, page.unit)) return {};
    const bool hasCandidate =
        std::any_of(run.records.begin(), run.records.end(), [&](const GapRecord& r) { return run.isCandidate(r); });
    if (!hasCandidate) return {};
    const std::size_t n = run.records.size();
    std::size_t narrow = 0;
    for (const GapRecord& r : run.records) {
        if (r.edgeGap > page.threshold) return {};
        if (r.edgeGap <= 1.3 * page.letterGap) ++narrow;
    }
    if (10 * narrow < 7 * n) return {};
    return run.records;
}

std::vector<GapRecord> repairWithoutCandidates(const MeasuredRun& run, const PageLetterGaps& page) {
    if (!matchesUnit(run.unit, page.unit)) return {};
    const double m = upperMedian(edgeGaps(run.records));
    if (m >= 0.5) {
        const double limit = 1.3 * page.letterGap;
        return recordsWhere(run.records, [limit](const GapRecord& r) { return r.edgeGap <= limit; });
    }
    if (m < 0.2) {
        const double limit = page.threshold;
        return recordsWhere(run.records, [limit](const GapRecord& r) { return r.edgeGap <= limit; });
    }
    return {};
}

PitchResult analysePitch(const MeasuredRun& run) {
    PitchResult result;
    result.unit = run.unit;
    std::vector<double> distances;
    for (const GapRecord& r : run.records) distances.push_back(r.centerDistance);
    if (distances.size() < 2) return result;
    std::sort(distances.begin(), distances.end());

    std::optional<double> threshold;
    double next = 0;
    double bestRatio = 1.3;
    for (std::size_t i = 0; i + 1 < distances.size(); ++i) {
        const double c = distances[i];
        const double c2 = distances[i + 1];
        if (c >= 1 || c2 < 0.95) continue;
        const double ratio = c2 / c;
        if (ratio >= bestRatio) {
            threshold = c;
            next = c2;
            bestRatio = ratio;
        }
    }
    if (!threshold) return result;
    const double p = *threshold;

    std::vector<GapRecord> within = recordsWhere(run.records, [p](const GapRecord& r) { return r.centerDistance <= p; });
    if (lowerMedian(edgeGaps(within)) >= 0.2) return result;
    if (!candidatesAgree(run, [p](const GapRecord& r) { return r.centerDistance <= p; })) {
        result.verdict = Verdict::leftAlone;
        return result;
    }
    result.verdict = Verdict::passed;
    result.threshold = p;
    result.next = next;
    result.applied = std::move(within);
    return result;
}

std::optional<PagePitch> pagePitch(std::span<const PitchResult> results) {
    std::vector<double> thresholds;
    std::vector<double> nexts;
    std::vector<double> units;
    for (const PitchResult& r : results) {
        if (r.verdict != Verdict::passed) continue;
        thresholds.push_back(r.threshold);
        nexts.push_back(r.next);
        units.push_back(r.unit);
    }
    if (units.empty()) return std::nullopt;
    return PagePitch{(upperMedian(thresholds) + upperMedian(nexts)) / 2, upperMedian(units)};
}

std::vector<GapRecord> repairByPagePitch(const MeasuredRun& run, const PagePitch& page) {
    if (!matchesUnit(run.unit, page.unit)) return {};
    const double q = page.pitch;
    if (!run.candidates.empty() &&
        !candidatesAgree(run, [q](const GapRecord& r) { return r.centerDistance <= q; }))
        return {};
    const std::vector<GapRecord> within =
        recordsWhere(run.records, [q](const GapRecord& r) { return r.centerDistance <= q; });
    if (within.empty() || lowerMedian(edgeGaps(within)) >= 0.2) return {};
    return recordsWhere(within, [](const GapRecord& r) { return r.edgeGap < 0.2; });
}

Repair repair(std::span<const MeasuredRun> withCandidates, std::span<const MeasuredRun> withoutCandidates) {
    Repair out;

    std::vector<LetterResult> letters;
    for (const MeasuredRun& run : withCandidates) {
        letters.push_back(analyseLetterGaps(run));
        out.apply(letters.back().applied);
    }
    if (const auto page = pageLetterGaps(letters)) {
        for (std::size_t i = 0; i < withCandidates.size(); ++i)
            if (letters[i].verdict == Verdict::setAside) out.apply(repairSetAside(withCandidates[i], *page));
        for (const MeasuredRun& run : withoutCandidates) out.apply(repairWithoutCandidates(run, *page));
    }

    std::vector<PitchResult> pitches;
    for (const MeasuredRun& run : withCandidates) {
        pitches.push_back(analysePitch(run));
        out.apply(pitches.back().applied);
    }
    if (const auto page = pagePitch(pitches)) {
        for (std::size_t i = 0; i < withCandidates.size(); ++i)
            if (pitches[i].verdict == Verdict::setAside) out.apply(repairByPagePitch(withCandidates[i], *page));
        for (const MeasuredRun& run : withoutCandidates) out.apply(repairByPagePitch(run, *page));
    }
    return out;
}

}  // namespace ce::LetterSpacing
