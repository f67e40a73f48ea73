#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/SidewaysText.h"
#include "models/DetectionFixtures.h"
#include "support/CaseNames.h"

using namespace ce;
using ce::testing::detection;

namespace {

const std::vector<std::string> prose = {
    "The committee met on three occasions during the year to review the",
    "progress of the programme and to agree the priorities for the next",
    "period. Members noted that the number of applications had grown by",
    "a fifth and that the time taken to decide them had fallen again.",
};

enum class Reading { upwards, downwards, upright };

// Lines 15 points thick, 14 apart, each `length` long (340 points for a full line), all
// starting at one edge: sideways lines read upwards go left to right from x = 108 and
// start at the bottom (y = 672); read downwards they go right to left from x = 480 and
// start at the top (y = 132); upright lines go down the page from y = 100.
std::vector<TextCell> linesOf(const std::vector<std::string>& texts, const std::vector<double>& lengths,
                              Reading reading) {
    std::vector<TextCell> lines;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double at = 14.0 * static_cast<double>(i);
        const double length = lengths[i];
        BBox box;
        switch (reading) {
            case Reading::upwards: box = {108 + at, 672 - length, 123 + at, 672}; break;
            case Reading::downwards: box = {465 - at, 132, 480 - at, 132 + length}; break;
            case Reading::upright: box = {72, 100 + at, 72 + length, 115 + at}; break;
        }
        lines.push_back({static_cast<int>(i), texts[i], box, 1, false});
    }
    return lines;
}

BBox around(const std::vector<TextCell>& lines) {
    BBox box = lines.front().bbox;
    for (const TextCell& line : lines) box = box.unionWith(line.bbox);
    return {box.l - 2, box.t - 2, box.r + 2, box.b + 2};
}

// The detections as label and number of lines each holds (half of a line's area inside).
std::vector<std::string> summary(const std::vector<Cluster>& detections, const std::vector<TextCell>& lines) {
    std::vector<std::string> out;
    for (const Cluster& d : detections) {
        int held = 0;
        for (const TextCell& line : lines) held += line.bbox.intersectionArea(d.bbox) >= 0.5 * line.bbox.area();
        out.push_back(std::string(DocLabels::rawValue(d.label)) + " " + std::to_string(held));
    }
    return out;
}

struct Case {
    std::string name;
    Reading reading;
    std::vector<double> lengths;
    // The detections over the lines: "table", "picture" or "text" around all of them,
    // "each" for a text detection per line, "none".
    std::string detected;
    std::vector<std::string> expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class SidewaysTextCases : public ::testing::TestWithParam<Case> {};

}  // namespace

// The lines of a sideways paragraph become one text region whatever the model made of
// them; a figure's turned text, upright lines and the lines of two paragraphs stay apart.
TEST_P(SidewaysTextCases, JoinsTheLinesOfOneSidewaysParagraph) {
    const Case& c = GetParam();
    const std::vector<TextCell> lines = linesOf(prose, c.lengths, c.reading);
    std::vector<Cluster> detections = {detection(1, DocLabel::sectionHeader, {72, 40, 200, 60}, 0.7)};
    if (c.detected == "table") detections.push_back(detection(2, DocLabel::table, around(lines), 0.55));
    if (c.detected == "picture") detections.push_back(detection(2, DocLabel::picture, around(lines), 0.6));
    if (c.detected == "text") detections.push_back(detection(2, DocLabel::text, around(lines), 0.8));
    if (c.detected == "each") {
        for (const TextCell& line : lines)
            detections.push_back(detection(2 + line.index, DocLabel::text, around({line}), 0.6));
    }
    const std::vector<Cluster> result = SidewaysText::joined(detections, lines);
    EXPECT_EQ(summary(result, lines), c.expected);
    for (const Cluster& region : result) {
        if (region.label == DocLabel::text && c.detected != "text" && c.detected != "each") {
            EXPECT_GE(region.confidence, 0.5);
            EXPECT_GE(region.id, 2);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Detections, SidewaysTextCases,
    ::testing::Values(
        Case{"TableReadingUpwardsIsText", Reading::upwards, {340, 338, 339, 335}, "table", {"section_header 0", "text 4"}},
        Case{"TableReadingDownwardsIsText", Reading::downwards, {340, 338, 339, 335}, "table", {"section_header 0", "text 4"}},
        Case{"LineRegionsAreOneParagraph", Reading::downwards, {340, 338, 339, 200}, "each", {"section_header 0", "text 4"}},
        Case{"LinesWithoutRegionAreOneParagraph", Reading::upwards, {340, 338, 339, 200}, "none", {"section_header 0", "text 4"}},
        Case{"ParagraphRegionStays", Reading::upwards, {340, 338, 339, 335}, "text", {"section_header 0", "text 4"}},
        // The second line stops well short of the measure: the third opens a new paragraph.
        Case{"ShortLineEndsTheParagraph", Reading::upwards, {340, 200, 339, 335}, "each",
             {"section_header 0", "text 2", "text 2"}},
        Case{"TextOfAFigureStaysInIt", Reading::upwards, {340, 338, 339, 335}, "picture", {"section_header 0", "picture 4"}},
        Case{"UprightTableStays", Reading::upright, {340, 338, 339, 335}, "table", {"section_header 0", "table 4"}}),
    ce::testing::ByName());

// Turned labels that do not read as prose (a chart's axis titles) are no paragraph.
TEST(SidewaysText, TurnedLabelsStayAsTheyAre) {
    const std::vector<TextCell> lines = linesOf({"Confirmed cases", "Per 100,000"}, {80, 70}, Reading::upwards);
    const std::vector<Cluster> detections = {detection(1, DocLabel::table, around(lines), 0.6)};
    EXPECT_EQ(summary(SidewaysText::joined(detections, lines), lines), std::vector<std::string>{"table 2"});
}
