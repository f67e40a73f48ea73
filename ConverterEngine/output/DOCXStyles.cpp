#include "output/DOCXStyles.h"

#include <algorithm>

#include "core/Regex.h"
#include "core/Unicode.h"
#include "core/Utf8.h"
#include "output/DOCXNamespaces.h"

namespace ce::DOCXWriter {

namespace ListFormats {
std::optional<ListFormat> fromRawValue(int raw) {
    if (raw < 1 || raw > 7) return std::nullopt;
    return static_cast<ListFormat>(raw);
}
}  // namespace ListFormats

std::string xmlEscaped(std::string_view text, bool quotes) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const UChar32 c = nextScalar(text, i);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += quotes ? "&quot;" : "\""; break;
            case '\t': case '\n': case '\r': out += static_cast<char>(c); break;
            case 0xFFFE: case 0xFFFF: break;
            default:
                if (c >= 0x20) appendScalar(out, c);
        }
    }
    return out;
}

std::optional<std::pair<ListFormat, int>> parseMarker(std::string_view marker) {
    static const Regex pattern(u"\\A([0-9]{1,4}|[a-z]|[A-Z])([.)])\\z");
    const icu::UnicodeString text = toUnicode(marker);
    const auto matcher = pattern.matcher(text);
    UErrorCode status = U_ZERO_ERROR;
    if (!matcher->find(status) || U_FAILURE(status)) return std::nullopt;
    const bool paren = matcher->group(2, status) == u")";
    const icu::UnicodeString body = matcher->group(1, status);
    if (U_FAILURE(status)) return std::nullopt;
    const UChar32 first = body.char32At(0);
    if (first >= '0' && first <= '9') {
        return std::pair{paren ? ListFormat::decimalParen : ListFormat::decimalDot, std::stoi(toUtf8(body))};
    }
    if (first >= 'a' && first <= 'z') {
        return std::pair{paren ? ListFormat::lowerParen : ListFormat::lowerDot, static_cast<int>(first) - 96};
    }
    return std::pair{paren ? ListFormat::upperParen : ListFormat::upperDot, static_cast<int>(first) - 64};
}

std::string headingStyleXML(int level, int halfPoints) {
    const std::string n = std::to_string(level);
    const std::string size = std::to_string(halfPoints);
    const char* before = level <= 2 ? "360" : "240";
    return "<w:style w:type=\"paragraph\" w:styleId=\"Heading" + n + "\"><w:name w:val=\"heading " + n +
           "\"/><w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority w:val=\"9\"/><w:qFormat/>"
           "<w:pPr><w:keepNext/><w:keepLines/><w:spacing w:before=\"" + before +
           "\" w:after=\"120\"/><w:outlineLvl w:val=\"" + std::to_string(level - 1) +
           "\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size +
           "\"/></w:rPr></w:style>";
}

