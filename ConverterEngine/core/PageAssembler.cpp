#include "core/PageAssembler.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "core/CaptionsAndFootnotes.h"
#include "core/CodeText.h"
#include "core/ElementTree.h"
#include "core/Merges.h"
#include "core/TableCellLookup.h"
#include "core/TextCleanup.h"

namespace ce::PageAssembler {

namespace {

// A picture goes into a table cell when at least this share of it lies in the table.
constexpr double pictureInTableShare = 0.8;
// A word belongs to a code block when more than this share of it lies in the block.
constexpr double codeWordShare = 0.5;

constexpr int topLevel = -1;

std::vector<TextCell> wordsInside(const BBox& box, const std::vector<TextCell>& words) {
    std::vector<TextCell> inside;
    for (const TextCell& word : words) {
        if (word.bbox.area() > 0 && word.bbox.intersectionOverSelf(box) > codeWordShare) inside.push_back(word);
    }
    return inside;
}

Element makeElement(const Cluster& cluster, const std::vector<TextCell>& words) {
    const DocLabel label = cluster.label == DocLabel::title ? DocLabel::sectionHeader : cluster.label;
    if (label == DocLabel::code) {
        return {ElementType::text, label, codeText(cluster.cells, wordsInside(cluster.bbox, words)), cluster};
    }
    if (textLabels().contains(label)) {
        std::vector<std::string> texts;
        for (const TextCell& cell : cluster.cells) {
            std::string text = cleanedCellText(cell.text);
            if (!text.empty()) texts.push_back(std::move(text));
        }
        return {ElementType::text, label, joinCellTexts(texts), cluster};
    }
    switch (label) {
        case DocLabel::picture:
            return {ElementType::figure, label, "", cluster};
        case DocLabel::table:
        case DocLabel::documentIndex:
            return {ElementType::table, label, "", cluster};
        default:  // form, keyValueRegion
            return {ElementType::container, label, "", cluster};
    }
}

ROElement readingOrderElement(int index, const Element& e, double pageWidth, double pageHeight) {
    ROElement ro;
    ro.cid = index;
    ro.label = e.label;
    ro.text = e.text;
    ro.l = e.cluster.bbox.l;
    ro.r = e.cluster.bbox.r;
    ro.b = pageHeight - e.cluster.bbox.b;
    ro.t = pageHeight - e.cluster.bbox.t;
    ro.pageWidth = pageWidth;
    ro.pageHeight = pageHeight;
    return ro;
}

// Container of every element (topLevel when none): the first container whose
// cluster lists the element's cluster as a child claims it. A claim that would
// make a container hold one of its own ancestors is refused, so every group stays
// reachable from the top level.
std::vector<int> assignContainers(const std::vector<Element>& elements) {
    std::map<int, int> byCluster;
    for (std::size_t i = 0; i < elements.size(); ++i) byCluster.try_emplace(elements[i].cluster.id, static_cast<int>(i));

    std::vector<int> containerOf(elements.size(), topLevel);
    auto isAncestorOrSelf = [&](int candidate, int c) {
        for (int x = c; x != topLevel; x = containerOf[x]) {
            if (x == candidate) return true;
        }
        return false;
    };
    for (std::size_t c = 0; c < elements.size(); ++c) {
        if (elements[c].type != ElementType::container) continue;
        for (const Cluster& child : elements[c].cluster.children) {
            auto found = byCluster.find(child.id);
            if (found == byCluster.end()) continue;
            const int k = found->second;
            if (containerOf[k] != topLevel || isAncestorOrSelf(k, static_cast<int>(c))) continue;
            containerOf[k] = static_cast<int>(c);
        }
    }
    return containerOf;
}

void flatten(int key, const std::map<int, std::vector<ROElement>>& ordered, const std::vector<Element>& elements,
             std::vector<ROElement>& out) {
    for (const ROElement& member : ordered.at(key)) {
        if (elements[member.cid].type == ElementType::container) {
            flatten(member.cid, ordered, elements, out);
        } else {
            out.push_back(member);
        }
    }
}

// Pictures without captions or footnotes that lie mostly inside a table with a
// recognised grid go into the table cell that holds them best. Tables without rows
// and columns take no pictures: their element carries a fallback grid whose cells
// could not hold them, and the picture stays where reading order put it.
std::map<int, std::vector<CellGroup>> placePicturesInCells(const std::vector<Element>& elements,
                                                           const TableMap& tables, const IndexMap& captions,
                                                           const IndexMap& footnotes) {
    std::map<int, std::vector<CellGroup>> cellGroups;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const Element& picture = elements[i];
        const int pi = static_cast<int>(i);
        if (picture.type != ElementType::figure || captions.contains(pi) || footnotes.contains(pi)) continue;
        const BBox& box = picture.cluster.bbox;
        const double area = box.area();
        if (!(area > 0)) continue;

        std::optional<std::pair<int, int>> best;  // table element, cell
        double bestScore = 0;
        for (std::size_t u = 0; u < elements.size(); ++u) {
            const Element& table = elements[u];
            if (table.type != ElementType::table) continue;
            if (!(box.intersectionArea(table.cluster.bbox) / area >= pictureInTableShare)) continue;
            const TableStructure* structure = recognisedStructure(tables, table.cluster.id);
            if (!structure) continue;
            auto cell = tableCellForPicture(structure->cells, box);
            if (!cell) continue;
            if (!best || cell->score > bestScore) {
                best = std::pair<int, int>(static_cast<int>(u), cell->cellIndex);
                bestScore = cell->score;
            }
        }
        if (!best) continue;
        auto& groups = cellGroups[best->first];
        auto existing = std::find_if(groups.begin(), groups.end(),
                                     [&](const CellGroup& g) { return g.cell == best->second; });
        if (existing == groups.end()) {
            groups.push_back({best->second, {pi}});
        } else {
            existing->pictures.push_back(pi);
        }
    }
    return cellGroups;
}

}  // namespace

