#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PageAssembler.h"

using namespace ce;

namespace {

constexpr double pageW = 600;
constexpr double pageH = 800;

// A cluster with one cell per text, each covering the cluster's box.
Cluster cluster(int id, DocLabel label, BBox box, const std::vector<std::string>& texts = {}) {
    Cluster c;
    c.id = id;
    c.label = label;
    c.bbox = box;
    c.confidence = 0.9;
    for (const std::string& text : texts) c.cells.push_back(TextCell{0, text, box, 1, false});
    return c;
}

AssembledPage assemble(const std::vector<Cluster>& clusters, const PageAssembler::TableMap& tables = {}) {
    return PageAssembler::assemble(clusters, tables, pageW, pageH, ReadingOrderMode::tolerantEdgeOverlap, {});
}

TableCellItem cellAt(int row, int col, BBox box, std::string text) {
    return TableCellItem{box, std::move(text), row, row + 1, col, col + 1, false, false, false};
}

// A 2 x 2 table over (100, 100)-(500, 300) whose lower right cell reads "D".
TableStructure twoByTwo(int clusterID) {
    return TableStructure{clusterID,
                          {"fcel", "fcel", "nl", "ecel", "fcel", "nl"},
                          2,
                          2,
                          {cellAt(0, 0, {100, 100, 300, 200}, "A"), cellAt(0, 1, {300, 100, 500, 200}, "B"),
                           cellAt(1, 0, {100, 200, 300, 300}, ""), cellAt(1, 1, {300, 200, 500, 300}, "D")}};
}

const DocElement* find(const AssembledPage& page, int clusterID) {
    for (const DocElement& e : page.body) {
        if (e.clusterID == clusterID && e.kind != DocElementKind::text) return &e;
    }
    return nullptr;
}

}  // namespace

TEST(PageAssembler, ClustersBecomeElements) {
    using PageAssembler::ElementType;
    struct ElementCase {
        const char* name;
        Cluster cluster;
        ElementType type;
        DocLabel label;
        std::string text;
    };
    const BBox box{100, 100, 300, 120};
    const ElementCase cases[] = {
        {"title", cluster(1, DocLabel::title, box, {"Annual", "report"}), ElementType::text, DocLabel::sectionHeader,
         "Annual report"},
        {"blank cells dropped", cluster(1, DocLabel::text, box, {" ", "Hello", "\t", "world"}), ElementType::text,
         DocLabel::text, "Hello world"},
        {"hyphen mark", cluster(1, DocLabel::text, box, {"well\x02" "known"}), ElementType::text, DocLabel::text,
         "well-known"},
        {"code from its own cells", cluster(1, DocLabel::code, box, {"x = 1"}), ElementType::text, DocLabel::code,
         "x = 1"},
        {"picture", cluster(1, DocLabel::picture, box, {"ignored"}), ElementType::figure, DocLabel::picture, ""},
        {"document index", cluster(1, DocLabel::documentIndex, box), ElementType::table, DocLabel::documentIndex, ""},
        {"key-value region", cluster(1, DocLabel::keyValueRegion, box), ElementType::container,
         DocLabel::keyValueRegion, ""},
    };
    for (const ElementCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto elements = PageAssembler::makeElements({c.cluster}, {});
        ASSERT_EQ(elements.size(), 1u);
        EXPECT_EQ(elements[0].type, c.type);
        EXPECT_EQ(elements[0].label, c.label);
        EXPECT_EQ(elements[0].text, c.text);
        EXPECT_EQ(elements[0].cluster.label, c.cluster.label);
    }
}

TEST(PageAssembler, CodeTakesTheWordsMostlyInsideIt) {
    const Cluster code = cluster(1, DocLabel::code, {100, 100, 200, 120}, {"cell text"});
    const std::vector<TextCell> words = {
        TextCell{0, "inside", {110, 102, 140, 118}, 1, false},
        TextCell{1, "half", {180, 102, 220, 118}, 1, false},    // exactly half inside
        TextCell{2, "empty", {150, 102, 150, 118}, 1, false},   // no area
    };
    EXPECT_EQ(PageAssembler::makeElements({code}, words)[0].text, "inside");
}

TEST(PageAssembler, EmptyPageGivesNothing) {
    const AssembledPage page = assemble({});
    EXPECT_TRUE(page.body.empty());
    EXPECT_TRUE(page.furniture.empty());
}

TEST(PageAssembler, OrdersBodyAndSendsHeadersAndFootersToFurniture) {
    const AssembledPage page = assemble({
        cluster(5, DocLabel::pageFooter, {280, 770, 320, 785}, {"7"}),
        cluster(2, DocLabel::text, {50, 150, 550, 200}, {"First paragraph."}),
        cluster(1, DocLabel::title, {50, 80, 550, 120}, {"Annual report"}),
        cluster(3, DocLabel::listItem, {50, 220, 550, 240}, {"- one"}),
        cluster(4, DocLabel::listItem, {50, 250, 550, 270}, {"- two"}),
        cluster(0, DocLabel::pageHeader, {50, 20, 550, 40}, {"Company"}),
    });
    ASSERT_EQ(page.furniture.size(), 2u);
    EXPECT_EQ(page.furniture[0].text, "Company");
    EXPECT_EQ(page.furniture[1].text, "7");
    ASSERT_EQ(page.body.size(), 4u);
    EXPECT_EQ(page.body[0].kind, DocElementKind::sectionHeader);
    EXPECT_EQ(page.body[0].label, DocLabel::sectionHeader);
    EXPECT_EQ(page.body[0].level, 1);
    EXPECT_EQ(page.body[0].text, "Annual report");
    EXPECT_EQ(page.body[1].text, "First paragraph.");
    EXPECT_EQ(page.body[2].listID, 1);
    EXPECT_EQ(page.body[3].listID, 1);
    EXPECT_EQ(page.body[3].text, "two");
}

