#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/HeadingLines.h"

using namespace ce;

namespace {

struct Line {
    std::string text;
    double l, t, r, size;  // left edge, top, right edge and type size (line height) in points
};

struct Region {
    DocLabel label;
    BBox box;
};

struct Page {
    std::vector<Cluster> detections;
    std::vector<TextCell> lines;
};

// The lines of a page around a heading, the body in 11-point type; the detections as given.
Page pageOf(const std::vector<Line>& lines, const std::vector<Region>& regions) {
    Page page;
    for (const Line& line : lines) {
        page.lines.push_back({static_cast<int>(page.lines.size()), line.text,
                              BBox{line.l, line.t, line.r, line.t + line.size}, 1, false});
    }
    for (const Region& region : regions) {
        Cluster detection;
        detection.id = static_cast<int>(page.detections.size()) + 1;
        detection.label = region.label;
        detection.bbox = region.box;
        detection.confidence = 0.8;
        page.detections.push_back(detection);
    }
    return page;
}

const std::vector<Line> body = {
    {"The previous section described how the survey was drawn and which", 72, 60, 520, 11},
    {"households answered it, and what they said about their savings.", 72, 74, 500, 11},
    {"Household participation in the stock market has been low in rural", 72, 170, 520, 11},
    {"areas for decades, and it has not risen with incomes since then.", 72, 184, 505, 11},
};

const Region bodyAbove{DocLabel::text, {71, 59, 521, 86}};
const Region bodyBelow{DocLabel::text, {71, 169, 521, 196}};

std::vector<Line> withLines(std::vector<Line> lines) {
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
}

}  // namespace

// A heading's box that holds only its first line grows over the lines that continue it;
// lines that start something else stay apart.
TEST(HeadingLines, GrowsAHeadingOverItsNextLinesOnly) {
    struct Case {
        std::string name;
        std::vector<Line> lines;
        std::vector<Region> regions;  // the heading detection first
        BBox grownTo;                 // the heading's box afterwards
        std::size_t detections;       // afterwards
    };
    const BBox firstLine{71, 109, 350, 127};
    const std::vector<Case> cases = {
        {"HyphenatedWordOnALooseLine",
         {{"3 Determinants of Household Stock Mar-", 72, 110, 349, 16},
          {"ket Participation in Rural Areas", 72, 130, 290, 16}},
         {{DocLabel::sectionHeader, firstLine}, bodyAbove, bodyBelow},
         {71, 109, 350, 146},
         3},
        {"SecondLineDetectedAsAHeadingOfItsOwn",
         {{"3 Determinants of Household Stock", 72, 110, 320, 16},
          {"Market Participation in Rural Areas", 72, 130, 300, 16}},
         {{DocLabel::sectionHeader, firstLine}, bodyAbove, bodyBelow, {DocLabel::sectionHeader, {70, 129, 302, 147}}},
         {70, 109, 350, 147},
         3},
        {"LowercaseContinuationInBodySizedBoldType",
         {{"Results of the survey among", 72, 110, 230, 11}, {"rural households", 72, 124, 170, 11}},
         {{DocLabel::sectionHeader, {71, 109, 231, 122}}, bodyAbove, bodyBelow},
         {71, 109, 231, 135},
         3},
        {"BodySizedLineStartingAWordInCapitals",
         {{"Results of the survey", 72, 110, 200, 11}, {"Households answered in all regions.", 72, 124, 260, 11}},
         {{DocLabel::sectionHeader, {71, 109, 201, 122}}, bodyAbove, bodyBelow},
         {71, 109, 201, 122},
         3},
        {"SentenceInHeadingSizedType",
         {{"Paths", 72, 110, 120, 16}, {"Let g be a path in the space X.", 72, 130, 290, 16}},
         {{DocLabel::sectionHeader, {71, 109, 121, 127}}, bodyAbove, bodyBelow},
         {71, 109, 121, 127},
         3},
        {"NumberedSubsectionRightBelow",
         {{"3 Determinants of Household Stock", 72, 110, 320, 16}, {"3.1 Data and Sample", 72, 130, 220, 16}},
         {{DocLabel::sectionHeader, firstLine}, bodyAbove, bodyBelow, {DocLabel::sectionHeader, {71, 129, 221, 147}}},
         firstLine,
         4},
        {"LineOfAParagraphBelow",
         {{"3 Determinants of Household Stock", 72, 110, 320, 16},
          {"market participation is low", 72, 130, 290, 16}},
         {{DocLabel::sectionHeader, firstLine}, bodyAbove, bodyBelow, {DocLabel::text, {71, 129, 291, 147}}},
         firstLine,
         4},
        {"SmallerSubtitleBelow",
         {{"Annual Report 2025", 72, 110, 320, 24}, {"fiscal year ended 31 December", 72, 137, 260, 12}},
         {{DocLabel::title, {71, 109, 321, 135}}, bodyAbove, bodyBelow},
         {71, 109, 321, 135},
         3},
        {"LineFarBelow",
         {{"3 Determinants of Household Stock Mar-", 72, 110, 349, 16}, {"ket Participation", 72, 150, 200, 16}},
         {{DocLabel::sectionHeader, firstLine}, bodyAbove, {DocLabel::text, {71, 169, 521, 196}}},
         firstLine,
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page = pageOf(withLines(c.lines), c.regions);
        const auto joined = HeadingLines::joined(page.detections, page.lines);
        ASSERT_EQ(joined.size(), c.detections);
        EXPECT_EQ(joined[0].label, c.regions[0].label);
        EXPECT_EQ(joined[0].bbox, c.grownTo);
    }
}
