#include "output/DOCXBody.h"

#include <algorithm>
#include <cmath>

#include "core/StringUtils.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"
#include "image/PNGHeader.h"
#include "output/DOCXNamespaces.h"

namespace ce::DOCXWriter {

namespace {

constexpr double emuPerPoint = 12700;
constexpr double emuPerPixel = 9525;

// The cell text's words joined with single spaces.
std::string collapsedWhitespace(std::string_view text) {
    std::string out;
    std::size_t wordStart = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        const bool space = isWhitespace(nextScalar(text, i), WhitespaceSet::whiteSpace);
        if (space && inWord) {
            if (!out.empty()) out += ' ';
            out.append(text.substr(wordStart, at - wordStart));
            inWord = false;
        } else if (!space && !inWord) {
            wordStart = at;
            inWord = true;
        }
    }
    if (inWord) {
        if (!out.empty()) out += ' ';
        out.append(text.substr(wordStart));
    }
    return out;
}

std::string numberedItemXML(const DocElement& item, std::size_t instance) {
    return "<w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"" +
           std::to_string(instance) + "\"/></w:numPr></w:pPr>" + runXML(item.text) + "</w:p>";
}

std::string plainItemXML(const DocElement& item) {
    return "<w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/></w:pPr>" + runXML(item.marker + " " + item.text) +
           "</w:p>";
}

// Items [from, to) as one new numbered list.
std::string numberedRunXML(Body& body, const std::vector<const DocElement*>& items, std::size_t from,
                           std::size_t to, ListInstance instance) {
    body.lists.push_back(instance);
    std::string xml;
    for (std::size_t i = from; i < to; ++i) xml += numberedItemXML(*items[i], body.lists.size());
    return xml;
}

}  // namespace

PageClass pageClass(const ConversionResult& result) {
    const double width = result.pages.empty() ? 612 : result.pages.front().width;
    const double height = result.pages.empty() ? 792 : result.pages.front().height;
    if (std::abs(std::min(width, height) - 595) < 12 && std::abs(std::max(width, height) - 842) < 12) {
        return {11906, 16838, 9026, 5731510, 8863330};
    }
    return {};
}

std::string runXML(std::string_view text, bool bold) {
    std::string xml = bold ? "<w:r><w:rPr><w:b/></w:rPr>" : "<w:r>";
    std::size_t pieceStart = 0;
    const auto writePiece = [&](std::size_t end) {
        const std::string piece = xmlEscaped(text.substr(pieceStart, end - pieceStart), false);
        if (!piece.empty()) xml += "<w:t xml:space=\"preserve\">" + piece + "</w:t>";
    };
    // Line ends and tabs are ASCII, never part of a longer UTF-8 sequence.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r' && c != '\t') continue;
        writePiece(i);
        xml += c == '\t' ? "<w:tab/>" : "<w:br/>";
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        pieceStart = i + 1;
    }
    writePiece(text.size());
    return xml + "</w:r>";
}

std::string paragraphXML(std::string_view text, std::string_view style, bool keepNext) {
    if (text.empty()) return {};
    std::string properties;
    if (!style.empty()) properties += "<w:pStyle w:val=\"" + std::string(style) + "\"/>";
    if (keepNext) properties += "<w:keepNext/>";
    if (!properties.empty()) properties = "<w:pPr>" + properties + "</w:pPr>";
    return "<w:p>" + properties + runXML(text) + "</w:p>";
}

std::string captionsXML(const DocElement& element, bool keepNext) {
    std::string xml;
    for (const DocElement& caption : element.captions) xml += paragraphXML(caption.text, "Caption", keepNext);
    return xml;
}

std::string footnotesXML(const DocElement& element) {
    std::string xml;
    for (const DocElement& footnote : element.footnotes) xml += paragraphXML(footnote.text, "FootnoteText");
    return xml;
}

