#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RunningFurniture.h"

using namespace ce;

namespace {

constexpr double pageW = 600;
constexpr double pageH = 800;

DocElement textAt(const std::string& text, BBox box, DocElementKind kind = DocElementKind::text) {
    return DocElement(kind, text, 0, box, std::nullopt, 0, DocLabel::text);
}

// Centred in the bottom band (t / H = 0.95).
DocElement footer(const std::string& text) { return textAt(text, {250, 760, 350, 780}); }
// In the top band, its centre shifted right by `dx` of the page width.
DocElement header(const std::string& text, double dx = 0) {
    return textAt(text, {250 + dx * pageW, 40, 350 + dx * pageW, 60});
}
DocElement picture(BBox box, bool captioned = false) {
    DocElement e(DocElementKind::picture, "", 0, box, std::nullopt, 0, DocLabel::picture);
    if (captioned) e.captions.push_back(textAt("Logo", {box.l, box.b, box.r, box.b + 5}, DocElementKind::caption));
    return e;
}

std::vector<ConvertedPage> pagesOf(const std::vector<std::vector<DocElement>>& bodies) {
    std::vector<ConvertedPage> pages;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        ConvertedPage page;
        page.index = static_cast<int>(i);
        page.width = pageW;
        page.height = pageH;
        page.content.body = bodies[i];
        pages.push_back(page);
    }
    return pages;
}

// A typesetter's slug as printed up the side margin of each page.
std::string slug(const std::string& time, const std::string& frame, const std::string& format) {
    return "VerDate Sep<11>2014 " + time + " Jan 22, 2020 Jkt 250001 PO 00000 Frm " + frame + " Fmt 4701 Sfmt " +
           format + " E:\\FR\\FM\\23JAR1.SGM 23JAR1";
}

std::string repeated(const std::string& unit, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += unit;
    return s;
}

struct MoveCase {
    const char* name;
    std::vector<std::vector<DocElement>> bodies;  // every page also holds one middle paragraph
    bool moved;                                   // whether the band elements become furniture
};

}  // namespace

