#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ElementBuilder.h"
#include "core/ElementTree.h"

using namespace ce;
using namespace ce::PageAssembler;

namespace {

// One page's intermediate elements with hand-made groups and maps, standing in for
// the grouping, ordering and association steps.
struct Page {
    std::vector<Element> elements;
    TableMap tables;
    std::map<int, std::vector<ROElement>> groups{{-1, {}}};
    std::set<int> consumed;
    IndexMap captions, footnotes, merges;
    std::map<int, std::vector<CellGroup>> cellGroups;

    // Adds an element (cluster id = 100 + index, stacked down the page) to group `group`.
    int add(ElementType type, DocLabel label, std::string text = "", int group = -1) {
        const int index = static_cast<int>(elements.size());
        Cluster cluster;
        cluster.id = 100 + index;
        cluster.label = label;
        cluster.bbox = {50, 20.0 + index * 30, 550, 40.0 + index * 30};
        elements.push_back({type, label, std::move(text), cluster});
        ROElement ro;
        ro.cid = index;
        groups[group].push_back(ro);
        if (type == ElementType::container) groups[index];
        return index;
    }
    int item(std::string text, int group = -1) { return add(ElementType::text, DocLabel::listItem, std::move(text), group); }

    AssembledPage build() const {
        Node root;
        const TreeInputs inputs{elements, tables, groups, consumed, captions, footnotes, merges, cellGroups};
        emitElements(-1, root, false, inputs);
        return collectElements(root);
    }
};

// "k" for each body element: first letter of the kind plus the list id, if any.
std::string listShape(const AssembledPage& page) {
    std::string shape;
    for (const DocElement& e : page.body) {
        if (!shape.empty()) shape += ' ';
        shape += std::string(DocElementKinds::rawValue(e.kind)).substr(0, 1);
        if (e.listID) shape += std::to_string(*e.listID);
    }
    return shape;
}

TableCellItem cellAt(int row, int col, std::optional<BBox> box, std::string text) {
    TableCellItem cell;
    cell.bbox = box;
    cell.text = std::move(text);
    cell.startRow = row;
    cell.endRow = row + 1;
    cell.startCol = col;
    cell.endCol = col + 1;
    return cell;
}

}  // namespace

