// Reading order of the elements of one page, or of one container on a page.
//
// Elements arrive as `ROElement`s with boxes flipped to a bottom-left origin
// (t > b, larger is higher on the page). `predictReadingOrder` puts page headers
// first, the body in columns and rows next, page footers last. The result always
// holds every input element exactly once. All functions are pure: no state
// survives a call, and any number of calls may run at once.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/DocLabel.h"

namespace ce {

// How much two consecutive elements of one column may overlap vertically and
// still count as one above the other.
enum class ReadingOrderMode {
    strictEdgeOverlap,
    tolerantEdgeOverlap,
};

struct ROElement {
    int cid = 0;  // position in the page assembler's element list; cid + 1 is the next element
    DocLabel label = DocLabel::text;
    std::string text;
    double l = 0;  // left and right edge, page points
    double r = 0;
    double b = 0;  // bottom and top edge, page points measured upwards from the page bottom
    double t = 0;
    double pageWidth = 0;
    double pageHeight = 0;
};

namespace ReadingOrder {

// Element index (`cid`) -> the element indices attached to it, in order.
using CidMap = std::map<int, std::vector<int>>;

// a precedes b: when the two overlap horizontally, a's bottom edge is higher;
// otherwise a lies further left. Not a strict weak order (it can be cyclic).
bool precedes(const ROElement& a, const ROElement& b);

// The elements sorted by `precedes` with the fixed procedure every sort of the
// reading order uses: a leading run is taken whole (reversed when it descends),
// every later element is inserted by binary search after the elements it does
// not precede. Deterministic for any input, cyclic or not.
std::vector<ROElement> sortedByPrecedes(std::vector<ROElement> elements);

// The neighbour-graph order of one set of elements. Elements that the walk
// does not reach (possible only with cyclic up links) follow in input order.
std::vector<ROElement> orderGroup(const std::vector<ROElement>& elements, ReadingOrderMode mode);

// Page headers (in their own order), then the rest, then page footers.
std::vector<ROElement> predictReadingOrder(const std::vector<ROElement>& elements,
                                           ReadingOrderMode mode);

}  // namespace ReadingOrder
}  // namespace ce
