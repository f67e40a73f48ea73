#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/TableBoxes.h"

using namespace ce;

namespace {

TextCell line(int index, BBox box) {
    TextCell cell;
    cell.index = index;
    cell.text = "line " + std::to_string(index);
    cell.bbox = box;
    return cell;
}

Cluster detection(int id, DocLabel label, BBox box) {
    Cluster cluster;
    cluster.id = id;
    cluster.label = label;
    cluster.bbox = box;
    return cluster;
}

}  // namespace

// A table box that starts inside its first column and stops above the total row's
// lower edge takes the labels and the total row it cuts; the caption above (mostly
// outside), the paragraph beside it and a text region are left alone, and lines that
// only reach a grown edge do not pull the box further.
TEST(TableBoxes, TableGrowsToTheLinesItCutsAndNoFurther) {
    const std::vector<TextCell> lines = {
        line(0, {100, 80, 300, 92}),    // caption, ends 2 points inside the box's top
        line(1, {90, 100, 160, 112}),   // "Australia", box edge at x 110 cuts it
        line(2, {200, 100, 260, 112}),  // a number well inside
        line(3, {90, 190, 150, 206}),   // "Total", half below the box's bottom
        line(4, {60, 120, 95, 132}),    // touches the grown left edge only
        line(5, {420, 100, 600, 112}),  // paragraph beside the table
        line(6, {0, 0, 0, 0}),          // no area
    };
    const std::vector<Cluster> detections = {detection(1, DocLabel::table, {110, 90, 400, 198}),
                                             detection(2, DocLabel::text, {90, 100, 160, 112}),
                                             detection(3, DocLabel::documentIndex, {10, 300, 50, 400})};
    const std::vector<Cluster> grown = TableBoxes::grown(detections, lines);
    ASSERT_EQ(grown.size(), 3u);
    EXPECT_EQ(grown[0].bbox, (BBox{90, 90, 400, 206}));
    EXPECT_EQ(grown[1].bbox, detections[1].bbox);
    EXPECT_EQ(grown[2].bbox, detections[2].bbox);
}

// A right-aligned amount column that the box's right edge only just touches belongs
// to the table when it runs beside the table's rows and no other region holds it; an
// amount that a text region holds, and a line that only the bottom edge touches, stay
// out.
TEST(TableBoxes, SideEdgeTakesTheColumnItJustTouches) {
    const std::vector<TextCell> lines = {
        line(0, {531, 100, 550, 107}),  // "$51.24", the edge at x 532 cuts it
        line(1, {530, 110, 556, 117}),  // "$1,066.12", held by the text region below
        line(2, {100, 199, 300, 211}),  // a note under the table, its top at the bottom edge
    };
    std::vector<Cluster> detections = {detection(1, DocLabel::table, {60, 90, 532, 200}),
                                       detection(2, DocLabel::text, {528, 109, 558, 118})};
    detections[1].confidence = 0.8;
    const std::vector<Cluster> grown = TableBoxes::grown(detections, lines);
    EXPECT_EQ(grown[0].bbox, (BBox{60, 90, 550, 200}));

    detections[1].confidence = 0.2;  // a doubtful region holds nothing
    EXPECT_EQ(TableBoxes::grown(detections, lines)[0].bbox, (BBox{60, 90, 556, 200}));
}
