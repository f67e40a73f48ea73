// Page assembly: the final layout clusters of one page become the page's document
// elements, the body in reading order and the page headers and footers as
// furniture. Clusters first become intermediate elements (makeElements); these are
// grouped by container, ordered, associated (captions, footnotes, merges, pictures
// in table cells) and built into an element tree that is walked into the two lists
// (buildPage).
//
// Callers may rely on: stateless and thread-safe, no errors. Every cluster but a
// form or key-value region (whose members carry its id as containerID) comes out
// once: in body or furniture at its place in reading order, or inside the element
// it was attached to (captions, footnotes, merged continuations in
// mergedClusterIDs, pictures placed in table cells right after their table).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Cluster.h"
#include "core/DocElement.h"
#include "core/ReadingOrder.h"
#include "core/TableStructure.h"
#include "core/TextCell.h"

namespace ce::PageAssembler {

enum class ElementType { text, table, figure, container };

// One cluster on its way to a document element.
struct Element {
    ElementType type = ElementType::text;
    DocLabel label = DocLabel::text;  // the cluster's label, but a title becomes sectionHeader
    std::string text;                 // empty for tables, figures and containers
    Cluster cluster;                  // the source cluster, whole
};

// Table structures of a page by the cluster id of their table.
using TableMap = std::map<int, TableStructure>;

// The page's elements in reading order, split into body and furniture. `words`
// are the page's word cells, used only to lay out code blocks.
AssembledPage assemble(const std::vector<Cluster>& clusters, const TableMap& tables, double pageWidth,
                       double pageHeight, ReadingOrderMode readingOrder, const std::vector<TextCell>& words);

// One element per cluster, in cluster order.
std::vector<Element> makeElements(const std::vector<Cluster>& clusters, const std::vector<TextCell>& words);

AssembledPage buildPage(const std::vector<Element>& elements, const TableMap& tables, double pageWidth,
                        double pageHeight, ReadingOrderMode readingOrder);

// The labels whose clusters become text elements (title is not one of them: it
// becomes sectionHeader first).
const std::set<DocLabel>& textLabels();

}  // namespace ce::PageAssembler
