// The one naming and colouring of the layout labels: the source page's boxes, the
// legend and the highlighting of output elements all take their names, colours and
// the page-furniture test from here, so that they agree.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <set>
#include <vector>

#include "EngineTypes.h"

namespace RegionLabels {

QString displayName(ce::DocLabel label);
QColor color(ce::DocLabel label);
// Page headers and footers: the labels whose elements are left out of the output.
bool isFurniture(ce::DocLabel label);
// A page header or footer region that no element of the page's body stands for: the
// engine can keep such a region in the body, and then the output holds it.
bool isLeftOut(const ce::LayoutRegion& region, const ce::ConvertedPage& page);
// The tooltip of a region box: the display name, for a left-out region with
// " (left out of the output)" after it.
QString tooltip(const ce::LayoutRegion& region, const ce::ConvertedPage& page);

// The regions one output element stands for: its own cluster, the clusters merged into
// it, its captions' and footnotes' clusters, the table it lies in and its container.
std::set<int> regionIDs(const ce::DocElement& element);

// The labels of the page's regions, each once, in the model's class order.
std::vector<ce::DocLabel> presentKinds(const ce::ConvertedPage& page);
// The first `limit` present kinds (none for a limit of 0 or less).
std::vector<ce::DocLabel> shownKinds(const ce::ConvertedPage& page, int limit);
// The legend's help text: the names of all present kinds, joined by ", ".
QString legendHelp(const ce::ConvertedPage& page);

}  // namespace RegionLabels
