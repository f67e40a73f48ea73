#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/HeaderTitles.h"
#include "models/DetectionFixtures.h"

using namespace ce;
using ce::testing::addLine;

namespace {

// A page of 11-point body lines below whatever the case puts at its top.
std::vector<TextCell> bodyLines() {
    std::vector<TextCell> lines;
    for (int i = 0; i < 20; ++i) addLine(lines, "Body text of the page, line " + std::to_string(i), {72, 200.0 + 14 * i, 520, 211.0 + 14 * i});
    return lines;
}

}  // namespace

// A page header in the page's largest type, with no page number, is the page's title; a
// memo header, a running header and a header holding a page number stay page headers.
TEST(HeaderTitles, OnlyTheLargestTypeWithoutAPageNumberIsATitle) {
    struct Line {
        std::string text;
        BBox box;
    };
    struct Case {
        std::string name;
        std::vector<Line> header;  // the lines inside the page-header detection
        DocLabel expected;
    };
    const std::vector<Case> cases = {
        {"BigTitle", {{"Quarterly Report", {150, 60, 450, 92}}}, DocLabel::title},
        {"TwoLineMemoHeader", {{"MEMORANDUM", {72, 30, 200, 41}}, {"Internal use only", {72, 44, 220, 55}}},
         DocLabel::pageHeader},
        {"BigHeaderWithPageNumber", {{"Page 3", {150, 60, 450, 92}}}, DocLabel::pageHeader},
        {"NotTheLargestType", {{"Annual Review", {150, 60, 450, 80}}}, DocLabel::pageHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextCell> lines = bodyLines();
        BBox box = c.header.front().box;
        for (const Line& line : c.header) {
            addLine(lines, line.text, line.box);
            box = box.unionWith(line.box);
        }
        if (c.name == "NotTheLargestType") addLine(lines, "Larger subtitle", {150, 120, 450, 150});
        Cluster header;
        header.id = 1;
        header.label = DocLabel::pageHeader;
        header.bbox = {box.l - 1, box.t - 1, box.r + 1, box.b + 1};
        header.confidence = 0.9;
        const auto corrected = HeaderTitles::relabelled({header}, lines);
        ASSERT_EQ(corrected.size(), 1u);
        EXPECT_EQ(corrected[0].label, c.expected);
    }
}

// A page whose only text the model calls a page header keeps that text.
TEST(HeaderTitles, AHeaderHoldingAllThePagesTextIsText) {
    std::vector<TextCell> lines;
    addLine(lines, "This is a link to an awesome blog.", {72, 60, 300, 72});
    Cluster header;
    header.id = 1;
    header.label = DocLabel::pageHeader;
    header.bbox = {70, 58, 302, 74};
    header.confidence = 0.6;
    EXPECT_EQ(HeaderTitles::relabelled({header}, lines).front().label, DocLabel::text);
}
