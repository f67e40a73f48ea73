// The working state of one LayoutPostprocessor::process() call, shared by the
// regular pass (LayoutPostprocessor.cpp) and the special pass (SpecialClusters.cpp).
// Nodes are mutable mirrors of Clusters that passes change in place; one node may
// stand in several lists (as a top-level region and as a child of a form). A Run
// lives for one call and is used by one thread.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::layout {

struct Node {
    int id = 0;
    DocLabel label = DocLabel::text;
    BBox bbox;
    double confidence = 0;
    std::vector<TextCell> cells;
    std::vector<std::shared_ptr<Node>> children;
};
using NodePtr = std::shared_ptr<Node>;
using Nodes = std::vector<NodePtr>;

// Boxes of the nodes the index was built from, by id, normalised, as they were then.
struct SpatialClusterIndex {
    std::map<int, BBox> bounds;
    static SpatialClusterIndex of(const Nodes& nodes);
};

enum class OverlapKind { regular, picture, wrapper };

// Geometry on boxes as given (no normalisation unless a step asks for it).
double area(const BBox& box);
double intersection(const BBox& a, const BBox& b);
double iou(const BBox& a, const BBox& b);  // absolute areas, 1e-6 added to the denominator
BBox normalised(const BBox& box);

bool isSpecial(DocLabel label);
bool isTableLike(DocLabel label);
bool isFormLike(DocLabel label);
// The lowest confidence a detection of the label needs to be kept.
double confidenceThreshold(DocLabel label);

std::vector<TextCell> sortedByIndex(std::vector<TextCell> cells);
std::vector<TextCell> dedupedByIndex(std::vector<TextCell> cells);

class Run {
public:
    Run(double pageWidth, double pageHeight, const std::vector<TextCell>& cells,
        const std::vector<Cluster>& clusters);

    // The final top-level nodes.
    Nodes run();

    Nodes processRegularClusters();
    Nodes processSpecialClusters() const;  // SpecialClusters.cpp

    void assignCells(const Nodes& nodes) const;
    std::vector<TextCell> orphanCells(const Nodes& nodes) const;
    static void fitBoxesToCells(const Nodes& nodes);
    Nodes resolveOverlaps(const Nodes& nodes, OverlapKind kind) const;
    static bool prefers(const Node& a, const Node& b, OverlapKind kind);
    static NodePtr selectBest(const Nodes& group, OverlapKind kind);
    static Nodes sortedNodes(Nodes nodes);

    static Nodes suppressCrossKind(const Nodes& nodes);
    static std::vector<int> duplicateIDs(const Nodes& a, const Nodes& b);
    static void setChildren(Node& special, const Nodes& children);

    double pageWidth, pageHeight;
    const std::vector<TextCell>& cells;
    std::vector<int> allClusterIDs;
    Nodes regularClusters;
    Nodes specialClusters;
    SpatialClusterIndex regularIndex, pictureIndex, wrapperIndex;

private:
    const SpatialClusterIndex& index(OverlapKind kind) const;
};

NodePtr makeNode(const Cluster& cluster);
Cluster makeCluster(const Node& node);

}  // namespace ce::layout
