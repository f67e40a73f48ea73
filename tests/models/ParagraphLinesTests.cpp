#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/ParagraphLines.h"

using namespace ce;

namespace {

struct Line {
    std::string text;
    double l, r, size;  // left and right edge, type size (line height) in points
};

// Each line as a text detection of its own, the lines 1.2 sizes apart from the top.
struct Page {
    std::vector<Cluster> detections;
    std::vector<TextCell> lines;
};

Page boxPerLine(const std::vector<Line>& lines) {
    Page page;
    double top = 100;
    for (const Line& line : lines) {
        const BBox box{line.l, top, line.r, top + line.size};
        page.lines.push_back({static_cast<int>(page.lines.size()), line.text, box, 1, false});
        Cluster detection;
        detection.id = static_cast<int>(page.detections.size()) + 1;
        detection.label = DocLabel::text;
        detection.bbox = {box.l - 1, box.t - 1, box.r + 1, box.b + 1};
        detection.confidence = 0.8;
        page.detections.push_back(detection);
        top += 1.2 * line.size;
    }
    return page;
}

}  // namespace

// Boxes of single lines are joined only where they are lines of one paragraph: fields,
// addresses, a caption below its text and a new indented paragraph stay apart.
TEST(ParagraphLines, JoinsOnlyLinesOfOneParagraph) {
    struct Case {
        std::string name;
        std::vector<Line> lines;
        std::size_t regions;
    };
    const std::vector<Case> cases = {
        {"ParagraphCutIntoLines",
         {{"The quarterly figures show that the shops in the north sold more", 72, 520, 11},
          {"than in any quarter before, while the shops in the south kept their", 72, 519, 11},
          {"level of the year before.", 72, 210, 11}},
         1},
        {"KeyValueLines",
         {{"Account holder: Jane Doe of the north branch of the bank, personal", 72, 520, 11},
          {"Account number: 1234 5678 9012 3456 7890 1234 5678 9012 3456 78", 72, 520, 11},
          {"Branch: Main street, Springfield, in the state of the north of it", 72, 520, 11},
          {"Currency: euro", 72, 160, 11}},
         4},
        {"AddressLines",
         {{"Jane Doe", 72, 130, 11}, {"12 High Street", 72, 160, 11}, {"Springfield", 72, 140, 11},
          {"Dear Jane, thank you for your letter of the fourth of May about the shops", 72, 520, 11}},
         4},
        {"SmallerCaptionBelowAParagraph",
         {{"The quarterly figures show that the shops in the north sold more", 72, 520, 11},
          {"than in any quarter before, as the chart below shows for each shop", 72, 520, 9}},
         2},
        {"IndentedNextParagraph",
         {{"The quarterly figures show that the shops in the north sold more", 72, 520, 11},
          {"Then the south followed with a quarter of its own of the same kind", 90, 520, 11}},
         2},
        {"ShortLineEndsTheParagraph",
         {{"The quarterly figures show that the shops sold more.", 72, 400, 11},
          {"Then the south followed with a quarter of its own of the same kind", 72, 520, 11}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Page page = boxPerLine(c.lines);
        const auto joined = ParagraphLines::joined(page.detections, page.lines);
        EXPECT_EQ(joined.size(), c.regions);
        if (c.regions == 1) {
            EXPECT_DOUBLE_EQ(joined[0].bbox.t, page.detections.front().bbox.t);
            EXPECT_DOUBLE_EQ(joined[0].bbox.b, page.detections.back().bbox.b);
        }
    }
}

// A paragraph box that stops short of its last line takes that line in; a loose line below
// a short line (the end of the paragraph above) stays out.
TEST(ParagraphLines, TakesInTheLastLineItsBoxMissed) {
    for (const bool continued : {true, false}) {
        SCOPED_TRACE(continued ? "continued" : "afterAShortLine");
        Page page = boxPerLine({{"The quarterly figures show that the shops in the north sold more", 72,
                                 continued ? 520.0 : 400.0, 11},
                                {"than in any quarter before, while the shops in the south kept their", 72, 519, 11}});
        page.detections.pop_back();
        const auto joined = ParagraphLines::joined(page.detections, page.lines);
        ASSERT_EQ(joined.size(), 1u);
        EXPECT_EQ(joined[0].bbox.b >= page.lines.back().bbox.b, continued);
    }
}
