#include "core/CaptionsAndFootnotes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace ce {

namespace {

bool isCaptionTarget(DocLabel label) {
    return label == DocLabel::picture || label == DocLabel::table || label == DocLabel::code;
}

bool isFootnoteTarget(DocLabel label) { return label == DocLabel::table || label == DocLabel::picture; }

struct Candidate {
    int target;       // cid
    double distance;  // gap between the boxes, 0 when they touch or overlap
    int after;        // 0: the target stands before the caption, 1: after it
    int rank;         // order of collection
};

// The gap between two boxes; boxes that make no sense are as far apart as possible.
double gap(const ROElement& c, const ROElement& x) {
    const double dx = std::max(0.0, (std::max(c.r, x.r) - std::min(c.l, x.l)) - (c.r - c.l) - (x.r - x.l));
    const double dy = std::max(0.0, (std::max(c.t, x.t) - std::min(c.b, x.b)) - std::abs(c.t - c.b) -
                                        std::abs(x.t - x.b));
    const double distance = std::sqrt(dx * dx + dy * dy);
    return std::isnan(distance) ? std::numeric_limits<double>::infinity() : distance;
}

std::vector<Candidate> candidatesOf(const std::vector<ROElement>& ordered, std::size_t caption) {
    std::vector<Candidate> candidates;
    const ROElement& c = ordered[caption];
    for (std::size_t i = caption; i > 0 && isCaptionTarget(ordered[i - 1].label); --i) {
        candidates.push_back({ordered[i - 1].cid, gap(c, ordered[i - 1]), 0, static_cast<int>(candidates.size())});
    }
    for (std::size_t i = caption + 1; i < ordered.size() && isCaptionTarget(ordered[i].label); ++i) {
        candidates.push_back({ordered[i].cid, gap(c, ordered[i]), 1, static_cast<int>(candidates.size())});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.distance != b.distance) return a.distance < b.distance;
        if (a.after != b.after) return a.after < b.after;
        return a.rank < b.rank;
    });
    return candidates;
}

}  // namespace

ReadingOrder::CidMap ReadingOrder::attachCaptions(const std::vector<ROElement>& ordered) {
    // Captions by their position among the page's captions.
    std::vector<int> captionCids;
    std::vector<std::vector<Candidate>> candidates;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (ordered[i].label != DocLabel::caption) continue;
        captionCids.push_back(ordered[i].cid);
        candidates.push_back(candidatesOf(ordered, i));
    }

    std::unordered_map<int, std::size_t> captionOfTarget;  // target cid -> caption position
    struct Frame {
        std::size_t caption;
        std::size_t next;  // position in the caption's candidate list
    };
    struct Step {
        int target;
        std::size_t caption;
    };
    for (std::size_t start = 0; start < captionCids.size(); ++start) {
        // Depth-first search for an augmenting path from this caption; path[k]
        // is the target taken at stack depth k.
        std::unordered_set<int> visited;
        std::vector<Frame> stack{{start, 0}};
        std::vector<Step> path;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const auto& list = candidates[frame.caption];
            while (frame.next < list.size() && visited.count(list[frame.next].target) > 0) ++frame.next;
            if (frame.next == list.size()) {
                stack.pop_back();
                if (!path.empty()) path.pop_back();
                continue;
            }
            const int target = list[frame.next++].target;
            visited.insert(target);
            path.push_back({target, frame.caption});
            const auto holder = captionOfTarget.find(target);
            if (holder == captionOfTarget.end()) {
                for (const Step& step : path) captionOfTarget[step.target] = step.caption;
                break;
            }
            stack.push_back({holder->second, 0});
        }
    }

    CidMap result;
    for (const auto& [target, caption] : captionOfTarget) result[target] = {captionCids[caption]};
    return result;
}

ReadingOrder::CidMap ReadingOrder::attachFootnotes(const std::vector<ROElement>& ordered) {
    CidMap result;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (!isFootnoteTarget(ordered[i].label)) continue;
        std::vector<int> footnotes;
        for (std::size_t k = i + 1; k < ordered.size() && ordered[k].label == DocLabel::footnote; ++k) {
            footnotes.push_back(ordered[k].cid);
        }
        if (!footnotes.empty()) result[ordered[i].cid] = std::move(footnotes);
    }
    return result;
}

}  // namespace ce
