// The element tree of one page, between grouping and output: each intermediate
// element becomes a DocElement (kind, text, table, captions, footnotes, merges,
// list marker); runs of list items become list nodes, forms and key-value regions
// container nodes filled from their own groups, and the texts and pictures of
// table cells cell-group nodes under their table. The walk then numbers the lists
// and splits the elements into body and furniture.
//
// Used only by page assembly. Nodes own their children; a node's address stays
// put once it is made, so an open list can be filled while later siblings follow.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/DocElement.h"
#include "core/PageAssembler.h"
#include "core/ReadingOrder.h"

namespace ce::PageAssembler {

struct Node {
    enum class Kind {
        item,       // one element, possibly with cell groups below it
        list,       // a run of list items
        container,  // a form or key-value region, or the page root (no element)
        cellGroup,  // what lies in one table cell
    };

    Kind kind = Kind::container;
    std::optional<DocElement> element;
    std::vector<std::unique_ptr<Node>> children;

    // Appends a child and returns it.
    Node& append(Kind childKind, std::optional<DocElement> childElement = std::nullopt);
};

using IndexMap = ReadingOrder::CidMap;

// The pictures that lie in one cell of a table's structure.
struct CellGroup {
    int cell = 0;  // index into the table structure's cells
    std::vector<int> pictures;
};

// Everything the builder reads, for one page. Group key -1 is the page's top level,
// any other key the element index of a container.
struct TreeInputs {
    const std::vector<Element>& elements;
    const TableMap& tables;
    const std::map<int, std::vector<ROElement>>& orderedGroups;
    const std::set<int>& consumed;
    const IndexMap& captions;
    const IndexMap& footnotes;
    const IndexMap& merges;
    const std::map<int, std::vector<CellGroup>>& cellGroups;  // by table element index
};

// Fills `parent` from the ordered group `groupKey`; `insideForm` tells whether the
// group is the inside of a form (there any non-list-item ends a list).
void emitElements(int groupKey, Node& parent, bool insideForm, const TreeInputs& inputs);

// Walks the tree depth first: list ids count from 1 in walk order, elements take
// the cluster id of their enclosing container, and page headers and footers go to
// furniture.
AssembledPage collectElements(const Node& root);

// The page's structure for a table cluster when it has rows or columns (taken as
// stored), else none: such a table carries a fallback structure.
const TableStructure* recognisedStructure(const TableMap& tables, int clusterID);

// Structures for a table cluster that has no recognised one: one empty cell
// without a box (used when the cluster has children), or no cells at all.
TableStructure oneCellTable(int clusterID);
TableStructure emptyTable(int clusterID);

}  // namespace ce::PageAssembler
