#include "models/OTSL.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace ce::OTSL {

namespace {
bool isOneOf(const std::string& token, std::initializer_list<const char*> set) {
    for (const char* t : set) {
        if (token == t) return true;
    }
    return false;
}

bool contains(const Tokens& row, const char* token) {
    return std::find(row.begin(), row.end(), token) != row.end();
}

std::string spanToken(const char* attribute, int n) {
    return std::string(" ") + attribute + "=\"" + std::to_string(n) + "\"";
}

// The decoder emits at most 1,024 tokens, so no real span is wider or taller; larger
// values are read as no span, which keeps the per-span bookkeeping bounded.
constexpr int maxSpan = 1024;

// The N of ' colspan="N"' / ' rowspan="N"' for N from 2 to maxSpan.
std::optional<int> spanValue(const std::string& token, const char* attribute) {
    const std::string prefix = std::string(" ") + attribute + "=\"";
    if (token.size() <= prefix.size() + 1 || token.compare(0, prefix.size(), prefix) != 0 || token.back() != '"') {
        return std::nullopt;
    }
    const char* first = token.data() + prefix.size();
    const char* last = token.data() + token.size() - 1;
    int n = 0;
    const auto [end, error] = std::from_chars(first, last, n);
    if (error != std::errc() || end != last || n < 2 || n > maxSpan) return std::nullopt;
    return n;
}

struct Entry {
    int c = 0;  // columns of the span from here to its right edge
    int r = 0;  // rows still to cover below
};
}  // namespace

bool isCellStart(const std::string& token) { return isOneOf(token, {"fcel", "ched", "rhed", "srow", "ecel"}); }

Rows rows(const Tokens& tokens) {
    Rows out;
    Tokens current;
    for (const std::string& token : tokens) {
        if (token == "nl") {
            if (!current.empty()) out.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(token);
        }
    }
    if (!current.empty()) out.push_back(std::move(current));
    return out;
}

bool isRectangular(const Tokens& tokens) {
    const Rows r = rows(tokens);
    return std::all_of(r.begin(), r.end(), [&](const Tokens& row) { return row.size() == r.front().size(); });
}

Tokens padToRectangle(const Tokens& tokens, const std::string& filler) {
    const Rows r = rows(tokens);
    std::size_t longest = 0;
    for (const Tokens& row : r) longest = std::max(longest, row.size());
    Tokens out;
    for (const Tokens& row : r) {
        out.insert(out.end(), row.begin(), row.end());
        out.insert(out.end(), longest - row.size(), filler);
        out.push_back("nl");
    }
    return out;
}

int colspan(const Rows& rows, int column, int row) {
    const Tokens& tokens = rows[static_cast<std::size_t>(row)];
    int count = 1;
    for (std::size_t j = static_cast<std::size_t>(column) + 1; j < tokens.size(); ++j) {
        if (isOneOf(tokens[j], {"fcel", "ched", "rhed", "srow", "ecel", "ucel", "nl"})) break;
        ++count;
    }
    return count;
}

int rowspan(const Rows& rows, int column, int row) {
    int count = 1;
    for (std::size_t i = static_cast<std::size_t>(row) + 1; i < rows.size(); ++i) {
        if (static_cast<std::size_t>(column) >= rows[i].size()) break;
        if (isOneOf(rows[i][static_cast<std::size_t>(column)], {"fcel", "ched", "rhed", "srow", "ecel", "lcel", "nl"})) {
            break;
        }
        ++count;
    }
    return count;
}

