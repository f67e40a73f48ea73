#include "output/MarkdownWriter.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/Regex.h"
#include "core/StringUtils.h"
#include "core/Unicode.h"
#include "core/Whitespace.h"

namespace ce::MarkdownWriter {

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

bool isPlainNumberMarker(const std::string& marker) {
    static const Regex numberDot(u"\\A\\d+\\.\\z");
    return numberDot.find(toUnicode(marker));
}

std::string cellText(const std::string& text) {
    std::string escaped = htmlEscaped(trimmingWhitespace(text), true);
    escaped = replaceAll(std::move(escaped), "\r\n", "<br>");
    escaped = replaceAll(std::move(escaped), "\n", "<br>");
    return replaceAll(std::move(escaped), "\r", "<br>");
}

}  // namespace

std::string escape(const std::string& text) {
    static const Regex imageLink(u"!\\[.*?\\]\\((.*?)\\)");
    static const Regex bareUnderscore(u"(?<!\\\\)_");
    if (text.find('_') == std::string::npos) return text;
    const icu::UnicodeString input = toUnicode(text);
    icu::UnicodeString out;
    int32_t previousEnd = 0;
    auto escapePiece = [&](int32_t from, int32_t to) {
        out += bareUnderscore.replaceAll(input.tempSubStringBetween(from, to), u"\\\\_");
    };
    if (auto m = imageLink.matcher(input)) {
        UErrorCode status = U_ZERO_ERROR;
        while (m->find()) {
            const int32_t start = m->start(status);
            const int32_t end = m->end(status);
            if (U_FAILURE(status)) break;
            escapePiece(previousEnd, start);
            out += input.tempSubStringBetween(start, end);
            previousEnd = end;
        }
    }
    escapePiece(previousEnd, input.length());
    return toUtf8(out);
}

std::string textEscaped(const std::string& text) { return htmlEscaped(escape(text), false); }

std::string paragraph(const std::string& text) {
    if (text.find('\n') == std::string::npos) return text;
    std::string out;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\n\n", start);
        const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        out += replaceAll(piece, "\n", "  \n");
        if (end == std::string::npos) break;
        out += "\n\n";
        start = end + 2;
    }
    return out;
}

std::string captions(const DocElement& element) {
    std::string joined;
    for (std::size_t i = 0; i < element.captions.size(); ++i) {
        if (i > 0) joined += ' ';
        joined += element.captions[i].text;
    }
    return textEscaped(joined);
}

std::string tableHTML(const std::optional<TableStructure>& table) {
    if (!table) return "<table></table>";
    const int rows = table->numRows;
    const int cols = table->numCols;
    if (rows < 1) return "<table></table>";
    std::map<std::pair<int, int>, const TableCellItem*> byOrigin;
    for (const TableCellItem& cell : table->cells) {
        if (cell.startRow >= 0 && cell.startRow < rows && cell.startCol >= 0 && cell.startCol < cols) {
            byOrigin[{cell.startRow, cell.startCol}] = &cell;
        }
    }
    const auto columns = static_cast<std::size_t>(std::max(cols, 0));
    std::vector<bool> covered(static_cast<std::size_t>(rows) * columns, false);
    std::string out = "<table>";
    for (int r = 0; r < rows; ++r) {
        out += "<tr>";
        for (int c = 0; c < cols; ++c) {
            if (covered[static_cast<std::size_t>(r) * columns + static_cast<std::size_t>(c)]) continue;
            const auto found = byOrigin.find({r, c});
            if (found == byOrigin.end()) {
                out += "<td></td>";
                continue;
            }
            const TableCellItem& cell = *found->second;
            const char* tag = cell.columnHeader ? "th" : "td";
            const int rowSpan = cell.endRow - cell.startRow;
            const int colSpan = cell.endCol - cell.startCol;
            if (rowSpan >= 1) {
                const int lastRow = std::min(rows, r + rowSpan);
                const int lastCol = std::min(cols, c + std::max(colSpan, 0));
                for (int rr = r; rr < lastRow; ++rr) {
                    for (int cc = c; cc < lastCol; ++cc) {
                        covered[static_cast<std::size_t>(rr) * columns + static_cast<std::size_t>(cc)] = true;
                    }
                }
            }
            out += "<";
            out += tag;
            if (rowSpan >= 2) out += " rowspan=\"" + std::to_string(rowSpan) + "\"";
            if (colSpan >= 2) out += " colspan=\"" + std::to_string(colSpan) + "\"";
            out += ">" + cellText(cell.text) + "</" + tag + ">";
        }
        out += "</tr>";
    }
    return out + "</table>";
}