TEST(RunningFurniture, MovesOnlyRepeatsThatMatch) {
    const std::string e200 = repeated("e\u0301", 200);  // 200 graphemes, 400 code points
    const std::string e201 = repeated("e\u0301", 201);
    const MoveCase cases[] = {
        {"page of total advances", {{footer("Page 1/4")}, {footer("Page 2/4")}, {footer("Page 3/4")}, {footer("Page 4/4")}}, true},
        {"same page of total everywhere", {{footer("Page 3/4")}, {footer("Page 3/4")}, {footer("Page 3/4")}}, true},
        {"only the total differs", {{footer("Page 3/4")}, {footer("Page 3/7")}}, false},
        {"page number advances", {{footer("Page 3")}, {footer("Page 4")}}, true},
        {"page number jumps", {{footer("Page 3")}, {footer("Page 7")}}, false},
        {"page number runs backwards", {{footer("Page 4")}, {footer("Page 3")}}, false},
        {"chapter run equal, last run advances", {{header("Chapter 2 — 14")}, {header("Chapter 2 — 15")}}, true},
        {"number outside a page-number slot", {{header("Report 2024")}, {header("Report 2025")}}, false},
        {"numbers too large to read", {{footer("Page 99999999999999999998")}, {footer("Page 99999999999999999999")}}, false},
        {"centres 0.04 apart", {{header("Annual report")}, {header("Annual report", 0.04)}}, true},
        {"centres 0.06 apart", {{header("Annual report")}, {header("Annual report", 0.06)}}, false},
        {"white space and case differ", {{header("Annual  Report")}, {header("annual\treport ")}}, true},
        {"top versus bottom band", {{header("Annual report")}, {footer("Annual report")}}, false},
        {"200 graphemes", {{header(e200)}, {header(e200)}}, true},
        {"201 graphemes", {{header(e201)}, {header(e201)}}, false},
        {"uncaptioned pictures", {{picture({20, 20, 80, 60})}, {picture({21, 20, 81, 61})}}, true},
        {"captioned picture", {{picture({20, 20, 80, 60}, true)}, {picture({20, 20, 80, 60}, true)}}, false},
        {"pictures of different height", {{picture({20, 20, 80, 60})}, {picture({20, 8, 80, 80})}}, false},
        {"reaches into the middle band", {{textAt("Annual report", {250, 40, 350, 130})}, {textAt("Annual report", {250, 40, 350, 130})}}, false},
        {"margin slug whose numbers advance", {{textAt("Frm 00012", {560, 400, 590, 410})}, {textAt("Frm 00013", {560, 400, 590, 410})}}, true},
        {"margin slug whose number jumps", {{textAt("Frm 00012", {10, 400, 40, 410})}, {textAt("Frm 00019", {10, 400, 40, 410})}}, false},
        {"bare numbers in the margin are no slug", {{textAt("7.6", {560, 400, 590, 410})}, {textAt("7.7", {560, 400, 590, 410})}}, false},
        {"left and right margins differ", {{textAt("12", {10, 400, 40, 410})}, {textAt("13", {560, 400, 590, 410})}}, false},
        {"bare margin page numbers advance", {{textAt("12", {565, 400, 580, 410})}, {textAt("13", {565, 400, 580, 410})}, {textAt("14", {565, 400, 580, 410})}}, true},
        {"bare margin numbers that jump", {{textAt("12", {565, 400, 580, 410})}, {textAt("15", {565, 400, 580, 410})}}, false},
        {"margin page numbers on alternate sides", {{textAt("7", {565, 400, 580, 410})}, {textAt("8", {20, 400, 35, 410})}, {textAt("9", {565, 400, 580, 410})}, {textAt("10", {20, 400, 35, 410})}}, true},
        {"bare number beside the body column", {{textAt("12", {520, 400, 540, 410})}, {textAt("13", {520, 400, 540, 410})}}, false},
        {"slug whose other numbers change", {{textAt(slug("17:29", "00012", "4701"), {10, 150, 30, 650})}, {textAt(slug("17:31", "00013", "4702"), {10, 150, 30, 650})}}, true},
        {"margin note whose other number changes", {{textAt("Note 3, 1998", {10, 400, 50, 410})}, {textAt("Note 4, 2001", {10, 400, 50, 410})}}, false},
        {"slug without an advancing number", {{textAt(slug("17:29", "00012", "4701"), {10, 150, 30, 650})}, {textAt(slug("17:31", "00015", "4701"), {10, 150, 30, 650})}}, false},
        {"table kind is never a candidate", {{textAt("x", {250, 40, 350, 60}, DocElementKind::table)}, {textAt("x", {250, 40, 350, 60}, DocElementKind::table)}}, false},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto bodies = c.bodies;
        for (auto& body : bodies) body.push_back(textAt("Body text", {50, 300, 550, 400}));
        auto pages = pagesOf(bodies);
        RunningFurniture::remove(pages);
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const auto& content = pages[p].content;
            ASSERT_EQ(content.body.size() + content.furniture.size(), bodies[p].size());
            EXPECT_EQ(content.furniture.size(), c.moved ? 1u : 0u);
            EXPECT_EQ(content.body.back().text, "Body text");
        }
    }
}

TEST(RunningFurniture, RepeatOnTheSamePageOrASinglePageStays) {
    auto single = pagesOf({{footer("Page 1"), header("Page 1")}});
    RunningFurniture::remove(single);
    EXPECT_EQ(single[0].content.body.size(), 2u);

    auto samePage = pagesOf({{header("Annual report"), textAt("Annual report", {250, 40, 350, 60})}, {}});
    RunningFurniture::remove(samePage);
    EXPECT_EQ(samePage[0].content.body.size(), 2u);
}

TEST(RunningFurniture, PagesWithoutSizeAreSkipped) {
    auto pages = pagesOf({{header("Annual report")}, {header("Annual report")}});
    pages[1].width = 0;
    RunningFurniture::remove(pages);
    EXPECT_TRUE(pages[0].content.furniture.empty());
    EXPECT_TRUE(pages[1].content.furniture.empty());
}