std::string pictureXML(Body& body, const DocElement& element, const ConvertedPage& page) {
    if (!body.options.images) return {};
    const auto crop = page.images.find(element.clusterID);
    if (crop == page.images.end()) return {};
    const auto pixels = pngPixelSize(crop->second);
    if (!pixels || pixels->first < 1 || pixels->second < 1) return {};

    // The box's size, or the crop's pixel size when the box has none; then fitted
    // within the page's text area, keeping the aspect ratio, and at least 1 EMU.
    double cx = (element.bbox.r - element.bbox.l) * emuPerPoint;
    double cy = (element.bbox.b - element.bbox.t) * emuPerPoint;
    if (!std::isfinite(cx) || !std::isfinite(cy) || std::min(cx, cy) <= 0) {
        cx = static_cast<double>(pixels->first) * emuPerPixel;
        cy = static_cast<double>(pixels->second) * emuPerPixel;
    }
    const PageClass limits = pageClass(body.result);
    const auto maxWidth = static_cast<double>(limits.maxPictureWidth);
    const auto maxHeight = static_cast<double>(limits.maxPictureHeight);
    if (cx > maxWidth) {
        cy = cy * maxWidth / cx;
        cx = maxWidth;
    }
    if (cy > maxHeight) {
        cx = cx * maxHeight / cy;
        cy = maxHeight;
    }
    const std::string width = std::to_string(std::max(1LL, static_cast<long long>(cx)));
    const std::string height = std::to_string(std::max(1LL, static_cast<long long>(cy)));

    const ImageRef image = body.addImage(crop->second);
    std::string description;
    for (const DocElement& caption : element.captions) {
        if (&caption != &element.captions.front()) description += ' ';
        description += caption.text;
    }
    const std::string id = std::to_string(image.id);
    return "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent cx=\"" + width +
           "\" cy=\"" + height + "\"/><wp:docPr id=\"" + id + "\" name=\"Picture " + id + "\" descr=\"" +
           xmlEscaped(description, true) +
           "\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>"
           "<a:graphic><a:graphicData uri=\"" + pictureNamespace + "\"><pic:pic><pic:nvPicPr><pic:cNvPr id=\"" + id +
           "\" name=\"image" + id + ".png\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" +
           xmlEscaped(image.rID, true) +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
           "<a:ext cx=\"" + width + "\" cy=\"" + height +
           "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData>"
           "</a:graphic></wp:inline></w:drawing></w:r>";
}

std::string tableXML(int rows, int cols, const std::vector<TableCellItem>& cells, int textWidth) {
    // Which cell owns each grid position; a later cell takes over from an earlier one.
    std::vector<int> owner(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), -1);
    const auto at = [cols](int row, int col) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(col);
    };
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const TableCellItem& cell = cells[k];
        const int rowEnd = std::min(rows, std::max(cell.endRow, cell.startRow + 1));
        const int colEnd = std::min(cols, std::max(cell.endCol, cell.startCol + 1));
        for (int row = std::max(cell.startRow, 0); row < rowEnd; ++row) {
            for (int col = std::max(cell.startCol, 0); col < colEnd; ++col) owner[at(row, col)] = static_cast<int>(k);
        }
    }
    // Leading rows whose every starting cell is a column header repeat on each page.
    int headerRows = rows;
    for (int row = 0; row < rows; ++row) {
        bool starts = false;
        bool allHeaders = true;
        for (const TableCellItem& cell : cells) {
            if (cell.startRow != row) continue;
            starts = true;
            allHeaders = allHeaders && cell.columnHeader;
        }
        if (!starts || !allHeaders) {
            headerRows = row;
            break;
        }
    }
    const int columnWidth = textWidth / cols;

    std::string xml =
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"5000\" w:type=\"pct\"/><w:tblLook "
        "w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"1\" w:lastColumn=\"0\" w:noHBand=\"0\" "
        "w:noVBand=\"1\"/></w:tblPr><w:tblGrid>";
    for (int col = 0; col < cols; ++col) xml += "<w:gridCol w:w=\"" + std::to_string(columnWidth) + "\" w:type=\"dxa\"/>";
    xml += "</w:tblGrid>";
    for (int row = 0; row < rows; ++row) {
        xml += "<w:tr>";
        if (row < headerRows) xml += "<w:trPr><w:tblHeader/></w:trPr>";
        for (int col = 0; col < cols;) {
            const int o = owner[at(row, col)];
            int span = 1;
            if (o >= 0) {
                while (col + span < cols && owner[at(row, col + span)] == o) ++span;
            }
            std::string properties = "<w:tcW w:w=\"" + std::to_string(span * columnWidth) + "\" w:type=\"dxa\"/>";
            if (span >= 2) properties += "<w:gridSpan w:val=\"" + std::to_string(span) + "\"/>";
            std::string text;
            bool bold = false;
            if (o >= 0 && col == cells[static_cast<std::size_t>(o)].startCol) {
                const TableCellItem& cell = cells[static_cast<std::size_t>(o)];
                if (row >= cell.startRow && cell.endRow - cell.startRow > 1) {
                    properties += row == cell.startRow ? "<w:vMerge w:val=\"restart\"/>" : "<w:vMerge/>";
                }
                if (row == cell.startRow) {
                    text = collapsedWhitespace(cell.text);
                    bold = cell.columnHeader;
                }
            }
            xml += "<w:tc><w:tcPr>" + properties + "</w:tcPr><w:p>";
            if (!text.empty()) xml += runXML(text, bold);
            xml += "</w:p></w:tc>";
            col += span;
        }
        xml += "</w:tr>";
    }
    return xml + "</w:tbl>";
}

