#include <gtest/gtest.h>

#include "models/OTSL.h"
#include "support/CaseNames.h"

using namespace ce;
using Tokens = OTSL::Tokens;

namespace {
struct HTMLCase {
    const char* name;
    Tokens otsl;
    Tokens html;
};

void PrintTo(const HTMLCase& c, std::ostream* os) { *os << ce::testing::printable(c.name); }

class OTSLToHTML : public ::testing::TestWithParam<HTMLCase> {};
}  // namespace

TEST_P(OTSLToHTML, Converts) { EXPECT_EQ(OTSL::toHTML(GetParam().otsl), GetParam().html); }

INSTANTIATE_TEST_SUITE_P(
    Cases, OTSLToHTML,
    ::testing::Values(
        HTMLCase{"plain",
                 {"fcel", "fcel", "nl", "fcel", "fcel", "nl"},
                 {"<tr>", "<td>", "</td>", "<td>", "</td>", "</tr>", "<tr>", "<td>", "</td>", "<td>", "</td>", "</tr>"}},
        HTMLCase{"alreadyHTML", {"<td>", "x"}, {"<td>", "x"}},
        HTMLCase{"empty", {}, {}},
        HTMLCase{"header",
                 {"ched", "ched", "nl", "fcel", "fcel", "nl"},
                 {"<thead>", "<tr>", "<td>", "</td>", "<td>", "</td>", "</tr>", "</thead>", "<tr>", "<td>", "</td>",
                  "<td>", "</td>", "</tr>"}},
        HTMLCase{"colspan", {"fcel", "lcel", "lcel", "nl"}, {"<tr>", "<td", " colspan=\"3\"", ">", "</td>", "</tr>"}},
        HTMLCase{"rowspan",
                 {"fcel", "nl", "ucel", "nl"},
                 {"<tr>", "<td", " rowspan=\"2\"", ">", "</td>", "</tr>", "<tr>", "</tr>"}},
        HTMLCase{"twoWay",
                 {"fcel", "xcel", "nl", "ucel", "xcel", "nl"},
                 {"<tr>", "<td", " rowspan=\"2\"", " rowspan=\"2\"", " colspan=\"2\"", ">", "</td>", "</tr>", "<tr>",
                  "</tr>"}},
        HTMLCase{"raggedIsPadded",
                 {"fcel", "fcel", "nl", "fcel", "nl"},
                 {"<tr>", "<td>", "</td>", "<td>", "</td>", "</tr>", "<tr>", "<td", " colspan=\"2\"", ">", "</td>",
                  "</tr>"}}),
    ce::testing::ByName{});

TEST(OTSL, RowsAndPadding) {
    EXPECT_EQ(OTSL::rows({"nl", "fcel", "nl", "nl", "ecel"}).size(), 2u);
    EXPECT_TRUE(OTSL::isRectangular({}));
    EXPECT_FALSE(OTSL::isRectangular({"fcel", "fcel", "nl", "fcel", "nl"}));
    EXPECT_EQ(OTSL::padToRectangle({"fcel", "fcel", "nl", "fcel"}, "ecel"),
              (Tokens{"fcel", "fcel", "nl", "fcel", "ecel", "nl"}));
}

TEST(OTSL, ParsesSpansBack) {
    using Spans = std::map<int, std::pair<int, int>>;
    EXPECT_EQ(OTSL::parseHTML({"<tr>", "<td", " colspan=\"2\"", ">", "</td>", "</tr>"}), (Spans{{0, {2, 1}}}));
    EXPECT_EQ(OTSL::parseHTML({"<tr>", "<td", " colspan=\"2\"", " rowspan=\"3\"", ">", "</td>", "</tr>"}),
              (Spans{{0, {2, 3}}}));
    // Spans beyond 20 are read as written.
    Tokens wide = {"<tr>", "<td", " colspan=\"25\"", ">", "</td>", "</tr>"};
    EXPECT_EQ(OTSL::parseHTML(wide), (Spans{{0, {25, 1}}}));
    EXPECT_THROW(OTSL::parseHTML({"<tr>", " rowspan=\"2\"", "</tr>"}), OTSL::ConversionError);
}

TEST(OTSL, RoundTripKeepsSpansOfEveryCell) {
    // A rowspan in the first column and a colspan in the second row.
    const Tokens otsl = {"fcel", "fcel", "fcel", "fcel", "nl",
                         "ucel", "fcel", "lcel", "fcel", "nl",
                         "fcel", "fcel", "fcel", "fcel", "nl"};
    const auto spans = OTSL::parseHTML(OTSL::toHTML(otsl));
    ASSERT_TRUE(spans.has_value());
    using Spans = std::map<int, std::pair<int, int>>;
    EXPECT_EQ(*spans, (Spans{{0, {1, 2}}, {4, {2, 1}}}));
}

// Malformed HTML tokens give a typed outcome, never a crash: spans read as far as they
// make sense, no value for rows that do not line up, or OTSL::ConversionError.
TEST(OTSL, MalformedInputGivesATypedOutcome) {
    using Spans = std::map<int, std::pair<int, int>>;
    enum class Outcome { spans, noValue, conversionError };
    struct Case {
        const char* what;
        Tokens html;
        Outcome outcome;
        Spans spans;
    };
    const Case cases[] = {
        {"rows without cells", {"</tr>", "</tr>"}, Outcome::spans, {}},
        {"span that is not a number", {"<td", " colspan=\"x\"", "</tr>"}, Outcome::spans, {}},
        {"span before any cell", {" colspan=\"2\""}, Outcome::conversionError, {}},
        {"span beyond the largest one read is ignored",
         {"<tr>", "<td", " rowspan=\"999999999\"", "</tr>", "<td>", "</tr>"},
         Outcome::spans,
         {}},
        {"row longer than the row above", {"<td>", "</tr>", "<td>", "<td>", "</tr>"}, Outcome::noValue, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<Spans> spans;
        try {
            spans = OTSL::parseHTML(c.html);
        } catch (const OTSL::ConversionError& e) {
            EXPECT_EQ(c.outcome, Outcome::conversionError) << e.what();
            EXPECT_EQ(e.kind(), OTSL::ConversionError::Kind::indexOutOfRange);
            continue;
        }
        if (c.outcome == Outcome::spans) {
            ASSERT_TRUE(spans.has_value());
            EXPECT_EQ(*spans, c.spans);
        } else {
            EXPECT_EQ(c.outcome, Outcome::noValue) << "no error was thrown";
            EXPECT_FALSE(spans.has_value());
        }
    }
}
