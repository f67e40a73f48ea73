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

std::string cellText(const std::string& text) {
    std::string escaped = htmlEscaped(trimmingWhitespace(text), true);
    escaped = replaceAll(std::move(escaped), "\r\n", "<br>");
    escaped = replaceAll(std::move(escaped), "\n", "<br>");
    return replaceAll(std::move(escaped), "\r", "<br>");
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

}  // namespace ce::MarkdownWriter