std::string stylesXML(std::string_view language) {
    const std::string lang = xmlEscaped(language, true);
    std::string xml = std::string(xmlDeclaration) + "<w:styles xmlns:w=\"" + wordNamespace + "\">";
    xml += "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\" "
           "w:eastAsia=\"Calibri\" w:cs=\"Calibri\"/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/><w:lang w:val=\"" +
           lang + "\" w:eastAsia=\"" + lang +
           "\" w:bidi=\"ar-SA\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"160\" "
           "w:line=\"264\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>";
    xml += "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
           "<w:qFormat/></w:style>";
    xml += "<w:style w:type=\"paragraph\" w:styleId=\"Title\"><w:name w:val=\"Title\"/><w:basedOn "
           "w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority w:val=\"10\"/><w:qFormat/><w:pPr><w:spacing "
           "w:after=\"240\"/></w:pPr><w:rPr><w:sz w:val=\"48\"/><w:szCs w:val=\"48\"/></w:rPr></w:style>";
    constexpr int headingSizes[] = {32, 28, 26, 24, 22, 22};
    for (int level = 1; level <= 6; ++level) xml += headingStyleXML(level, headingSizes[level - 1]);
    xml += "<w:style w:type=\"paragraph\" w:styleId=\"Caption\"><w:name w:val=\"caption\"/><w:basedOn "
           "w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority w:val=\"35\"/><w:qFormat/><w:rPr><w:i/><w:sz "
           "w:val=\"18\"/><w:szCs w:val=\"18\"/></w:rPr></w:style>";
    xml += "<w:style w:type=\"paragraph\" w:styleId=\"FootnoteText\"><w:name w:val=\"footnote text\"/><w:basedOn "
           "w:val=\"Normal\"/><w:rPr><w:sz w:val=\"18\"/><w:szCs w:val=\"18\"/></w:rPr></w:style>";
    xml += "<w:style w:type=\"paragraph\" w:styleId=\"ListParagraph\"><w:name w:val=\"List Paragraph\"/><w:basedOn "
           "w:val=\"Normal\"/><w:uiPriority w:val=\"34\"/><w:qFormat/><w:pPr><w:spacing w:after=\"60\"/><w:ind "
           "w:left=\"720\"/><w:contextualSpacing/></w:pPr></w:style>";
    xml += "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Code\"><w:name w:val=\"Code\"/><w:basedOn "
           "w:val=\"Normal\"/><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr><w:rPr>"
           "<w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\" w:cs=\"Courier New\"/><w:sz w:val=\"19\"/>"
           "<w:szCs w:val=\"19\"/></w:rPr></w:style>";
    xml += "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Formula\"><w:name w:val=\"Formula\"/>"
           "<w:basedOn w:val=\"Normal\"/><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:rPr><w:rFonts w:ascii=\"Cambria "
           "Math\" w:hAnsi=\"Cambria Math\"/></w:rPr></w:style>";
    xml += "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name w:val=\"Normal Table\"/>"
           "<w:uiPriority w:val=\"99\"/><w:semiHidden/><w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar>"
           "<w:top w:w=\"0\" w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" w:type=\"dxa\"/>"
           "<w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style>";
    xml += "<w:style w:type=\"table\" w:styleId=\"TableGrid\"><w:name w:val=\"Table Grid\"/><w:basedOn "
           "w:val=\"TableNormal\"/><w:uiPriority w:val=\"39\"/><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" "
           "w:lineRule=\"auto\"/></w:pPr><w:tblPr><w:tblBorders>";
    for (const char* border : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        xml += std::string("<w:") + border + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>";
    }
    xml += "</w:tblBorders></w:tblPr></w:style></w:styles>";
    return xml;
}

namespace {

std::string abstractNumberingXML(ListFormat format) {
    const char* numFmt = "bullet";
    const char* text = "\xEF\x82\xB7";  // U+F0B7, the Symbol font's bullet
    switch (format) {
        case ListFormat::bullet: break;
        case ListFormat::decimalDot: numFmt = "decimal"; text = "%1."; break;
        case ListFormat::decimalParen: numFmt = "decimal"; text = "%1)"; break;
        case ListFormat::lowerDot: numFmt = "lowerLetter"; text = "%1."; break;
        case ListFormat::lowerParen: numFmt = "lowerLetter"; text = "%1)"; break;
        case ListFormat::upperDot: numFmt = "upperLetter"; text = "%1."; break;
        case ListFormat::upperParen: numFmt = "upperLetter"; text = "%1)"; break;
    }
    const char* symbolFont = format == ListFormat::bullet
                                 ? "<w:rPr><w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\" w:hint=\"default\"/></w:rPr>"
                                 : "";
    return "<w:abstractNum w:abstractNumId=\"" + std::to_string(static_cast<int>(format)) +
           "\"><w:multiLevelType w:val=\"singleLevel\"/><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"" +
           numFmt + "\"/><w:lvlText w:val=\"" + text +
           "\"/><w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr>" + symbolFont +
           "</w:lvl></w:abstractNum>";
}

}  // namespace

std::string numberingXML(const std::vector<ListInstance>& lists) {
    std::string xml = std::string(xmlDeclaration) + "<w:numbering xmlns:w=\"" + wordNamespace + "\">";
    for (ListFormat format : ListFormats::allCases) xml += abstractNumberingXML(format);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        xml += "<w:num w:numId=\"" + std::to_string(i + 1) + "\"><w:abstractNumId w:val=\"" +
               std::to_string(static_cast<int>(lists[i].format)) +
               "\"/><w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"" +
               std::to_string(std::max(lists[i].start, 0)) + "\"/></w:lvlOverride></w:num>";
    }
    xml += "</w:numbering>";
    return xml;
}

}  // namespace ce::DOCXWriter
