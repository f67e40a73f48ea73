#include <gtest/gtest.h>

#include <cmath>

#include "core/BBox.h"
#include "core/ConversionError.h"
#include "core/ConversionOptions.h"
#include "core/DocElement.h"
#include "core/DocLabel.h"
#include "core/EngineError.h"
#include "core/TableStructure.h"
#include "core/TextCell.h"
#include "support/CaseNames.h"

using namespace ce;

namespace {
struct BoxCase {
    const char* name;
    BBox a;
    BBox b;
    double intersection;
    double iou;
    double overSelf;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class BBoxOperations : public ::testing::TestWithParam<BoxCase> {};
}  // namespace

TEST_P(BBoxOperations, AreFiniteAndMatch) {
    const BoxCase& c = GetParam();
    EXPECT_DOUBLE_EQ(c.a.intersectionArea(c.b), c.intersection);
    EXPECT_DOUBLE_EQ(c.a.iou(c.b), c.iou);
    EXPECT_DOUBLE_EQ(c.a.intersectionOverSelf(c.b), c.overSelf);
    EXPECT_FALSE(std::isnan(c.a.iou(c.b)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BBoxOperations,
    ::testing::Values(BoxCase{"identical", {0, 0, 2, 2}, {0, 0, 2, 2}, 4, 1, 1},
                      BoxCase{"touching", {0, 0, 2, 2}, {2, 0, 4, 2}, 0, 0, 0},
                      BoxCase{"zeroArea", {1, 1, 1, 1}, {1, 1, 1, 1}, 0, 0, 0},
                      BoxCase{"inverted", {3, 0, 1, 2}, {0, 0, 4, 2}, 0, 0, 0},
                      BoxCase{"half", {0, 0, 2, 2}, {1, 0, 3, 2}, 2, 2.0 / 6.0, 0.5}),
    ce::testing::ByName{});

TEST(BBox, GeometryOfInvertedAndNestedBoxes) {
    const BBox inverted{3, 0, 1, 2};
    EXPECT_EQ(inverted.area(), 0);
    EXPECT_EQ(inverted.width(), -2);
    const BBox outer{0, 0, 10, 10};
    EXPECT_EQ(outer.unionWith({2, 2, 3, 3}), outer);
    EXPECT_EQ(BBox({1, 2, 3, 4}).scaled(2), BBox({2, 4, 6, 8}));
}

TEST(TextCell, EqualityIsCanonical) {
    TextCell a{0, "caf\xC3\xA9", {0, 0, 1, 1}, 1, false};  // precomposed é
    TextCell b{0, "cafe\xCC\x81", {0, 0, 1, 1}, 1, false};  // e + combining acute
    EXPECT_EQ(a, b);
    b.index = 1;
    EXPECT_NE(a, b);
}

TEST(RawValues, RoundTripAndRejectCaseNames) {
    EXPECT_EQ(DocLabels::fromRawValue("list_item"), DocLabel::listItem);
    EXPECT_EQ(DocLabels::fromRawValue("listItem"), std::nullopt);
    EXPECT_EQ(DocLabels::modelOrder()[16], DocLabel::keyValueRegion);
    for (DocLabel label : DocLabels::allCases()) {
        EXPECT_EQ(DocLabels::fromRawValue(DocLabels::rawValue(label)), label);
    }
    EXPECT_EQ(DocElementKinds::fromRawValue("keyValue"), DocElementKind::keyValue);
    EXPECT_EQ(OutputFormats::fromRawValue("md"), std::nullopt);
    EXPECT_EQ(OutputFormats::fileExtension(OutputFormat::markdown), "md");
    EXPECT_EQ(Languages::fromRawValue("auto"), ConversionOptions::Language::automatic);
    EXPECT_EQ(Languages::ocrLanguages(ConversionOptions::Language::spanish),
              (std::vector<std::string>{"es-ES", "en-US"}));
}

TEST(DocElement, OrigDefaultsToText) {
    const DocElement e(DocElementKind::text, "hello", 0, {}, std::nullopt, 3, DocLabel::text);
    EXPECT_EQ(e.orig, "hello");
    const DocElement f(DocElementKind::text, "hello", 0, {}, std::nullopt, 3, DocLabel::text, "raw");
    EXPECT_EQ(f.orig, "raw");
}

namespace {
TableCellItem cell(int r0, int r1, int c0, int c1) {
    TableCellItem c;
    c.startRow = r0;
    c.endRow = r1;
    c.startCol = c0;
    c.endCol = c1;
    return c;
}
}  // namespace

TEST(TableStructure, WithoutOverlapsClipsColumnsThenRows) {
    TableStructure t;
    t.cells = {cell(0, 1, 0, 3), cell(0, 1, 2, 3), cell(0, 4, 0, 1), cell(1, 2, 0, 1), cell(0, 1, 0, 1)};
    const TableStructure out = t.withoutOverlaps();
    EXPECT_EQ(out.cells[0].endCol, 2);  // clipped by the cell starting at column 2
    EXPECT_EQ(out.cells[2].endRow, 1);  // clipped by the cell starting at row 1
    EXPECT_EQ(out.cells[4].endCol, 1);  // same origin as cell 0: not clipped
    EXPECT_EQ(out.cells[4].endRow, 1);

    TableStructure plain;
    plain.cells = {cell(0, 1, 0, 1), cell(0, 1, 1, 2)};
    const TableStructure same = plain.withoutOverlaps();
    EXPECT_EQ(same.cells[1].endCol, 2);
}

TEST(Errors, DescriptionsAndEquality) {
    const ConversionError locked(ConversionError::Kind::passwordProtected, "/tmp/scan.pdf");
    EXPECT_EQ(locked.description(), "scan.pdf is password-protected");
    EXPECT_EQ(ConversionError(ConversionError::Kind::noPages, "/a/x.pdf").description(),
              "x.pdf has no pages to convert");
    EXPECT_FALSE(ConversionError(ConversionError::Kind::unreadable, "/a") ==
                 ConversionError(ConversionError::Kind::unreadable, "/b"));
    EXPECT_FALSE(ConversionError(ConversionError::Kind::unreadable, "/a") ==
                 ConversionError(ConversionError::Kind::unsupportedFile, "/a"));
    EXPECT_EQ(EngineError::modelOutput("layout").description(), "unexpected model output: layout");
    EXPECT_EQ(EngineError::modelMissing("/m/X.mlpackage").description(), "model not found: /m/X.mlpackage");
}

#include "core/Regex.h"
#include "core/Unicode.h"

TEST(Regex, LookBehindAndUnicodeClasses) {
    static const Regex spaced(u"(?<=\\p{L}) (?=\\p{L})");
    EXPECT_EQ(toUtf8(spaced.replaceAll(toUnicode("é t é"), "")), "été");
    static const Regex digits(u"^\\d+$");
    EXPECT_TRUE(digits.matches(toUnicode("١٢٣")));  // Arabic-Indic digits are \d in ICU
    EXPECT_FALSE(digits.find(toUnicode("abc")));
}
