#include "core/BoxArt.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string_view>

#include "core/Graphemes.h"
#include "core/Whitespace.h"

namespace ce::PageAssembler {

namespace {

bool isRuleCharacter(std::string_view character) {
    static constexpr std::string_view ruleCharacters[] = {
        "-", "\xE2\x88\x92", "\xE2\x80\x93", "\xE2\x80\x94", "=", "_", "+", "|",
    };
    return std::find(std::begin(ruleCharacters), std::end(ruleCharacters), character) !=
           std::end(ruleCharacters);
}

bool isFrameCharacter(std::string_view character) { return character == "|" || character == "+"; }

bool isRuleText(std::string_view text) {
    const std::string trimmed = trimmingWhitespace(text);
    const auto characters = graphemeClusters(trimmed);
    const std::size_t length = characters.size();
    if (length <= 1) return false;
    if (isFrameCharacter(characters.front()) && isFrameCharacter(characters.back())) return true;
    if (length <= 7) return false;
    const auto rules = std::count_if(characters.begin(), characters.end(), isRuleCharacter);
    return static_cast<double>(rules) >= 0.8 * static_cast<double>(length);
}

double smallestCellHeight(const Cluster& cluster) {
    double smallest = cluster.cells.front().bbox.height();
    for (const TextCell& cell : cluster.cells) smallest = std::min(smallest, cell.bbox.height());
    return smallest;
}

// Whether `next` continues a run whose last cluster is `last`.
bool linesUp(const Cluster& last, const Cluster& next) {
    const double m = std::max(1.0, smallestCellHeight(next));
    if (next.bbox.t > last.bbox.b + 2 * m) return false;
    const double overlap = std::min(last.bbox.r, next.bbox.r) - std::max(last.bbox.l, next.bbox.l);
    const double narrower = std::min(last.bbox.width(), next.bbox.width());
    return !(overlap < 0.8 * narrower);
}

}  // namespace

bool isRuleLine(const Cluster& cluster) {
    if (cluster.label != DocLabel::text && cluster.label != DocLabel::listItem &&
        cluster.label != DocLabel::code) {
        return false;
    }
    if (cluster.cells.empty()) return false;
    return std::all_of(cluster.cells.begin(), cluster.cells.end(),
                       [](const TextCell& cell) { return isRuleText(cell.text); });
}

std::vector<Cluster> mergeBoxArt(const std::vector<Cluster>& clusters) {
    std::vector<std::size_t> order(clusters.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return clusters[a].bbox.t < clusters[b].bbox.t;
    });

    std::vector<bool> consumed(clusters.size(), false);
    std::vector<Cluster> merged;
    std::vector<std::size_t> run;
    const auto flush = [&] {
        std::size_t cellCount = 0;
        for (std::size_t k : run) cellCount += clusters[k].cells.size();
        if (run.size() > 1 && cellCount > 2) {
            Cluster code;
            code.label = DocLabel::code;
            code.id = clusters[run.front()].id;
            code.bbox = clusters[run.front()].bbox;
            code.confidence = clusters[run.front()].confidence;
            code.cells.reserve(cellCount);
            for (std::size_t k : run) {
                const Cluster& member = clusters[k];
                code.id = std::min(code.id, member.id);
                code.bbox = code.bbox.unionWith(member.bbox);
                code.confidence = std::max(code.confidence, member.confidence);
                code.cells.insert(code.cells.end(), member.cells.begin(), member.cells.end());
                consumed[k] = true;
            }
            merged.push_back(std::move(code));
        }
        run.clear();
    };

    for (std::size_t k : order) {
        if (!isRuleLine(clusters[k])) {
            flush();
            continue;
        }
        if (!run.empty() && !linesUp(clusters[run.back()], clusters[k])) flush();
        run.push_back(k);
    }
    flush();

    if (merged.empty()) return clusters;
    std::vector<Cluster> result;
    result.reserve(clusters.size());
    for (std::size_t k = 0; k < clusters.size(); ++k) {
        if (!consumed[k]) result.push_back(clusters[k]);
    }
    for (Cluster& code : merged) result.push_back(std::move(code));
    std::stable_sort(result.begin(), result.end(),
                     [](const Cluster& a, const Cluster& b) { return a.id < b.id; });
    return result;
}

}  // namespace ce::PageAssembler