std::string listItem(const DocElement& element, int number, bool enumerated) {
    const std::string body = textEscaped(paragraph(element.text));
    const std::string& marker = element.marker;
    std::vector<std::string> parts;
    if (marker == "-" || marker == "*" || marker == "+" || isPlainNumberMarker(marker)) {
        parts.push_back(marker);
    } else {
        if (element.listID && enumerated && marker.empty()) {
            parts.push_back(std::to_string(number + 1) + ".");
        } else {
            parts.push_back("-");
        }
        if (containsWordScalar(marker)) parts.push_back(marker);
    }
    if (!body.empty()) parts.push_back(body);
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += ' ';
        out += part;
    }
    return out;
}

std::string element(const DocElement& element, int number, bool enumerated) {
    auto heading = [&](std::size_t marks) {
        return std::string(marks, '#') + " " +
               textEscaped(replaceAll(element.text, "\n", " "));
    };
    auto joinNonEmpty = [](const std::string& first, const std::string& second) {
        return first.empty() ? second : first + "\n\n" + second;
    };
    switch (element.kind) {
        case DocElementKind::title:
            return heading(1);
        case DocElementKind::sectionHeader:
            return heading(static_cast<std::size_t>(std::max(element.level, 0)) + 1);
        case DocElementKind::text:
        case DocElementKind::caption:
        case DocElementKind::footnote:
            return textEscaped(paragraph(element.text));
        case DocElementKind::listItem:
            return listItem(element, number, enumerated);
        case DocElementKind::table:
        case DocElementKind::documentIndex: {
            std::string caption;
            for (const DocElement& c : element.captions) caption += c.text;
            std::optional<TableStructure> table;
            if (element.table) table = element.table->withoutOverlaps();
            return joinNonEmpty(textEscaped(caption), tableHTML(table));
        }
        case DocElementKind::picture:
            return joinNonEmpty(captions(element), "<!-- image -->");
        case DocElementKind::formula:
            if (!element.text.empty()) return "$$" + textEscaped(element.text) + "$$";
            return element.orig.empty() ? "" : "<!-- formula-not-decoded -->";
        case DocElementKind::code: {
            const std::string code = "```\n" + element.text + "\n```";
            const std::string caption = captions(element);
            return caption.empty() ? code : code + "\n\n" + caption;
        }
        case DocElementKind::form:
        case DocElementKind::keyValue:
            return "";
        case DocElementKind::checkbox: {
            const char* box = element.label == DocLabel::checkboxSelected ? "- [x] " : "- [ ] ";
            return textEscaped(paragraph(box + element.text));
        }
    }
    return "";
}

std::string markdown(const AssembledPage& page) {
    std::map<int, bool> numbered;
    for (const DocElement& e : page.body) {
        if (e.kind == DocElementKind::listItem && e.listID) numbered.try_emplace(*e.listID, e.enumerated);
    }
    std::map<int, int> counts;
    std::string out;
    const DocElement* previous = nullptr;
    for (const DocElement& e : page.body) {
        int number = 0;
        bool enumerated = false;
        if (e.kind == DocElementKind::listItem && e.listID) {
            number = counts[*e.listID]++;
            enumerated = numbered[*e.listID];
        }
        const std::string text = element(e, number, enumerated);
        if (text.empty()) continue;
        if (previous) {
            const bool sameList = e.kind == DocElementKind::listItem && previous->kind == DocElementKind::listItem &&
                                  e.listID && previous->listID && *e.listID == *previous->listID;
            out += sameList ? "\n" : "\n\n";
        }
        out += text;
        previous = &e;
    }
    return out;
}

}  // namespace ce::MarkdownWriter
