#include "ViewsFixtures.h"

namespace viewsfixtures {

ce::LayoutRegion region(int id, ce::DocLabel label, ce::BBox box) {
    ce::LayoutRegion r;
    r.id = id;
    r.label = label;
    r.bbox = box;
    r.confidence = 0.9;
    return r;
}

ce::DocElement element(ce::DocElementKind kind, const std::string& text, int clusterID, ce::DocLabel label, ce::BBox box) {
    return ce::DocElement(kind, text, 0, box, std::nullopt, clusterID, label);
}

ce::TableStructure table(int rows, int cols) {
    ce::TableStructure t;
    t.numRows = rows;
    t.numCols = cols;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            ce::TableCellItem cell;
            cell.text = "r" + std::to_string(r) + "c" + std::to_string(c);
            cell.startRow = r;
            cell.endRow = r + 1;
            cell.startCol = c;
            cell.endCol = c + 1;
            cell.columnHeader = r == 0;
            t.cells.push_back(cell);
        }
    return t;
}

ce::ConvertedPage samplePage(int index) {
    using L = ce::DocLabel;
    using K = ce::DocElementKind;
    ce::ConvertedPage page;
    page.index = index;
    page.width = 200;
    page.height = 100;
    page.regions = {region(1, L::pageHeader, {10, 2, 190, 8}), region(2, L::title, {10, 10, 190, 20}),
                    region(3, L::text, {10, 25, 190, 45}), region(4, L::table, {10, 50, 190, 90})};
    page.content.furniture = {element(K::text, "Running head", 1, L::pageHeader, {10, 2, 190, 8})};
    ce::DocElement title = element(K::title, "A title", 2, L::title, {10, 10, 190, 20});
    ce::DocElement text = element(K::text, "Some text", 3, L::text, {10, 25, 190, 45});
    ce::DocElement tableElement = element(K::table, "", 4, L::table, {10, 50, 190, 90});
    tableElement.table = table(2, 2);
    tableElement.table->cells[2].text = "=SUM(A1)";
    page.content.body = {title, text, tableElement};
    return page;
}

}  // namespace viewsfixtures