std::string listXML(Body& body, const std::vector<const DocElement*>& items) {
    if (items.empty()) return {};
    const bool enumerated = items.front()->enumerated;
    std::string xml;
    for (std::size_t p = 0; p < items.size();) {
        const std::string& marker = items[p]->marker;
        if (const auto parsed = parseMarker(marker)) {
            // The items that follow in the same format; numbered only when they count on.
            const auto [format, first] = *parsed;
            std::size_t end = p;
            bool counting = true;
            for (; end < items.size(); ++end) {
                const auto next = parseMarker(items[end]->marker);
                if (!next || next->first != format) break;
                counting = counting && next->second == first + static_cast<int>(end - p);
            }
            if (counting) {
                xml += numberedRunXML(body, items, p, end, {format, first});
            } else {
                for (std::size_t i = p; i < end; ++i) xml += plainItemXML(*items[i]);
            }
            p = end;
        } else if (containsWordScalar(marker)) {
            xml += plainItemXML(*items[p]);
            ++p;
        } else if (marker.empty() && enumerated) {
            std::size_t end = p + 1;
            while (end < items.size() && items[end]->marker.empty()) ++end;
            xml += numberedRunXML(body, items, p, end, {ListFormat::decimalDot, static_cast<int>(p) + 1});
            p = end;
        } else {
            std::size_t end = p + 1;
            for (; end < items.size(); ++end) {
                const std::string& next = items[end]->marker;
                if (next.empty() ? enumerated : containsWordScalar(next)) break;
            }
            xml += numberedRunXML(body, items, p, end, {ListFormat::bullet, 1});
            p = end;
        }
    }
    return xml;
}

std::string elementXML(Body& body, const DocElement& element, const ConvertedPage& page) {
    switch (element.kind) {
        case DocElementKind::title: return paragraphXML(element.text, "Title");
        case DocElementKind::sectionHeader: {
            std::string text = element.text;
            std::replace(text.begin(), text.end(), '\n', ' ');
            return paragraphXML(text, "Heading" + std::to_string(std::clamp(element.level, 1, 6)));
        }
        case DocElementKind::text: return paragraphXML(element.text);
        case DocElementKind::caption: return paragraphXML(element.text, "Caption");
        case DocElementKind::footnote: return paragraphXML(element.text, "FootnoteText");
        case DocElementKind::listItem:
        case DocElementKind::form:
        case DocElementKind::keyValue: return {};
        case DocElementKind::table:
        case DocElementKind::documentIndex: {
            if (element.table && element.table->numRows >= 1 && element.table->numCols >= 1) {
                const TableStructure table = element.table->withoutOverlaps();
                return captionsXML(element, true) +
                       tableXML(table.numRows, table.numCols, table.cells, pageClass(body.result).textWidth) +
                       footnotesXML(element);
            }
            return captionsXML(element, false) + footnotesXML(element);
        }
        case DocElementKind::picture: {
            std::string xml;
            const std::string drawing = pictureXML(body, element, page);
            if (!drawing.empty()) xml = "<w:p><w:pPr><w:keepNext/></w:pPr>" + drawing + "</w:p>";
            return xml + captionsXML(element, false) + footnotesXML(element);
        }
        case DocElementKind::formula: {
            if (!element.text.empty()) return paragraphXML(element.text, "Formula");
            const std::string drawing = pictureXML(body, element, page);
            if (drawing.empty()) return {};
            return "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>" + drawing + "</w:p>";
        }
        case DocElementKind::code:
            return paragraphXML(element.text, "Code") + captionsXML(element, false) + footnotesXML(element);
        case DocElementKind::checkbox:
            return paragraphXML((element.label == DocLabel::checkboxSelected ? "\u2612 " : "\u2610 ") + element.text);
    }
    return {};
}

std::string bodyXML(Body& body) {
    std::string xml;
    std::vector<const DocElement*> run;
    const auto writeRun = [&] {
        if (run.empty()) return;
        xml += listXML(body, run);
        run.clear();
    };
    for (const ConvertedPage& page : body.result.pages) {
        for (const DocElement& element : page.content.body) {
            if (element.kind == DocElementKind::listItem) {
                if (!run.empty() && (!run.back()->listID || !element.listID || *run.back()->listID != *element.listID)) {
                    writeRun();
                }
                run.push_back(&element);
            } else {
                writeRun();
                xml += elementXML(body, element, page);
            }
        }
        writeRun();  // a list never continues across a page boundary
    }
    if (xml.empty() || xml.ends_with("</w:tbl>")) xml += "<w:p/>";
    return xml;
}

std::string documentXML(std::string_view bodyText, int pageWidth, int pageHeight) {
    return std::string(xmlDeclaration) + "<w:document xmlns:w=\"" + wordNamespace + "\" xmlns:r=\"" +
           relationshipsNamespace + "\" xmlns:wp=\"" + wordDrawingNamespace + "\" xmlns:a=\"" + drawingNamespace +
           "\" xmlns:pic=\"" + pictureNamespace + "\"><w:body>" + std::string(bodyText) + "<w:sectPr><w:pgSz w:w=\"" +
           std::to_string(pageWidth) + "\" w:h=\"" + std::to_string(pageHeight) +
           "\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" "
           "w:footer=\"720\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
}

}  // namespace ce::DOCXWriter
