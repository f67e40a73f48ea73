// The special pass of layout post-processing: pictures, tables, document indexes,
// forms and key-value regions are cleaned, de-duplicated within and across kinds,
// and made containers of the regions that lie inside them.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "models/LayoutRun.h"

namespace ce::layout {

namespace {

Nodes withLabel(const Nodes& nodes, bool (*matches)(DocLabel)) {
    Nodes result;
    for (const auto& node : nodes) {
        if (matches(node->label)) result.push_back(node);
    }
    return result;
}

bool isPicture(DocLabel label) { return label == DocLabel::picture; }
bool isTable(DocLabel label) { return label == DocLabel::table; }
bool isDocumentIndex(DocLabel label) { return label == DocLabel::documentIndex; }

Nodes concatenated(std::initializer_list<const Nodes*> lists) {
    Nodes result;
    for (const Nodes* list : lists) result.insert(result.end(), list->begin(), list->end());
    return result;
}

Nodes without(const Nodes& nodes, const std::set<int>& ids) {
    Nodes result;
    for (const auto& node : nodes) {
        if (!ids.contains(node->id)) result.push_back(node);
    }
    return result;
}

// The smallest form-like that holds more than 0.8 of the box; on equal areas the more
// confident, then the lower id. None for a box of zero area.
std::optional<int> containerOf(const BBox& box, const Nodes& formLikes) {
    const double boxArea = area(box);
    if (boxArea == 0) return std::nullopt;
    const Node* best = nullptr;
    for (const auto& form : formLikes) {
        if (intersection(box, form->bbox) / std::abs(boxArea) <= 0.8) continue;
        if (!best) {
            best = form.get();
            continue;
        }
        const double formArea = std::abs(area(form->bbox));
        const double bestArea = std::abs(area(best->bbox));
        if (formArea < bestArea ||
            (formArea == bestArea && (form->confidence > best->confidence ||
                                      (form->confidence == best->confidence && form->id < best->id)))) {
            best = form.get();
        }
    }
    if (!best) return std::nullopt;
    return best->id;
}

}  // namespace

Nodes Run::processSpecialClusters() const {
    Nodes kept;
    for (const auto& node : specialClusters) {
        if (node->confidence >= confidenceThreshold(node->label)) kept.push_back(node);
    }
    const double pageArea = pageWidth * pageHeight;
    if (pageArea > 0) {
        std::erase_if(kept, [&](const NodePtr& node) {
            return node->label == DocLabel::picture && std::abs(area(node->bbox)) / pageArea > 0.9;
        });
    }

    const Nodes pictures = resolveOverlaps(withLabel(kept, isPicture), OverlapKind::picture);
    const Nodes tableLikes = resolveOverlaps(withLabel(kept, isTableLike), OverlapKind::wrapper);
    const Nodes formLikes = resolveOverlaps(withLabel(kept, isFormLike), OverlapKind::wrapper);

    const Nodes survivors = suppressCrossKind(concatenated({&pictures, &tableLikes, &formLikes}));
    const Nodes p = withLabel(survivors, isPicture);
    const Nodes t = withLabel(survivors, isTableLike);
    const Nodes f = withLabel(survivors, isFormLike);
    const Nodes tablesThenPictures = concatenated({&t, &p});

    std::set<int> childIDs;
    for (const auto& container : tablesThenPictures) {
        Nodes children;
        for (const auto& region : regularClusters) {
            const double regionArea = area(region->bbox);
            if (regionArea != 0 && intersection(region->bbox, container->bbox) / std::abs(regionArea) > 0.8) {
                children.push_back(region);
                childIDs.insert(region->id);
            }
        }
        setChildren(*container, children);
    }

    std::map<int, int> specialContainer;
    for (const auto& node : tablesThenPictures) {
        if (auto form = containerOf(node->bbox, f)) specialContainer[node->id] = *form;
    }
    std::map<int, int> regularContainer;
    for (const auto& region : regularClusters) {
        if (childIDs.contains(region->id)) continue;
        if (auto form = containerOf(region->bbox, f)) regularContainer[region->id] = *form;
    }

    for (const auto& form : f) {
        Nodes children;
        for (const auto& node : tablesThenPictures) {
            auto it = specialContainer.find(node->id);
            if (it != specialContainer.end() && it->second == form->id) children.push_back(node);
        }
        for (const auto& region : regularClusters) {
            auto it = regularContainer.find(region->id);
            if (it != regularContainer.end() && it->second == form->id) children.push_back(region);
        }
        setChildren(*form, children);
    }
    return concatenated({&p, &t, &f});
}

Nodes Run::suppressCrossKind(const Nodes& nodes) {
    const Nodes tables = withLabel(nodes, isTable);
    const Nodes indexes = withLabel(nodes, isDocumentIndex);
    const Nodes pictures = withLabel(nodes, isPicture);
    const Nodes formLikes = withLabel(nodes, isFormLike);

    std::set<int> suppressed;
    auto add = [&](const std::vector<int>& ids) { suppressed.insert(ids.begin(), ids.end()); };
    add(duplicateIDs(tables, indexes));
    add(duplicateIDs(pictures, concatenated({&tables, &indexes})));
    add(duplicateIDs(formLikes, without(concatenated({&tables, &indexes, &pictures}), suppressed)));
    return without(nodes, suppressed);
}

std::vector<int> Run::duplicateIDs(const Nodes& a, const Nodes& b) {
    std::vector<int> ids;
    for (const auto& x : a) {
        const bool duplicate = std::any_of(b.begin(), b.end(), [&](const NodePtr& y) {
            return iou(x->bbox, y->bbox) > 0.8 && x->confidence - y->confidence < 0.1;
        });
        if (duplicate) ids.push_back(x->id);
    }
    return ids;
}

void Run::setChildren(Node& special, const Nodes& children) {
    if (children.empty()) return;
    special.children = sortedNodes(children);
    if (isFormLike(special.label)) {
        BBox box = special.children.front()->bbox;
        for (const auto& child : special.children) {
            box = {std::min(box.l, child->bbox.l), std::min(box.t, child->bbox.t), std::max(box.r, child->bbox.r),
                   std::max(box.b, child->bbox.b)};
        }
        special.bbox = box;
    }
    std::vector<TextCell> cells;
    for (const auto& child : special.children) cells.insert(cells.end(), child->cells.begin(), child->cells.end());
    special.cells = sortedByIndex(dedupedByIndex(std::move(cells)));
}

}  // namespace ce::layout