TEST(RunningFurniture, ExistingFurnitureStaysFirstAndBodyKeepsItsOrder) {
    DocElement existing = header("Detected header");
    existing.label = DocLabel::pageHeader;
    auto pages = pagesOf({{header("Annual report"), textAt("A", {50, 300, 550, 400}), footer("Page 1"),
                           textAt("B", {50, 400, 550, 500})},
                          {header("Annual report"), footer("Page 2")}});
    pages[0].content.furniture.push_back(existing);
    pages[1].content.furniture.push_back(existing);  // it repeats, so it stays furniture
    RunningFurniture::remove(pages);

    const auto& first = pages[0].content;
    ASSERT_EQ(first.furniture.size(), 3u);
    EXPECT_EQ(first.furniture[0].text, "Detected header");
    EXPECT_EQ(first.furniture[1].text, "Annual report");
    EXPECT_EQ(first.furniture[2].text, "Page 1");
    ASSERT_EQ(first.body.size(), 2u);
    EXPECT_EQ(first.body[0].text, "A");
    EXPECT_EQ(first.body[1].text, "B");
    EXPECT_TRUE(pages[1].content.body.empty());
}

TEST(RunningFurniture, KeysAndPageNumberSlots) {
    EXPECT_EQ(RunningFurniture::normalisedKey("Page  12 of 30 #1"), "page # of # \uFF03#");
    struct SlotCase {
        const char* key;
        std::set<int> slots;
    };
    const SlotCase cases[] = {
        {"page # of #", {0}},      {"# of #", {0}},        {"- # -", {0}},
        {"chapter # — #", {1}},    {"# | annual report", {0}}, {"report #", {}},
        {"pág. #-#", {1}},         {"p. #", {0}},           {"the # owners", {}},
    };
    for (const SlotCase& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(RunningFurniture::pageNumberSlots(c.key), c.slots);
    }
}

// Headers and footers that the layout model found are furniture wherever they sit and
// whether or not they repeat; the pass over the pages never gives them back to the body.
TEST(RunningFurniture, ModelFurnitureStaysFurniture) {
    auto detected = [](DocElement e) {
        e.label = e.bbox.t < pageH / 2 ? DocLabel::pageHeader : DocLabel::pageFooter;
        return e;
    };
    const std::string longFooter = repeated("Registered office 1 Main Street. ", 6) + "Company no 1";  // 210 characters
    struct Case {
        const char* name;
        std::vector<std::vector<DocElement>> furniture;  // per page; every body holds one paragraph
    };
    const Case cases[] = {
        {"two-line memo header of a one-page document",
         {{detected(textAt("MEMORANDUM", {50, 30, 250, 45})), detected(textAt("Internal use only", {50, 48, 250, 60}))}}},
        {"header left on page 1 and right on page 2",
         {{detected(textAt("ACME Ltd", {50, 40, 150, 60}))}, {detected(textAt("ACME Ltd", {450, 40, 550, 60}))}}},
        {"210-character footer on three pages",
         {{detected(footer(longFooter))}, {detected(footer(longFooter))}, {detected(footer(longFooter))}}},
        {"header outside the bands", {{detected(textAt("Annual report", {250, 200, 350, 220}))}}},
    };
    ASSERT_EQ(longFooter.size(), 210u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pages = pagesOf(std::vector<std::vector<DocElement>>(c.furniture.size(), {textAt("Body text", {50, 300, 550, 400})}));
        for (std::size_t p = 0; p < pages.size(); ++p) pages[p].content.furniture = c.furniture[p];
        RunningFurniture::remove(pages);
        for (std::size_t p = 0; p < pages.size(); ++p) {
            ASSERT_EQ(pages[p].content.body.size(), 1u) << "page " << p;
            EXPECT_EQ(pages[p].content.body[0].text, "Body text");
            EXPECT_EQ(pages[p].content.furniture.size(), c.furniture[p].size()) << "page " << p;
        }
    }
}