const std::set<DocLabel>& textLabels() {
    static const std::set<DocLabel> labels = {
        DocLabel::text,          DocLabel::footnote,   DocLabel::caption,          DocLabel::checkboxUnselected,
        DocLabel::checkboxSelected, DocLabel::sectionHeader, DocLabel::pageHeader, DocLabel::pageFooter,
        DocLabel::code,          DocLabel::listItem,   DocLabel::formula,
    };
    return labels;
}

std::vector<Element> makeElements(const std::vector<Cluster>& clusters, const std::vector<TextCell>& words) {
    std::vector<Element> elements;
    elements.reserve(clusters.size());
    for (const Cluster& cluster : clusters) elements.push_back(makeElement(cluster, words));
    return elements;
}

AssembledPage buildPage(const std::vector<Element>& elements, const TableMap& tables, double pageWidth,
                        double pageHeight, ReadingOrderMode readingOrder) {
    const std::vector<int> containerOf = assignContainers(elements);

    std::map<int, std::vector<ROElement>> groups{{topLevel, {}}};
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].type == ElementType::container) groups[static_cast<int>(i)];
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        groups[containerOf[i]].push_back(readingOrderElement(static_cast<int>(i), elements[i], pageWidth, pageHeight));
    }

    std::map<int, std::vector<ROElement>> ordered;
    for (auto& [key, members] : groups) {
        ordered[key] = members.size() < 2 ? members : ReadingOrder::predictReadingOrder(members, readingOrder);
    }

    std::vector<ROElement> sequence;
    flatten(topLevel, ordered, elements, sequence);
    const IndexMap captions = ReadingOrder::attachCaptions(sequence);
    const IndexMap footnotes = ReadingOrder::attachFootnotes(sequence);

    IndexMap merges;
    for (const auto& [key, members] : ordered) {
        if (members.size() < 2) continue;
        for (auto& [first, rest] : ReadingOrder::predictMerges(members)) merges[first] = rest;
    }

    const auto cellGroups = placePicturesInCells(elements, tables, captions, footnotes);

    std::set<int> consumed;
    for (const IndexMap* map : std::initializer_list<const IndexMap*>{&captions, &footnotes, &merges}) {
        for (const auto& [key, values] : *map) consumed.insert(values.begin(), values.end());
    }
    for (const auto& [table, tableGroups] : cellGroups) {
        for (const CellGroup& group : tableGroups) consumed.insert(group.pictures.begin(), group.pictures.end());
    }

    Node root;
    const TreeInputs inputs{elements, tables, ordered, consumed, captions, footnotes, merges, cellGroups};
    emitElements(topLevel, root, false, inputs);
    return collectElements(root);
}

AssembledPage assemble(const std::vector<Cluster>& clusters, const TableMap& tables, double pageWidth,
                       double pageHeight, ReadingOrderMode readingOrder, const std::vector<TextCell>& words) {
    return buildPage(makeElements(clusters, words), tables, pageWidth, pageHeight, readingOrder);
}

}  // namespace ce::PageAssembler