TEST(PageAssembler, PictureInsideAStructuredTableGoesToItsCell) {
    const AssembledPage page = assemble(
        {cluster(1, DocLabel::table, {100, 100, 500, 300}), cluster(2, DocLabel::picture, {320, 210, 480, 290})},
        {{1, twoByTwo(1)}});
    ASSERT_EQ(page.body.size(), 3u);
    EXPECT_EQ(page.body[0].kind, DocElementKind::table);
    EXPECT_EQ(page.body[1].kind, DocElementKind::text);
    EXPECT_EQ(page.body[1].text, "D");
    EXPECT_EQ(page.body[1].tableCellOf, 1);
    EXPECT_EQ(page.body[2].kind, DocElementKind::picture);
    EXPECT_EQ(page.body[2].clusterID, 2);
    EXPECT_EQ(page.body[2].tableCellOf, 1);
}

TEST(PageAssembler, OnlyPicturesFourFifthsInsideTheTableGoToACell) {
    struct ShareCase {
        double bottom;  // the picture spans 320...480 across and 210...bottom down; the table ends at 300
        bool inCell;
    };
    const ShareCase cases[] = {{320, true}, {330, false}};  // 82 % and 75 % inside
    for (const ShareCase& c : cases) {
        SCOPED_TRACE(c.bottom);
        const AssembledPage page = assemble({cluster(1, DocLabel::table, {100, 100, 500, 300}),
                                             cluster(2, DocLabel::picture, {320, 210, 480, c.bottom})},
                                            {{1, twoByTwo(1)}});
        ASSERT_EQ(page.body.size(), c.inCell ? 3u : 2u);
        const DocElement* picture = find(page, 2);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->tableCellOf, c.inCell ? std::optional<int>(1) : std::nullopt);
    }
}

TEST(PageAssembler, PictureWithItsOwnCaptionStaysAtTheTopLevel) {
    // 82 % of the picture lies in the table; its caption sits right below it.
    const AssembledPage page = assemble({cluster(1, DocLabel::table, {100, 100, 500, 300}),
                                         cluster(2, DocLabel::picture, {320, 210, 480, 320}),
                                         cluster(3, DocLabel::caption, {320, 322, 480, 335}, {"Figure 1"})},
                                        {{1, twoByTwo(1)}});
    const DocElement* picture = find(page, 2);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->tableCellOf, std::nullopt);
    ASSERT_EQ(picture->captions.size(), 1u);
    EXPECT_EQ(picture->captions[0].text, "Figure 1");
    EXPECT_EQ(page.body.size(), 2u);  // the table and the picture; the caption is inside the picture
}

TEST(PageAssembler, PictureIsKeptWhenItsTableHasNoGrid) {
    // Cells but neither rows nor columns: the table element falls back to an empty grid.
    const TableStructure empty{1, {}, 0, 0, twoByTwo(1).cells};
    const AssembledPage page = assemble(
        {cluster(1, DocLabel::table, {100, 100, 500, 300}), cluster(2, DocLabel::picture, {320, 210, 480, 290})},
        {{1, empty}});
    const DocElement* picture = find(page, 2);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->tableCellOf, std::nullopt);
    const DocElement* table = find(page, 1);
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->table);
    EXPECT_EQ(table->table->numRows, 0);
}

TEST(PageAssembler, ContainerMembersAreEmittedOnceInsideTheirContainer) {
    Cluster form = cluster(10, DocLabel::form, {50, 300, 550, 450});
    const Cluster name = cluster(11, DocLabel::text, {60, 310, 540, 330}, {"Name: Ada"});
    const Cluster choice = cluster(12, DocLabel::listItem, {60, 340, 540, 360}, {"- tea"});
    form.children = {name, choice};
    const AssembledPage page = assemble({cluster(1, DocLabel::text, {50, 100, 550, 150}, {"Intro."}), form, name, choice});
    ASSERT_EQ(page.body.size(), 3u);
    EXPECT_EQ(page.body[0].text, "Intro.");
    EXPECT_EQ(page.body[0].containerID, std::nullopt);
    EXPECT_EQ(page.body[1].clusterID, 11);
    EXPECT_EQ(page.body[1].containerID, 10);
    EXPECT_EQ(page.body[2].clusterID, 12);
    EXPECT_EQ(page.body[2].containerID, 10);
    EXPECT_EQ(page.body[2].listID, 1);
}

TEST(PageAssembler, ContainersThatClaimEachOtherLoseNothing) {
    Cluster a = cluster(20, DocLabel::form, {50, 100, 550, 300});
    Cluster b = cluster(21, DocLabel::keyValueRegion, {60, 110, 540, 290});
    const Cluster text = cluster(22, DocLabel::text, {70, 120, 530, 140}, {"Inside."});
    a.children = {cluster(21, DocLabel::keyValueRegion, b.bbox)};
    b.children = {cluster(20, DocLabel::form, a.bbox), text};
    const AssembledPage page = assemble({a, b, text});
    ASSERT_EQ(page.body.size(), 1u);
    EXPECT_EQ(page.body[0].text, "Inside.");
    EXPECT_EQ(page.body[0].containerID, 21);
}
