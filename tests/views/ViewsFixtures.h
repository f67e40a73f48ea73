// Small converted pages for the views suites: regions, body elements and tables made
// by hand, so that each case shows exactly the fault it guards against.
#pragma once

#include <string>
#include <vector>

#include "EngineTypes.h"

namespace viewsfixtures {

ce::LayoutRegion region(int id, ce::DocLabel label, ce::BBox box);
ce::DocElement element(ce::DocElementKind kind, const std::string& text, int clusterID, ce::DocLabel label,
                       ce::BBox box = {0, 0, 100, 20});
// A table of `rows` x `cols` single cells whose texts are "r<row>c<col>".
ce::TableStructure table(int rows, int cols);
// A 200 x 100 point page with a header, a title, a text and a table region and their elements.
ce::ConvertedPage samplePage(int index = 0);

}  // namespace viewsfixtures
