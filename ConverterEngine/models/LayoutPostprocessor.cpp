#include "models/LayoutPostprocessor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <utility>
#include <tuple>

#include "core/UnionFind.h"
#include "core/Whitespace.h"
#include "models/LayoutRun.h"

namespace ce {

namespace layout {

namespace {

struct Margins {
    double areaRatioLimit;
    double confidenceMargin;
};

Margins marginsOf(OverlapKind kind) {
    switch (kind) {
        case OverlapKind::regular: return {1.3, 0.05};
        case OverlapKind::picture: return {2.0, 0.3};
        case OverlapKind::wrapper: return {2.0, 0.2};
    }
    return {1.3, 0.05};
}

bool hasPositiveSize(const BBox& box) { return box.r - box.l > 0 && box.b - box.t > 0; }

void sortCellsDeep(Node& node) {
    node.cells = sortedByIndex(std::move(node.cells));
    for (auto& child : node.children) sortCellsDeep(*child);
}

}  // namespace

double area(const BBox& box) { return (box.r - box.l) * (box.b - box.t); }

double intersection(const BBox& a, const BBox& b) {
    const double dx = std::min(a.r, b.r) - std::max(a.l, b.l);
    const double dy = std::min(a.b, b.b) - std::max(a.t, b.t);
    if (std::min(dx, dy) <= 0) return 0;
    return dx * dy;
}

double iou(const BBox& a, const BBox& b) {
    const double inter = intersection(a, b);
    return inter / (std::abs(area(a)) + std::abs(area(b)) - inter + 0.000001);
}

BBox normalised(const BBox& box) {
    return {std::min(box.l, box.r), std::min(box.t, box.b), std::max(box.l, box.r), std::max(box.t, box.b)};
}

bool isSpecial(DocLabel label) {
    return label == DocLabel::picture || isTableLike(label) || isFormLike(label);
}
bool isTableLike(DocLabel label) { return label == DocLabel::table || label == DocLabel::documentIndex; }
bool isFormLike(DocLabel label) { return label == DocLabel::form || label == DocLabel::keyValueRegion; }

double confidenceThreshold(DocLabel label) {
    switch (label) {
        case DocLabel::caption:
        case DocLabel::footnote:
        case DocLabel::formula:
        case DocLabel::listItem:
        case DocLabel::pageFooter:
        case DocLabel::pageHeader:
        case DocLabel::picture:
        case DocLabel::table:
        case DocLabel::text: return 0.5;
        default: return 0.45;
    }
}

std::vector<TextCell> sortedByIndex(std::vector<TextCell> cells) {
    std::stable_sort(cells.begin(), cells.end(), [](const TextCell& a, const TextCell& b) { return a.index < b.index; });
    return cells;
}

std::vector<TextCell> dedupedByIndex(std::vector<TextCell> cells) {
    std::set<int> seen;
    std::erase_if(cells, [&](const TextCell& cell) { return !seen.insert(cell.index).second; });
    return cells;
}

SpatialClusterIndex SpatialClusterIndex::of(const Nodes& nodes) {
    SpatialClusterIndex index;
    for (const auto& node : nodes) index.bounds.insert_or_assign(node->id, normalised(node->bbox));
    return index;
}

NodePtr makeNode(const Cluster& cluster) {
    auto node = std::make_shared<Node>();
    node->id = cluster.id;
    node->label = cluster.label;
    node->bbox = cluster.bbox;
    node->confidence = cluster.confidence;
    node->cells = cluster.cells;
    for (const Cluster& child : cluster.children) node->children.push_back(makeNode(child));
    return node;
}

Cluster makeCluster(const Node& node) {
    Cluster cluster;
    cluster.id = node.id;
    cluster.label = node.label;
    cluster.bbox = node.bbox;
    cluster.confidence = node.confidence;
    cluster.cells = node.cells;
    for (const auto& child : node.children) cluster.children.push_back(makeCluster(*child));
    return cluster;
}

Run::Run(double pageWidth, double pageHeight, const std::vector<TextCell>& cells,
         const std::vector<Cluster>& clusters)
    : pageWidth(pageWidth), pageHeight(pageHeight), cells(cells) {
    Nodes pictures, wrappers;
    for (const Cluster& cluster : clusters) {
        NodePtr node = makeNode(cluster);
        allClusterIDs.push_back(cluster.id);
        if (!isSpecial(node->label)) {
            regularClusters.push_back(node);
        } else {
            specialClusters.push_back(node);
            if (node->label == DocLabel::picture) pictures.push_back(node);
            else wrappers.push_back(node);
        }
    }
    regularIndex = SpatialClusterIndex::of(regularClusters);
    pictureIndex = SpatialClusterIndex::of(pictures);
    wrapperIndex = SpatialClusterIndex::of(wrappers);
}

const SpatialClusterIndex& Run::index(OverlapKind kind) const {
    switch (kind) {
        case OverlapKind::regular: return regularIndex;
        case OverlapKind::picture: return pictureIndex;
        case OverlapKind::wrapper: return wrapperIndex;
    }
    return regularIndex;
}

Nodes Run::run() {
    regularClusters = processRegularClusters();
    specialClusters = processSpecialClusters();

    std::set<int> nestedIDs;
    for (const auto& special : specialClusters) {
        if (special->label == DocLabel::picture || isTableLike(special->label)) {
            for (const auto& child : special->children) nestedIDs.insert(child->id);
        }
    }
    std::erase_if(regularClusters, [&](const NodePtr& node) { return nestedIDs.contains(node->id); });

    Nodes all = regularClusters;
    all.insert(all.end(), specialClusters.begin(), specialClusters.end());
    all = sortedNodes(std::move(all));
    for (const auto& node : all) sortCellsDeep(*node);
    return all;
}

Nodes Run::processRegularClusters() {
    Nodes kept;
    for (const auto& node : regularClusters) {
        if (node->confidence >= confidenceThreshold(node->label)) kept.push_back(node);
    }
    for (const auto& node : kept) {
        if (node->label == DocLabel::title) node->label = DocLabel::sectionHeader;
    }
    assignCells(kept);
    std::erase_if(kept, [](const NodePtr& node) { return node->cells.empty() && node->label != DocLabel::formula; });

    const int firstNewID =
        (allClusterIDs.empty() ? 0 : *std::max_element(allClusterIDs.begin(), allClusterIDs.end())) + 1;
    int k = 0;
    for (const TextCell& cell : orphanCells(kept)) {
        auto node = std::make_shared<Node>();
        node->id = firstNewID + k++;
        node->label = DocLabel::text;
        node->bbox = cell.bbox;
        node->confidence = cell.confidence;
        node->cells = {cell};
        kept.push_back(std::move(node));
    }

    for (int pass = 0; pass < 3; ++pass) {
        fitBoxesToCells(kept);
        const std::size_t before = kept.size();
        kept = resolveOverlaps(kept, OverlapKind::regular);
        if (kept.size() == before) break;
    }
    return kept;
}

void Run::assignCells(const Nodes& nodes) const {
    for (const auto& node : nodes) node->cells.clear();
    if (nodes.empty()) return;
    for (const TextCell& cell : cells) {
        const double cellArea = area(cell.bbox);
        if (isBlank(cell.text) || cellArea == 0) continue;
        double best = 0.2;
        Node* chosen = nullptr;
        for (const auto& node : nodes) {
            const double share = intersection(cell.bbox, normalised(node->bbox)) / std::abs(cellArea);
            if (share > best) {
                best = share;
                chosen = node.get();
            }
        }
        if (chosen) chosen->cells.push_back(cell);
    }
    for (const auto& node : nodes) node->cells = dedupedByIndex(std::move(node->cells));
}

std::vector<TextCell> Run::orphanCells(const Nodes& nodes) const {
    std::set<int> held;
    for (const auto& node : nodes) {
        for (const TextCell& cell : node->cells) held.insert(cell.index);
    }
    std::vector<TextCell> orphans;
    for (const TextCell& cell : cells) {
        if (!held.contains(cell.index) && !isBlank(cell.text)) orphans.push_back(cell);
    }
    return orphans;
}

void Run::fitBoxesToCells(const Nodes& nodes) {
    for (const auto& node : nodes) {
        if (node->cells.empty()) continue;
        BBox box = node->cells.front().bbox;
        for (const TextCell& cell : node->cells) {
            box = {std::min(box.l, cell.bbox.l), std::min(box.t, cell.bbox.t), std::max(box.r, cell.bbox.r),
                   std::max(box.b, cell.bbox.b)};
        }
        node->bbox = box;
    }
}

Nodes Run::resolveOverlaps(const Nodes& nodes, OverlapKind kind) const {
    const SpatialClusterIndex& spatial = index(kind);
    const std::size_t n = nodes.size();
    UnionFind sets(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const Node& a = *nodes[i];
            const Node& b = *nodes[j];
            if (b.id == a.id || spatial.bounds.empty()) continue;
            auto indexed = spatial.bounds.find(b.id);
            if (indexed == spatial.bounds.end()) continue;
            const BBox boxA = normalised(a.bbox);
            const BBox& near = indexed->second;
            if (boxA.r < near.l || near.r < boxA.l || boxA.b < near.t || near.b < boxA.t) continue;
            const BBox boxB = normalised(b.bbox);
            if (!hasPositiveSize(boxA) || !hasPositiveSize(boxB)) continue;
            const double inter = intersection(boxA, boxB);
            if (iou(boxA, boxB) > 0.8 || inter / area(boxA) > 0.8 || inter / area(boxB) > 0.8) sets.unite(i, j);
        }
    }

