#include "output/CSVWriter.h"

#include <algorithm>

#include "core/Regex.h"
#include "core/Unicode.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce::CSVWriter {

namespace {

// Splits at runs of whitespace (line breaks included) and joins the pieces with one space.
std::string collapseWhitespace(const std::string& text) {
    std::string out;
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        if (isWhitespace(nextScalar(text, i), WhitespaceSet::whiteSpace)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out.append(text, start, i - start);
    }
    return out;
}

bool isFieldSeparator(char16_t c) { return c == u';' || c == u',' || c == u'\t'; }

}  // namespace

std::vector<std::vector<std::string>> grid(const TableStructure& table) {
    const int rows = std::max(table.numRows, 0);
    const int cols = std::max(table.numCols, 0);
    std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(rows),
                                                std::vector<std::string>(static_cast<std::size_t>(cols)));
    for (const TableCellItem& cell : table.withoutOverlaps().cells) {
        if (cell.startRow < 0 || cell.startRow >= rows || cell.startCol < 0 || cell.startCol >= cols) continue;
        cells[static_cast<std::size_t>(cell.startRow)][static_cast<std::size_t>(cell.startCol)] =
            collapseWhitespace(cell.text);
    }
    return cells;
}

bool isFormulaLike(const std::string& text) {
    static const Regex signedAmount(
        u"\\A[+-]\\s?(?:[$€£¥]\\s?)?[0-9][0-9.,\\s]*(?:%|[$€£¥]|[A-Z]{3})?\\z");
    if (text.empty()) return false;
    switch (text.front()) {
        case '=':
        case '@':
        case '\t':
        case '\r':
            return true;
        case '+':
        case '-':
            return text.size() > 1 && !signedAmount.find(toUnicode(text));
        default:
            return false;
    }
}

std::string neutralizeFormulas(const std::string& field) {
    static const Regex formulaAfterSeparator(u"[;,\\t]([=@+\\-])");
    const icu::UnicodeString original = toUnicode(field);
    std::vector<int32_t> signs;
    if (auto m = formulaAfterSeparator.matcher(original)) {
        UErrorCode status = U_ZERO_ERROR;
        while (m->find()) {
            const int32_t p = m->start(1, status);
            if (U_FAILURE(status)) break;
            signs.push_back(p);
        }
    }
    icu::UnicodeString working = original;
    for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
        const int32_t p = *it;
        int32_t end = p;
        while (end < original.length() && !isFieldSeparator(original.charAt(end))) ++end;
        if (isFormulaLike(toUtf8(original.tempSubStringBetween(p, end)))) working.insert(p, u'\'');
    }
    std::string out = toUtf8(working);
    if (isFormulaLike(out)) out.insert(out.begin(), '\'');
    return out;
}

Data csv(const TableStructure& table, const Options& options) {
    std::string text;
    if (options.byteOrderMark) text += "\xEF\xBB\xBF";
    for (const std::vector<std::string>& row : grid(table)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += options.delimiter;
            const std::string field = options.neutralizeFormulas ? neutralizeFormulas(row[i]) : row[i];
            if (field.find_first_of(std::string{options.delimiter, '"', '\n', '\r'}) == std::string::npos) {
                text += field;
                continue;
            }
            text += '"';
            for (char c : field) {
                if (c == '"') text += '"';
                text += c;
            }
            text += '"';
        }
        text += "\r\n";
    }
    return Data(text.begin(), text.end());
}

}  // namespace ce::CSVWriter