TEST(ElementTree, ListsFormFromRunsOfItems) {
    struct ListCase {
        const char* name;
        bool inForm;
        std::vector<std::pair<ElementType, DocLabel>> sequence;  // list items are (text, listItem)
        std::string shape;
    };
    const auto item = std::pair{ElementType::text, DocLabel::listItem};
    const auto picture = std::pair{ElementType::figure, DocLabel::picture};
    const auto text = std::pair{ElementType::text, DocLabel::text};
    const auto code = std::pair{ElementType::text, DocLabel::code};
    const auto table = std::pair{ElementType::table, DocLabel::table};
    const ListCase cases[] = {
        {"three items", false, {item, item, item}, "l1 l1 l1"},
        {"item picture item at top level", false, {item, picture, item}, "l1 l1 p"},
        {"item table item at top level", false, {item, table, item}, "l1 l1 t"},
        {"item picture item in a form", true, {item, picture, item}, "l1 p l2"},
        {"item text item", false, {item, text, item}, "l1 t l2"},
        {"item text item in a form", true, {item, text, item}, "l1 t l2"},
        {"item code item", false, {item, code, item}, "l1 c l2"},
        {"two lists and a third", false, {item, text, item, item, text, item}, "l1 t l2 l2 t l3"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        const int group = c.inForm ? page.add(ElementType::container, DocLabel::form) : -1;
        for (auto [type, label] : c.sequence) page.add(type, label, "- x", group);
        const AssembledPage out = page.build();
        EXPECT_EQ(listShape(out), c.shape);
        for (const DocElement& e : out.body) {
            EXPECT_EQ(e.containerID, c.inForm ? std::optional<int>(100) : std::nullopt);
        }
    }
}

TEST(ElementTree, ConsumedElementsAreSkippedBeforeTheyCanEndAList) {
    Page page;
    page.item("- one");
    const int caption = page.add(ElementType::text, DocLabel::caption, "Figure 1");
    page.item("- two");
    const int picture = page.add(ElementType::figure, DocLabel::picture);
    page.captions[picture] = {caption};
    page.consumed = {caption};
    const AssembledPage out = page.build();
    ASSERT_EQ(listShape(out), "l1 l1 p");
    ASSERT_EQ(out.body[2].captions.size(), 1u);
    EXPECT_EQ(out.body[2].captions[0].kind, DocElementKind::caption);
    EXPECT_EQ(out.body[2].captions[0].text, "Figure 1");
}

TEST(ElementTree, ListMarkersAreSplitOff) {
    struct MarkerCase {
        const char* text;
        const char* marker;
        const char* rest;
        bool enumerated;
    };
    const MarkerCase cases[] = {
        {"- word", "-", "word", false},
        {"1.2 word", "1.2", "word", true},
        {"word", "", "word", false},
        {"\u2022 bullet", "\u2022", "bullet", false},
    };
    Page page;
    for (const MarkerCase& c : cases) page.item(c.text);
    const AssembledPage out = page.build();
    ASSERT_EQ(out.body.size(), std::size(cases));
    for (std::size_t k = 0; k < out.body.size(); ++k) {
        SCOPED_TRACE(cases[k].text);
        EXPECT_EQ(out.body[k].kind, DocElementKind::listItem);
        EXPECT_EQ(out.body[k].marker, cases[k].marker);
        EXPECT_EQ(out.body[k].text, cases[k].rest);
        EXPECT_EQ(out.body[k].orig, cases[k].text);
        EXPECT_EQ(out.body[k].enumerated, cases[k].enumerated);
        EXPECT_EQ(out.body[k].listID, 1);
    }
}

TEST(ElementTree, KindsLevelsAndFurniture) {
    Page page;
    page.add(ElementType::text, DocLabel::pageHeader, "Running head");
    page.add(ElementType::text, DocLabel::sectionHeader, "Introduction");
    page.add(ElementType::text, DocLabel::formula, "E = mc^2");
    page.add(ElementType::text, DocLabel::caption, "Lonely caption");
    page.add(ElementType::text, DocLabel::checkboxSelected, "Yes");
    page.add(ElementType::text, DocLabel::pageFooter, "3");
    const AssembledPage out = page.build();

    ASSERT_EQ(out.furniture.size(), 2u);
    EXPECT_EQ(out.furniture[0].text, "Running head");
    EXPECT_EQ(out.furniture[0].kind, DocElementKind::text);
    EXPECT_EQ(out.furniture[1].label, DocLabel::pageFooter);
    ASSERT_EQ(out.body.size(), 4u);
    EXPECT_EQ(out.body[0].kind, DocElementKind::sectionHeader);
    EXPECT_EQ(out.body[0].level, 1);
    EXPECT_EQ(out.body[1].kind, DocElementKind::formula);
    EXPECT_EQ(out.body[1].text, "");
    EXPECT_EQ(out.body[1].orig, "E = mc^2");
    EXPECT_EQ(out.body[2].kind, DocElementKind::caption);
    EXPECT_EQ(out.body[3].kind, DocElementKind::checkbox);
}

TEST(ElementTree, TablesTakeTheirStructureOrAFallback) {
    Page page;
    const int structured = page.add(ElementType::table, DocLabel::table);
    const int withChildren = page.add(ElementType::table, DocLabel::table);
    const int bare = page.add(ElementType::table, DocLabel::documentIndex);
    const int footnote = page.add(ElementType::text, DocLabel::footnote, "* estimated");
    TableStructure grid;
    grid.clusterID = 100 + structured;
    grid.numRows = 1;
    grid.numCols = 1;
    grid.cells = {cellAt(0, 0, BBox{60, 25, 100, 35}, "a")};
    page.tables[grid.clusterID] = grid;
    // A structure without rows or columns is no structure.
    page.tables[100 + bare] = TableStructure{100 + bare, {}, 0, 0, {}};
    Cluster child;
    child.id = 900;
    child.label = DocLabel::listItem;
    child.cells = {TextCell{0, "- inside", BBox{60, 55, 100, 65}, 1, false}};
    page.elements[withChildren].cluster.children = {child};
    page.footnotes[structured] = {footnote};
    page.consumed = {footnote};

    const AssembledPage out = page.build();
    ASSERT_EQ(out.body.size(), 4u);
    const DocElement& first = out.body[0];
    ASSERT_TRUE(first.table);
    EXPECT_EQ(first.table->cells.size(), 1u);
    EXPECT_EQ(first.table->cells[0].text, "a");
    ASSERT_EQ(first.footnotes.size(), 1u);
    EXPECT_EQ(first.footnotes[0].kind, DocElementKind::footnote);

    const DocElement& fallback = out.body[1];
    ASSERT_TRUE(fallback.table);
    EXPECT_EQ(fallback.table->numRows, 1);
    EXPECT_EQ(fallback.table->numCols, 1);
    ASSERT_EQ(fallback.table->cells.size(), 1u);
    EXPECT_FALSE(fallback.table->cells[0].bbox);
    EXPECT_EQ(fallback.table->cells[0].text, "");
    const DocElement& childElement = out.body[2];
    EXPECT_EQ(childElement.kind, DocElementKind::listItem);
    EXPECT_EQ(childElement.text, "inside");
    EXPECT_EQ(childElement.clusterID, 900);
    EXPECT_EQ(childElement.tableCellOf, 100 + withChildren);
    EXPECT_EQ(childElement.listID, std::nullopt);

    const DocElement& index = out.body[3];
    EXPECT_EQ(index.kind, DocElementKind::documentIndex);
    ASSERT_TRUE(index.table);
    EXPECT_EQ(index.table->numRows, 0);
    EXPECT_TRUE(index.table->cells.empty());
}

TEST(ElementTree, PicturesInCellsFollowTheCellText) {
    Page page;
    const int table = page.add(ElementType::table, DocLabel::table);
    const int p1 = page.add(ElementType::figure, DocLabel::picture);
    const int p2 = page.add(ElementType::figure, DocLabel::picture);
    const int p3 = page.add(ElementType::figure, DocLabel::picture);
    TableStructure grid;
    grid.clusterID = 100 + table;
    grid.numRows = 1;
    grid.numCols = 3;
    grid.cells = {cellAt(0, 0, BBox{50, 20, 200, 40}, "Logo"), cellAt(0, 1, std::nullopt, "Seal"),
                  cellAt(0, 2, BBox{400, 20, 550, 40}, "")};
    page.tables[grid.clusterID] = grid;
    page.cellGroups[table] = {{0, {p1}}, {1, {p2}}, {2, {p3}}};
    page.consumed = {p1, p2, p3};

    const AssembledPage out = page.build();
    ASSERT_EQ(out.body.size(), 6u);
    const std::vector<std::pair<DocElementKind, int>> expected = {
        {DocElementKind::table, 100},   {DocElementKind::text, 100}, {DocElementKind::picture, 101},
        {DocElementKind::text, 100},    {DocElementKind::picture, 102}, {DocElementKind::picture, 103}};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(out.body[k].kind, expected[k].first);
        EXPECT_EQ(out.body[k].clusterID, expected[k].second);
        if (k > 0) {
            EXPECT_EQ(out.body[k].tableCellOf, 100);
        }
    }
    EXPECT_EQ(out.body[1].text, "Logo");
    EXPECT_EQ(out.body[1].bbox, (BBox{50, 20, 200, 40}));
    EXPECT_EQ(out.body[3].bbox, page.elements[p2].cluster.bbox);  // the cell has no box
}

TEST(ElementTree, MergesJoinContinuedParagraphs) {
    Page page;
    const int head = page.add(ElementType::text, DocLabel::text, "the data-");
    const int rest = page.add(ElementType::text, DocLabel::text, "  base grows and");
    const int tail = page.add(ElementType::text, DocLabel::text, "More");
    page.merges[head] = {rest, tail};
    page.consumed = {rest, tail};
    const AssembledPage out = page.build();
    ASSERT_EQ(out.body.size(), 1u);
    EXPECT_EQ(out.body[0].text, "the database grows and More");
    EXPECT_EQ(out.body[0].mergedClusterIDs, (std::vector<int>{101, 102}));
}
