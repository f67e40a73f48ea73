#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ClusterElement.h"
#include "core/LabelKinds.h"

using namespace ce;

namespace {

Cluster cluster(DocLabel label, std::vector<std::string> texts) {
    Cluster c;
    c.id = 42;
    c.label = label;
    c.bbox = {1, 2, 3, 4};
    for (auto& text : texts) c.cells.push_back(TextCell{0, std::move(text), {1, 2, 3, 4}, 1.0, false});
    return c;
}

TEST(MakeClusterDocElement, KindLabelAndLevelByClusterLabel) {
    const struct {
        DocLabel label;
        DocElementKind kind;
        DocLabel elementLabel;
        int level;
    } cases[] = {
        {DocLabel::text, DocElementKind::text, DocLabel::text, 0},
        {DocLabel::title, DocElementKind::sectionHeader, DocLabel::sectionHeader, 1},
        {DocLabel::sectionHeader, DocElementKind::sectionHeader, DocLabel::sectionHeader, 1},
        {DocLabel::formula, DocElementKind::text, DocLabel::formula, 0},
        {DocLabel::picture, DocElementKind::text, DocLabel::picture, 0},
        {DocLabel::table, DocElementKind::text, DocLabel::table, 0},
        {DocLabel::pageHeader, DocElementKind::text, DocLabel::pageHeader, 0},
        {DocLabel::checkboxSelected, DocElementKind::checkbox, DocLabel::checkboxSelected, 0},
        {DocLabel::keyValueRegion, DocElementKind::keyValue, DocLabel::keyValueRegion, 0},
        {DocLabel::code, DocElementKind::code, DocLabel::code, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(DocLabels::rawValue(c.label)));
        const DocElement e = PageAssembler::makeClusterDocElement(cluster(c.label, {"Some text"}), 7);
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.label, c.elementLabel);
        EXPECT_EQ(e.level, c.level);
        EXPECT_EQ(e.text, "Some text");
        EXPECT_EQ(e.orig, "Some text");
        EXPECT_EQ(e.clusterID, 42);
        EXPECT_EQ(e.tableCellOf, 7);
        EXPECT_EQ(e.bbox, (BBox{1, 2, 3, 4}));
        EXPECT_FALSE(e.table.has_value());
        EXPECT_FALSE(e.listID.has_value());
    }
}

TEST(MakeClusterDocElement, CellsAreCleanedAndListItemsSplit) {
    const DocElement text = PageAssembler::makeClusterDocElement(
        cluster(DocLabel::text, {" co\x02 ", " \t ", "operate \xEF\xAC\x81"}), 1);
    EXPECT_EQ(text.text, "co- operate \xEF\xAC\x81");  // joined with spaces, not normalised

    const DocElement item = PageAssembler::makeClusterDocElement(cluster(DocLabel::listItem, {"1.2", "word"}), 1);
    EXPECT_EQ(item.kind, DocElementKind::listItem);
    EXPECT_EQ(item.marker, "1.2");
    EXPECT_EQ(item.text, "word");
    EXPECT_EQ(item.orig, "1.2 word");
    EXPECT_TRUE(item.enumerated);

    const DocElement plain = PageAssembler::makeClusterDocElement(cluster(DocLabel::listItem, {"word"}), 1);
    EXPECT_EQ(plain.marker, "");
    EXPECT_EQ(plain.text, "word");
    EXPECT_FALSE(plain.enumerated);
}

TEST(KindForLabel, EveryLabelHasAKind) {
    for (DocLabel label : DocLabels::allCases()) {
        const DocElementKind kind = PageAssembler::kindForLabel(label);
        EXPECT_TRUE(DocElementKinds::fromRawValue(DocElementKinds::rawValue(kind)).has_value());
    }
    EXPECT_EQ(PageAssembler::kindForLabel(DocLabel::checkboxUnselected), DocElementKind::checkbox);
    EXPECT_EQ(PageAssembler::kindForLabel(DocLabel::pageFooter), DocElementKind::text);
    EXPECT_EQ(PageAssembler::kindForLabel(DocLabel::title), DocElementKind::title);
}

}  // namespace
