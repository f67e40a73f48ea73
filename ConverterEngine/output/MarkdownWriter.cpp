#include "output/MarkdownWriter.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/Regex.h"
#include "core/StringUtils.h"
#include "core/Unicode.h"
#include "core/Utf8.h"
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

std::string cellText(const std::string& text) {
    std::string escaped = htmlEscaped(trimmingWhitespace(text), true);
    escaped = replaceAll(std::move(escaped), "\r\n", "<br>");
    escaped = replaceAll(std::move(escaped), "\n", "<br>");
    return replaceAll(std::move(escaped), "\r", "<br>");
}

// "-", "*", "+" or digits followed by one ".": a marker written as it stands.
bool isMarkdownMarker(const std::string& marker) {
    if (marker == "-" || marker == "*" || marker == "+") return true;
    if (marker.size() < 2 || marker.back() != '.') return false;
    return std::all_of(marker.begin(), marker.end() - 1, [](char c) { return c >= '0' && c <= '9'; });
}

bool holdsWordScalar(std::string_view text) {
    for (std::size_t i = 0; i < text.size();)
        if (isWordScalar(nextScalar(text, i))) return true;
    return false;
}

// Parts joined with "\n\n", empty ones left out.
std::string blocks(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += "\n\n";
        out += part;
    }
    return out;
}

std::string heading(int marks, const std::string& text) {
    return std::string(static_cast<std::size_t>(std::max(marks, 1)), '#') + " " + textEscaped(replaceAll(text, "\n", " "));
}

}  // namespace

std::string escape(const std::string& text) {
    static const Regex imageLink(u"!\\[.*?\\]\\((.*?)\\)");
    static const Regex bareEmphasis(u"(?<!\\\\)[_*]");
    if (text.find_first_of("_*") == std::string::npos) return text;
    const icu::UnicodeString input = toUnicode(text);
    icu::UnicodeString out;
    int32_t previousEnd = 0;
    auto escapePiece = [&](int32_t from, int32_t to) {
        out += bareEmphasis.replaceAll(input.tempSubStringBetween(from, to), u"\\\\$0");
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

std::string paragraph(const std::string& text) {
    if (text.find('\n') == std::string::npos) return text;
    std::string out;
    std::size_t from = 0;
    while (true) {
        const std::size_t cut = text.find("\n\n", from);
        out += replaceAll(text.substr(from, cut == std::string::npos ? std::string::npos : cut - from), "\n", "  \n");
        if (cut == std::string::npos) break;
        out += "\n\n";
        from = cut + 2;
    }
    return out;
}

std::string listItem(const DocElement& item, int number, bool enumerated) {
    std::vector<std::string> parts;
    if (isMarkdownMarker(item.marker)) {
        parts.push_back(item.marker);
    } else {
        const bool numbered = item.listID && enumerated && item.marker.empty();
        parts.push_back(numbered ? std::to_string(number + 1) + "." : "-");
        if (!item.marker.empty() && holdsWordScalar(item.marker)) parts.push_back(item.marker);
    }
    const std::string body = textEscaped(paragraph(item.text));
    if (!body.empty()) parts.push_back(body);
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : " ") + part;
    return out;
}

std::string element(const DocElement& e, int number, bool enumerated) {
    switch (e.kind) {
        case DocElementKind::title:
            return heading(1, e.text);
        case DocElementKind::sectionHeader:
            return heading(e.level + 1, e.text);
        case DocElementKind::text:
        case DocElementKind::caption:
        case DocElementKind::footnote:
            return textEscaped(paragraph(e.text));
        case DocElementKind::listItem:
            return listItem(e, number, enumerated);
        case DocElementKind::table:
        case DocElementKind::documentIndex: {
            std::string captionTexts;
            for (const DocElement& caption : e.captions) captionTexts += caption.text;
            return blocks({captionTexts, tableHTML(e.table)});
        }
        case DocElementKind::picture:
            return blocks({captions(e), "<!-- image -->"});
        case DocElementKind::formula:
            if (!e.text.empty()) return "$$" + e.text + "$$";
            return e.orig.empty() ? "" : "<!-- formula-not-decoded -->";
        case DocElementKind::code:
            return blocks({"```\n" + e.text + "\n```", captions(e)});
        case DocElementKind::form:
        case DocElementKind::keyValue:
            return "";
        case DocElementKind::checkbox:
            return textEscaped(paragraph((e.label == DocLabel::checkboxSelected ? "- [x] " : "- [ ] ") + e.text));
    }
    return "";
}

std::string markdown(const AssembledPage& page) {
    std::map<int, bool> listEnumerated;
    for (const DocElement& e : page.body)
        if (e.kind == DocElementKind::listItem && e.listID) listEnumerated.try_emplace(*e.listID, e.enumerated);
    std::map<int, int> counts;
    std::string out;
    const DocElement* previous = nullptr;
    for (const DocElement& e : page.body) {
        int number = 0;
        bool enumerated = false;
        const bool inList = e.kind == DocElementKind::listItem && e.listID.has_value();
        if (inList) {
            number = counts[*e.listID]++;
            enumerated = listEnumerated[*e.listID];
        }
        const std::string text = element(e, number, enumerated);
        if (text.empty()) continue;
        if (previous) {
            const bool sameList = inList && previous->kind == DocElementKind::listItem && previous->listID == e.listID;
            out += sameList ? "\n" : "\n\n";
        }
        out += text;
        previous = &e;
    }
    return out;
}

}  // namespace ce::MarkdownWriter
