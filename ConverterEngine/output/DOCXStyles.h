// The look of a DOCX package: the text of "word/styles.xml" and "word/numbering.xml",
// the list formats behind the numbering, the parser that reads a list item's marker,
// and the XML escaping every DOCX part uses for document text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ce::DOCXWriter {

// The value is also the id of the abstract numbering the format uses.
enum class ListFormat {
    bullet = 1,
    decimalDot = 2,
    decimalParen = 3,
    lowerDot = 4,
    lowerParen = 5,
    upperDot = 6,
    upperParen = 7,
};

namespace ListFormats {
inline constexpr ListFormat allCases[] = {ListFormat::bullet,       ListFormat::decimalDot, ListFormat::decimalParen,
                                          ListFormat::lowerDot,     ListFormat::lowerParen, ListFormat::upperDot,
                                          ListFormat::upperParen};
// Nothing for values outside 1...7.
std::optional<ListFormat> fromRawValue(int raw);
}  // namespace ListFormats

// One numbered list of the document; its position in the body's list (from 1) is
// its numbering id.
struct ListInstance {
    ListFormat format = ListFormat::bullet;
    int start = 1;
    bool operator==(const ListInstance&) const = default;
};

// "&", "<", ">" escaped; the double quote only when `quotes` is set (attribute
// values); the apostrophe never. Tab, line feed and carriage return stay; every other
// control below U+0020 and U+FFFE, U+FFFF are dropped, and malformed UTF-8 becomes
// U+FFFD, so the result is always well-formed XML text.
std::string xmlEscaped(std::string_view text, bool quotes);

// A marker of one to four ASCII digits, or one ASCII letter, followed by "." or ")"
// (the whole marker): its format and number ("3)" is decimalParen 3, "C." upperDot 3).
// Nothing for any other marker (bullets, "(a)", "iv.", "1.2", "10000.").
std::optional<std::pair<ListFormat, int>> parseMarker(std::string_view marker);

// The styles part, with `language` (a BCP 47 tag) as the document's default language.
std::string stylesXML(std::string_view language);
// One paragraph style "Heading{level}" (level 1...6) of `halfPoints` size.
std::string headingStyleXML(int level, int halfPoints);
// The numbering part: all seven abstract numberings, then one numbering per instance.
std::string numberingXML(const std::vector<ListInstance>& lists);

}  // namespace ce::DOCXWriter
