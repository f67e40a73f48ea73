#include "core/ElementTree.h"

#include <utility>

#include "core/ClusterElement.h"
#include "core/ElementBuilder.h"
#include "core/LabelKinds.h"
#include "core/ListMarker.h"
#include "core/MergeContinuation.h"

namespace ce::PageAssembler {

Node& Node::append(Kind childKind, std::optional<DocElement> childElement) {
    auto child = std::make_unique<Node>();
    child->kind = childKind;
    child->element = std::move(childElement);
    children.push_back(std::move(child));
    return *children.back();
}

TableStructure oneCellTable(int clusterID) {
    TableStructure table;
    table.clusterID = clusterID;
    table.numRows = 1;
    table.numCols = 1;
    table.cells.push_back(TableCellItem{});
    return table;
}

TableStructure emptyTable(int clusterID) {
    TableStructure table;
    table.clusterID = clusterID;
    return table;
}

const TableStructure* recognisedStructure(const TableMap& tables, int clusterID) {
    auto found = tables.find(clusterID);
    if (found == tables.end() || (found->second.numRows == 0 && found->second.numCols == 0)) return nullptr;
    return &found->second;
}

namespace {

bool isListItem(const Element& e) { return e.type == ElementType::text && e.label == DocLabel::listItem; }

TableStructure tableFor(const Element& e, const TableMap& tables) {
    if (const TableStructure* structure = recognisedStructure(tables, e.cluster.id)) return *structure;
    return e.cluster.children.empty() ? emptyTable(e.cluster.id) : oneCellTable(e.cluster.id);
}

// Cell groups under a table's item node: pictures placed in the table's cells, and
// the child clusters of a table that took the one-cell fallback.
void addTableChildren(int index, Node& tableNode, const TreeInputs& in) {
    const Element& table = in.elements[index];
    const int tableID = table.cluster.id;
    const bool ownStructure = recognisedStructure(in.tables, tableID) != nullptr;
    if (auto groups = in.cellGroups.find(index); groups != in.cellGroups.end() && ownStructure) {
        const auto& cells = tableNode.element->table->cells;
        for (const CellGroup& group : groups->second) {
            if (group.cell < 0 || static_cast<std::size_t>(group.cell) >= cells.size()) continue;
            const TableCellItem& cell = cells[group.cell];
            Node& groupNode = tableNode.append(Node::Kind::cellGroup);
            if (!cell.text.empty()) {
                const BBox box = cell.bbox ? *cell.bbox : in.elements[group.pictures.front()].cluster.bbox;
                DocElement text(DocElementKind::text, cell.text, 0, box, std::nullopt, tableID, DocLabel::text);
                text.tableCellOf = tableID;
                groupNode.append(Node::Kind::item, std::move(text));
            }
            for (int p : group.pictures) {
                const Element& picture = in.elements[p];
                DocElement element(DocElementKind::picture, picture.text, 0, picture.cluster.bbox, std::nullopt,
                                   picture.cluster.id, picture.label);
                element.tableCellOf = tableID;
                groupNode.append(Node::Kind::item, std::move(element));
            }
        }
    }
    if (!ownStructure && !table.cluster.children.empty()) {
        Node& groupNode = tableNode.append(Node::Kind::cellGroup);
        for (const Cluster& child : table.cluster.children) {
            groupNode.append(Node::Kind::item, makeClusterDocElement(child, tableID));
        }
    }
}

DocElement withAttachments(DocElement element, int index, const TreeInputs& in) {
    attachCaptionsAndFootnotes(element, index, in.captions, in.footnotes, in.elements);
    return element;
}

DocElement textElement(int index, const Element& e, const TreeInputs& in) {
    switch (e.label) {
        case DocLabel::code:
            return withAttachments(makeDocElement(in.elements, index, DocElementKind::code), index, in);
        case DocLabel::formula: {
            DocElement element = makeDocElement(in.elements, index, DocElementKind::formula, std::string());
            element.orig = e.text;
            return element;
        }
        case DocLabel::sectionHeader: {
            DocElement element = makeDocElement(in.elements, index, DocElementKind::sectionHeader);
            element.level = 1;
            return element;
        }
        default:
            return makeDocElement(in.elements, index, kindForLabel(e.label));
    }
}

void applyMerges(int index, DocElement& element, const TreeInputs& in) {
    auto merged = in.merges.find(index);
    if (merged == in.merges.end()) return;
    for (int j : merged->second) {
        appendContinuation(element, in.elements[j].text, in.elements[j].cluster.id);
    }
}

void walk(const Node& node, std::optional<int> listID, std::optional<int> containerID, int& listCounter,
          AssembledPage& page) {
    switch (node.kind) {
        case Node::Kind::item:
            if (node.element) {
                DocElement element = *node.element;
                element.listID = listID;
                element.containerID = containerID;
                const bool furniture = element.label == DocLabel::pageHeader || element.label == DocLabel::pageFooter;
                (furniture ? page.furniture : page.body).push_back(std::move(element));
            }
            for (const auto& child : node.children) walk(*child, std::nullopt, containerID, listCounter, page);
            break;
        case Node::Kind::list: {
            const int id = ++listCounter;
            for (const auto& child : node.children) walk(*child, id, containerID, listCounter, page);
            break;
        }
        case Node::Kind::container: {
            const std::optional<int> inner = node.element ? std::optional<int>(node.element->clusterID) : containerID;
            for (const auto& child : node.children) walk(*child, std::nullopt, inner, listCounter, page);
            break;
        }
        case Node::Kind::cellGroup:
            for (const auto& child : node.children) walk(*child, listID, containerID, listCounter, page);
            break;
    }
}

}  // namespace

void emitElements(int groupKey, Node& parent, bool insideForm, const TreeInputs& in) {
    auto group = in.orderedGroups.find(groupKey);
    if (group == in.orderedGroups.end()) return;
    Node* currentList = nullptr;
    for (const ROElement& member : group->second) {
        const int i = member.cid;
        if (in.consumed.contains(i)) continue;
        const Element& e = in.elements[i];

        const bool endsList = insideForm ? !isListItem(e) : (e.type == ElementType::text && !isListItem(e));
        if (endsList) currentList = nullptr;

        switch (e.type) {
            case ElementType::container: {
                const bool form = e.label == DocLabel::form;
                Node& node = parent.append(
                    Node::Kind::container,
                    makeDocElement(in.elements, i, form ? DocElementKind::form : DocElementKind::keyValue));
                emitElements(i, node, form, in);
                break;
            }
            case ElementType::table: {
                const DocElementKind kind =
                    e.label == DocLabel::documentIndex ? DocElementKind::documentIndex : DocElementKind::table;
                DocElement element = withAttachments(makeDocElement(in.elements, i, kind), i, in);
                element.table = tableFor(e, in.tables);
                Node& node = parent.append(Node::Kind::item, std::move(element));
                addTableChildren(i, node, in);
                break;
            }
            case ElementType::figure:
                parent.append(Node::Kind::item,
                              withAttachments(makeDocElement(in.elements, i, DocElementKind::picture), i, in));
                break;
            case ElementType::text:
                if (isListItem(e)) {
                    if (!currentList) currentList = &parent.append(Node::Kind::list);
                    DocElement element = makeDocElement(in.elements, i, DocElementKind::listItem);
                    ListMarkers::Split split = ListMarkers::split(e.text);
                    element.marker = std::move(split.marker);
                    element.text = std::move(split.text);
                    element.enumerated = split.enumerated;
                    Node& node = currentList->append(Node::Kind::item, std::move(element));
                    applyMerges(i, *node.element, in);
                } else {
                    Node& node = parent.append(Node::Kind::item, textElement(i, e, in));
                    if (e.label != DocLabel::code) applyMerges(i, *node.element, in);
                }
                break;
        }
    }
}

AssembledPage collectElements(const Node& root) {
    AssembledPage page;
    int listCounter = 0;
    walk(root, std::nullopt, std::nullopt, listCounter, page);
    return page;
}

}  // namespace ce::PageAssembler