    std::vector<Nodes> groups;
    for (const std::vector<std::size_t>& members : sets.components()) {
        Nodes& group = groups.emplace_back();
        for (const std::size_t p : members) group.push_back(nodes[p]);
    }

    Nodes result;
    for (const Nodes& group : groups) {
        if (group.size() == 1) {
            result.push_back(group.front());
            continue;
        }
        NodePtr winner = selectBest(group, kind);
        std::vector<TextCell> merged = winner->cells;
        for (const auto& member : group) {
            if (member != winner) merged.insert(merged.end(), member->cells.begin(), member->cells.end());
        }
        winner->cells = sortedByIndex(dedupedByIndex(std::move(merged)));
        result.push_back(std::move(winner));
    }
    return result;
}

bool Run::prefers(const Node& a, const Node& b, OverlapKind kind) {
    if (a.label == DocLabel::code) {
        const double areaB = area(b.bbox);
        if (areaB != 0 && !std::isnan(areaB) && intersection(a.bbox, b.bbox) / std::abs(areaB) > 0.8) return true;
    }
    if (a.label == DocLabel::listItem && b.label == DocLabel::text) {
        if (std::abs(1 - std::abs(area(a.bbox) / area(b.bbox))) < 0.2) return true;
    }
    const Margins margins = marginsOf(kind);
    const double ratio = std::abs(area(a.bbox) / area(b.bbox));
    const double margin = b.confidence - a.confidence;
    // An infinite or undefined ratio counts as above the limit.
    return !(ratio <= margins.areaRatioLimit && margin > margins.confidenceMargin);
}

NodePtr Run::selectBest(const Nodes& group, OverlapKind kind) {
    const double confidenceMargin = marginsOf(kind).confidenceMargin;
    NodePtr choice;
    for (const auto& member : group) {
        const bool candidate = std::all_of(group.begin(), group.end(), [&](const NodePtr& other) {
            return other == member || prefers(*member, *other, kind);
        });
        if (!candidate) continue;
        if (!choice) {
            choice = member;
        } else if (std::abs(area(member->bbox)) > std::abs(area(choice->bbox)) &&
                   choice->confidence - member->confidence <= confidenceMargin) {
            choice = member;
        }
    }
    return choice ? choice : group.front();
}

Nodes Run::sortedNodes(Nodes nodes) {
    auto key = [](const Node& node) {
        int smallest = INT_MAX;
        for (const TextCell& cell : node.cells) smallest = std::min(smallest, cell.index);
        // A NaN edge sorts last, keeping the ordering strict and weak.
        auto edge = [](double v) { return std::isnan(v) ? HUGE_VAL : v; };
        return std::make_tuple(smallest, edge(node.bbox.t), edge(node.bbox.l));
    };
    std::stable_sort(nodes.begin(), nodes.end(), [&](const NodePtr& a, const NodePtr& b) { return key(*a) < key(*b); });
    return nodes;
}

}  // namespace layout

LayoutPostprocessor::Result LayoutPostprocessor::process() const {
    layout::Run run(pageWidth, pageHeight, cells, clusters);
    Result result;
    for (const auto& node : run.run()) result.clusters.push_back(layout::makeCluster(*node));
    result.cells = cells;
    return result;
}

}  // namespace ce
