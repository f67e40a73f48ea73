#include "output/DOCXStyles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace ce::DOCXWriter;

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

TEST(DOCXMarkers, ParsesDigitsAndSingleLettersOnly) {
    struct Case {
        const char* marker;
        std::optional<std::pair<ListFormat, int>> expected;
    };
    const Case cases[] = {
        {"1.", std::pair{ListFormat::decimalDot, 1}},
        {"3)", std::pair{ListFormat::decimalParen, 3}},
        {"0.", std::pair{ListFormat::decimalDot, 0}},
        {"0007)", std::pair{ListFormat::decimalParen, 7}},
        {"9999.", std::pair{ListFormat::decimalDot, 9999}},
        {"b.", std::pair{ListFormat::lowerDot, 2}},
        {"z)", std::pair{ListFormat::lowerParen, 26}},
        {"C.", std::pair{ListFormat::upperDot, 3}},
        {"A)", std::pair{ListFormat::upperParen, 1}},
        {"\u2022", std::nullopt},
        {"-", std::nullopt},
        {"(a)", std::nullopt},
        {"iv.", std::nullopt},
        {"1.2", std::nullopt},
        {"10000.", std::nullopt},
        {"1", std::nullopt},
        {"", std::nullopt},
        {" 1.", std::nullopt},
        {"1.\n", std::nullopt},
        {"\u00e9.", std::nullopt},
        {"\uff11.", std::nullopt},  // a full-width digit is not an ASCII digit
    };
    for (const Case& c : cases) EXPECT_EQ(parseMarker(c.marker), c.expected) << '"' << c.marker << '"';
}

TEST(DOCXEscaping, MarkupAndControlCharacters) {
    struct Case {
        std::string text;
        bool quotes;
        std::string expected;
    };
    const Case cases[] = {
        {"a<b>&c", false, "a&lt;b&gt;&amp;c"},
        {"&amp;", false, "&amp;amp;"},
        {"say \"hi\" it's", false, "say \"hi\" it's"},
        {"say \"hi\" it's", true, "say &quot;hi&quot; it's"},
        {"tab\tline\nreturn\r", false, "tab\tline\nreturn\r"},
        {std::string("a\x00" "b\x01\x08\x0b\x0c\x1f" "c", 9), false, "abc"},
        {"x\uFFFEy\uFFFFz\uFFFD", false, "xyz\uFFFD"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", false, "caf\u00e9 \U0001F600"},
        {"bad\xFF" "byte", false, "bad\uFFFDbyte"},
    };
    for (const Case& c : cases) EXPECT_EQ(xmlEscaped(c.text, c.quotes), c.expected) << c.text;
}

TEST(DOCXNumbering, SevenAbstractNumberingsThenOneInstancePerList) {
    const std::string empty = numberingXML({});
    EXPECT_EQ(count(empty, "<w:abstractNum "), 7u);
    EXPECT_EQ(count(empty, "<w:num "), 0u);
    EXPECT_NE(empty.find("<w:abstractNum w:abstractNumId=\"1\"><w:multiLevelType w:val=\"singleLevel\"/><w:lvl "
                         "w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"bullet\"/><w:lvlText "
                         "w:val=\"\xEF\x82\xB7\"/><w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" "
                         "w:hanging=\"360\"/></w:pPr><w:rPr><w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\" "
                         "w:hint=\"default\"/></w:rPr></w:lvl></w:abstractNum>"),
              std::string::npos);
    EXPECT_NE(empty.find("w:abstractNumId=\"5\"><w:multiLevelType w:val=\"singleLevel\"/><w:lvl w:ilvl=\"0\"><w:start "
                         "w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%1)\"/>"),
              std::string::npos);
    EXPECT_TRUE(empty.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:numbering "));
    EXPECT_TRUE(empty.ends_with("</w:abstractNum></w:numbering>"));

    const std::string two = numberingXML({{ListFormat::lowerParen, 2}, {ListFormat::decimalDot, -3}});
    EXPECT_NE(two.find("<w:num w:numId=\"1\"><w:abstractNumId w:val=\"5\"/><w:lvlOverride w:ilvl=\"0\">"
                       "<w:startOverride w:val=\"2\"/></w:lvlOverride></w:num><w:num w:numId=\"2\"><w:abstractNumId "
                       "w:val=\"2\"/><w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"0\"/></w:lvlOverride>"
                       "</w:num></w:numbering>"),
              std::string::npos);
}

TEST(DOCXStyles, LanguageDefaultsAndHeadingSizes) {
    const std::string styles = stylesXML("es-MX");
    EXPECT_NE(styles.find("<w:lang w:val=\"es-MX\" w:eastAsia=\"es-MX\" w:bidi=\"ar-SA\"/>"), std::string::npos);
    EXPECT_NE(stylesXML("x\"<y").find("<w:lang w:val=\"x&quot;&lt;y\" w:eastAsia=\"x&quot;&lt;y\""),
              std::string::npos);
    EXPECT_EQ(headingStyleXML(5, 22),
              "<w:style w:type=\"paragraph\" w:styleId=\"Heading5\"><w:name w:val=\"heading 5\"/><w:basedOn "
              "w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority w:val=\"9\"/><w:qFormat/><w:pPr><w:keepNext/>"
              "<w:keepLines/><w:spacing w:before=\"240\" w:after=\"120\"/><w:outlineLvl w:val=\"4\"/></w:pPr><w:rPr>"
              "<w:b/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/></w:rPr></w:style>");
    const int sizes[] = {32, 28, 26, 24, 22, 22};
    for (int level = 1; level <= 6; ++level) {
        EXPECT_NE(styles.find(headingStyleXML(level, sizes[level - 1])), std::string::npos) << level;
    }
    EXPECT_NE(headingStyleXML(2, 28).find("w:before=\"360\""), std::string::npos);
    for (const char* id : {"Normal", "Title", "Caption", "FootnoteText", "ListParagraph", "Code", "Formula",
                           "TableNormal", "TableGrid"}) {
        EXPECT_EQ(count(styles, std::string("w:styleId=\"") + id + "\""), 1u) << id;
    }
    EXPECT_EQ(count(styles, "w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"), 6u);
    EXPECT_TRUE(styles.ends_with("</w:tblBorders></w:tblPr></w:style></w:styles>"));
}

}  // namespace