Tokens toHTML(const Tokens& input) {
    if (input.empty()) return {};
    if (!isCellStart(input.front())) return input;
    const Tokens tokens = isRectangular(input) ? input : padToRectangle(input, "lcel");
    const Rows grid = rows(tokens);

    Tokens html;
    bool headOpen = false;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        const Tokens& row = grid[r];
        const bool headerRow = contains(row, "ched");
        if (!headOpen && headerRow) {
            html.push_back("<thead>");
            headOpen = true;
        }
        if (headOpen && !headerRow) {
            html.push_back("</thead>");
            headOpen = false;
        }
        html.push_back("<tr>");
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!isCellStart(row[c])) continue;
            const int column = static_cast<int>(c);
            const int rowIndex = static_cast<int>(r);
            bool spanning = false;
            int h = 1, v = 1, xh = 1, xv = 1;
            if (c + 1 < row.size() && row[c + 1] == "lcel") {
                h = colspan(grid, column, rowIndex);
                spanning = true;
            }
            if (r + 1 < grid.size() && c < grid[r + 1].size() && grid[r + 1][c] == "ucel") {
                v = rowspan(grid, column, rowIndex);
                spanning = true;
            }
            if (c + 1 < row.size() && row[c + 1] == "xcel") {
                xh = colspan(grid, column, rowIndex);
                xv = rowspan(grid, column, rowIndex);
                spanning = true;
            }
            if (!spanning) {
                html.push_back("<td>");
            } else {
                html.push_back("<td");
                if (h >= 2) html.push_back(spanToken("colspan", h));
                if (v >= 2) html.push_back(spanToken("rowspan", v));
                if (xh >= 2) {
                    html.push_back(spanToken("rowspan", xv));
                    html.push_back(spanToken("colspan", xh));
                }
                html.push_back(">");
            }
            html.push_back("</td>");
        }
        html.push_back("</tr>");
    }
    return html;
}

std::optional<std::map<int, std::pair<int, int>>> parseHTML(const Tokens& html) {
    std::map<int, std::pair<int, int>> result;
    int counter = 0;
    std::vector<std::vector<Entry>> finished;
    std::vector<Entry> current;
    std::size_t column = 0;
    auto colspanOf = [](const std::string& t) { return spanValue(t, "colspan"); };
    auto rowspanOf = [](const std::string& t) { return spanValue(t, "rowspan"); };

    for (std::size_t i = 0; i < html.size(); ++i) {
        const std::string& token = html[i];
        const std::string* previous = i > 0 ? &html[i - 1] : nullptr;
        const std::string* next = i + 1 < html.size() ? &html[i + 1] : nullptr;
        if (token == "<thead>" || token == "<tbody>") continue;

        const bool opensCell = token == "<td>" || token == "<td";
        if ((opensCell || token == "</tr>") && !finished.empty()) {
            const std::vector<Entry>& above = finished.back();
            if (column >= above.size()) return std::nullopt;
            while (true) {
                if (column >= above.size()) throw ConversionError();
                const Entry entry = above[column];
                if (entry.r <= 0) break;
                if (entry.c == 0) {
                    current.push_back({0, entry.r - 1});
                    column += 1;
                } else {
                    for (int k = 0; k < entry.c; ++k) current.push_back({entry.c - k, entry.r - 1});
                    column += static_cast<std::size_t>(entry.c);
                }
            }
        }
        if (token == "</tr>" && !finished.empty()) {
            const std::vector<Entry>& above = finished.back();
            for (std::size_t k = current.size(); k + 1 < above.size(); ++k) {
                current.push_back({above[k].c, above[k].r - 1});
            }
        }
        if (opensCell) {
            current.push_back({0, 0});
            ++counter;
            ++column;
            continue;
        }
        if (token == "</tr>") {
            current.push_back({-1, -1});
            finished.push_back(std::move(current));
            current.clear();
            column = 0;
            continue;
        }
        const bool besideRowspan = (previous && rowspanOf(*previous)) || (next && rowspanOf(*next));
        if (const auto n = colspanOf(token); n && !besideRowspan) {
            if (current.empty()) throw ConversionError();
            result[counter - 1] = {*n, 1};
            current.back() = {*n, 0};
            for (int k = 0; k < *n - 1; ++k) current.push_back({*n - 1 - k, 0});
            continue;
        }
        if (const auto n = rowspanOf(token)) {
            if (current.empty()) throw ConversionError();
            std::optional<int> m;
            if (previous) m = colspanOf(*previous);
            if (!m && next) m = colspanOf(*next);
            if (!m) {
                result[counter - 1] = {1, *n};
                current.back() = {0, *n - 1};
            } else {
                result[counter - 1] = {*m, *n};
                current.back() = {*m, *n - 1};
                for (int k = 0; k < *m - 1; ++k) current.push_back({*m - 1 - k, *n - 1});
            }
        }
    }
    return result;
}

}  // namespace ce::OTSL
