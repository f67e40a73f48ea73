#include "core/ReadingOrder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_map>
#include <utility>

namespace ce {

namespace {

constexpr double epsilon = 0.001;  // points

bool strictlyLeftOf(const ROElement& a, const ROElement& b) { return a.r + epsilon < b.l; }

bool overlapsVertically(const ROElement& a, const ROElement& b) { return a.t > b.b && b.t > a.b; }

bool overlapsHorizontally(const ROElement& a, const ROElement& b) { return a.r > b.l && b.r > a.l; }

double verticalOverlapRatio(const ROElement& a, const ROElement& b) {
    return (std::min(a.t, b.t) - std::max(a.b, b.b)) / (std::max(a.t, b.t) - std::min(a.b, b.b));
}

// Pictures, tables and code never join a column through the next-element rule.
bool skipsNextElementRule(DocLabel label) {
    return label == DocLabel::picture || label == DocLabel::table || label == DocLabel::code;
}

using Index = std::size_t;
constexpr Index none = std::numeric_limits<Index>::max();

bool contains(const std::vector<Index>& list, Index value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Sorts `items` in place with the reading order's fixed sort procedure, where
// before(x, y) says that item x precedes item y.
template <typename T, typename Before>
void sortWith(std::vector<T>& items, Before before) {
    const std::size_t n = items.size();
    if (n < 2) return;
    std::size_t sorted = 2;
    if (before(items[1], items[0])) {
        while (sorted < n && before(items[sorted], items[sorted - 1])) ++sorted;
        std::reverse(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(sorted));
    } else {
        while (sorted < n && !before(items[sorted], items[sorted - 1])) ++sorted;
    }
    for (; sorted < n; ++sorted) {
        std::size_t lo = 0;
        std::size_t hi = sorted;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (before(items[sorted], items[mid])) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        const auto first = items.begin();
        std::rotate(first + static_cast<std::ptrdiff_t>(lo), first + static_cast<std::ptrdiff_t>(sorted),
                    first + static_cast<std::ptrdiff_t>(sorted) + 1);
    }
}

void sortIndices(std::vector<Index>& indices, const std::vector<ROElement>& elements) {
    sortWith(indices, [&](Index a, Index b) { return ReadingOrder::precedes(elements[a], elements[b]); });
}

struct Neighbours {
    std::vector<std::vector<Index>> up;
    std::vector<std::vector<Index>> down;
};

// The fixed facts of one group: positions by cid and the left-to-right links,
// computed once from the undilated boxes. Lives for one call, read-only once built.
class GroupGraph {
public:
    GroupGraph(const std::vector<ROElement>& elements, ReadingOrderMode mode)
        : elements_(elements), mode_(mode), rightOf_(elements.size(), none), leftOf_(elements.size(), none) {
        for (Index i = 0; i < elements.size(); ++i) positionOf_.emplace(elements[i].cid, i);
        linkRows();
    }

    // Up and down lists over `boxes` (the group's elements, possibly dilated).
    Neighbours neighbourLists(const std::vector<ROElement>& boxes) const {
        const Index n = boxes.size();
        Neighbours lists{std::vector<std::vector<Index>>(n), std::vector<std::vector<Index>>(n)};
        for (Index j = 0; j < n; ++j) {
            const Index left = leftOf_[j];
            if (left != none) {
                if (!contains(lists.down[left], j)) lists.down[left].push_back(j);
                if (!contains(lists.up[j], left)) lists.up[j].push_back(left);
            }
            for (Index i = 0; i < n; ++i) {
                if (i == j || !isJustAbove(boxes, i, j)) continue;
                const Index rowEnd = endOfRow(i);
                lists.down[rowEnd].push_back(j);
                lists.up[j].push_back(rowEnd);
            }
        }
        // The next-element rule runs once, after all geometric links exist, so
        // that a link it shares with them is not recorded twice.
        for (Index u = 0; u < n; ++u) {
            const Index v = nextElement(u);
            if (v == none || !nextElementFollows(boxes[u], boxes[v]) || contains(lists.down[u], v)) continue;
            lists.down[u].push_back(v);
            lists.up[v].push_back(u);
        }
        return lists;
    }

private:
    void linkRows() {
        for (Index i = 0; i < elements_.size(); ++i) {
            const Index j = nextCid(i);
            if (j == none) continue;
            const ROElement& a = elements_[i];
            const ROElement& c = elements_[j];
            if (!strictlyLeftOf(a, c) || !overlapsVertically(a, c) || !(verticalOverlapRatio(a, c) > 0.8)) continue;
            if (rowIsBlocked(i, j)) continue;
            rightOf_[i] = j;
            leftOf_[j] = i;
        }
    }

    // Some third element reaches into the gap between i and j within their common height.
    bool rowIsBlocked(Index i, Index j) const {
        const ROElement& a = elements_[i];
        const ROElement& c = elements_[j];
        for (Index w = 0; w < elements_.size(); ++w) {
            if (w == i || w == j) continue;
            const ROElement& x = elements_[w];
            if (x.b < std::min(a.t, c.t) && std::max(a.b, c.b) < x.t && x.l < c.l && a.r < x.r) return true;
        }
        return false;
    }

    // The position of the element whose cid follows i's, or none.
    Index nextCid(Index i) const {
        const int cid = elements_[i].cid;
        if (cid == std::numeric_limits<int>::max()) return none;
        const auto found = positionOf_.find(cid + 1);
        return found == positionOf_.end() ? none : found->second;
    }

    // The last element of i's row. Row links always go to the next cid, so the chain ends.
    Index endOfRow(Index i) const {
        while (rightOf_[i] != none) i = rightOf_[i];
        return i;
    }

    // Element i lies just above element j, with nothing between them.
    static bool isJustAbove(const std::vector<ROElement>& boxes, Index i, Index j) {
        const ROElement& a = boxes[i];
        const ROElement& c = boxes[j];
        if (!overlapsHorizontally(a, c) || !(c.t <= a.t) || !(c.t < a.b + epsilon)) return false;
        const double bandL = std::min(a.l, c.l) - 1;
        const double bandR = std::max(a.r, c.r) + 1;
        const double bandB = std::min(a.b, c.t);
        const double bandT = std::max(a.b, c.t);
        for (Index w = 0; w < boxes.size(); ++w) {
            if (w == i || w == j) continue;
            const ROElement& x = boxes[w];
            const bool inBand = x.l <= bandR && x.r >= bandL && x.b <= bandT && x.t >= bandB;
            if (inBand && (overlapsHorizontally(x, a) || overlapsHorizontally(x, c)) && x.t < a.b + epsilon &&
                c.t < x.b + epsilon) {
                return false;
            }
        }
        return true;
    }

    // The element with the next cid when both take part in the next-element rule, or none.
    Index nextElement(Index u) const {
        if (skipsNextElementRule(elements_[u].label)) return none;
        const Index v = nextCid(u);
        return v == none || skipsNextElementRule(elements_[v].label) ? none : v;
    }

    // v starts just below u's bottom edge (its top may reach a little above it), left edges aligned.
    bool nextElementFollows(const ROElement& u, const ROElement& v) const {
        double gap = 0.0025 * u.pageHeight;
        if (mode_ == ReadingOrderMode::tolerantEdgeOverlap) {
            const double smallerHeight = std::min(std::abs(u.t - u.b), std::abs(v.t - v.b));
            gap = std::max(gap, std::min(0.006 * u.pageHeight, 0.25 * smallerHeight));
        }
        return std::abs(u.l - v.l) < 0.01 * u.pageWidth && u.b < v.t && v.t <= u.b + gap && v.t < u.t &&
               v.b < u.b;
    }

    const std::vector<ROElement>& elements_;
    ReadingOrderMode mode_;
    std::unordered_map<int, Index> positionOf_;  // first position of each cid
    std::vector<Index> rightOf_;                 // none: no right neighbour in the row
    std::vector<Index> leftOf_;
};

// A copy of the elements in which an element whose only upper (or lower)
// neighbour has it as its only lower (upper) neighbour is widened to that
// neighbour's width, unless an edge would move out by more than 15 % of the page.
std::vector<ROElement> dilate(const std::vector<ROElement>& elements, const Neighbours& lists) {
    std::vector<ROElement> dilated = elements;
    const double limit = 0.15 * elements.front().pageWidth;
    for (Index i = 0; i < elements.size(); ++i) {
        double l = elements[i].l;
        double r = elements[i].r;
        const auto widen = [&](Index k) {
            const double newL = std::min(l, elements[k].l);
            const double newR = std::max(r, elements[k].r);
            if (l - newL > limit || newR - r > limit) return false;
            l = newL;
            r = newR;
            return true;
        };
        const std::vector<Index> self{i};
        const auto& up = lists.up[i];
        if (up.size() == 1 && lists.down[up[0]] == self && !widen(up[0])) continue;
        const auto& down = lists.down[i];
        if (down.size() == 1 && lists.up[down[0]] == self && !widen(down[0])) continue;
        dilated[i].l = l;
        dilated[i].r = r;
    }
    return dilated;
}

// Depth-first walk from the heads down the down lists. Before an element is
// taken, the walk climbs to its first upper neighbour not yet taken, so that
// what stands above an element is read before it. An explicit stack bounds
// the depth by memory, not by the call stack.
std::vector<Index> walk(const std::vector<Index>& heads, const Neighbours& lists) {
    const Index n = lists.up.size();
    std::vector<bool> visited(n, false);
    std::vector<std::size_t> seenInClimb(n, 0);  // number of the climb that last saw the element
    std::size_t climb = 0;
    std::vector<Index> order;
    order.reserve(n);

    struct Frame {
        Index element;
        std::size_t next;  // position in the element's down list
    };
    std::vector<Frame> stack;
    const auto take = [&](Index e) {
        visited[e] = true;
        order.push_back(e);
        stack.push_back({e, 0});
    };

    for (const Index head : heads) {
        if (visited[head]) continue;
        take(head);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const auto& down = lists.down[frame.element];
            if (frame.next == down.size()) {
                stack.pop_back();
                continue;
            }
            Index current = down[frame.next++];
            seenInClimb[current] = ++climb;
            for (bool moved = true; moved;) {
                moved = false;
                for (const Index above : lists.up[current]) {
                    if (visited[above] || seenInClimb[above] == climb) continue;
                    seenInClimb[above] = climb;
                    current = above;
                    moved = true;
                    break;
                }
            }
            if (!visited[current]) take(current);
        }
    }
    return order;
}

}  // namespace

bool ReadingOrder::precedes(const ROElement& a, const ROElement& b) {
    if (!(a.r <= b.l || b.r <= a.l)) return a.b > b.b;
    return a.l < b.l;
}

std::vector<ROElement> ReadingOrder::sortedByPrecedes(std::vector<ROElement> elements) {
    sortWith(elements, precedes);
    return elements;
}

std::vector<ROElement> ReadingOrder::orderGroup(const std::vector<ROElement>& elements, ReadingOrderMode mode) {
    if (elements.empty()) return {};
    const GroupGraph graph(elements, mode);
    Neighbours lists = graph.neighbourLists(dilate(elements, graph.neighbourLists(elements)));

    std::vector<Index> heads;
    for (Index i = 0; i < elements.size(); ++i) {
        if (lists.up[i].empty()) heads.push_back(i);
    }
    sortIndices(heads, elements);
    for (auto& list : lists.up) sortIndices(list, elements);
    for (auto& list : lists.down) sortIndices(list, elements);

    std::vector<Index> order = walk(heads, lists);
    // Up links that form a cycle without a head leave elements unreached; they
    // follow the rest in input order rather than being dropped.
    if (order.size() < elements.size()) {
        std::vector<bool> placed(elements.size(), false);
        for (const Index i : order) placed[i] = true;
        for (Index i = 0; i < elements.size(); ++i) {
            if (!placed[i]) order.push_back(i);
        }
    }

    std::vector<ROElement> result;
    result.reserve(order.size());
    for (const Index i : order) result.push_back(elements[i]);
    return result;
}

std::vector<ROElement> ReadingOrder::predictReadingOrder(const std::vector<ROElement>& elements,
                                                         ReadingOrderMode mode) {
    std::vector<ROElement> headers;
    std::vector<ROElement> body;
    std::vector<ROElement> footers;
    for (const ROElement& e : elements) {
        if (e.label == DocLabel::pageHeader) {
            headers.push_back(e);
        } else if (e.label == DocLabel::pageFooter) {
            footers.push_back(e);
        } else {
            body.push_back(e);
        }
    }
    std::vector<ROElement> result = orderGroup(headers, mode);
    for (auto* part : {&body, &footers}) {
        std::vector<ROElement> ordered = orderGroup(*part, mode);
        result.insert(result.end(), std::make_move_iterator(ordered.begin()),
                      std::make_move_iterator(ordered.end()));
    }
    return result;
}

}  // namespace ce
