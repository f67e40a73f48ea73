#include "models/RuleMarks.h"

#include <vector>

namespace ce::RuleMarks {

namespace {

bool isRuleMark(char c) { return c == '|' || c == '[' || c == ']'; }

}  // namespace

std::string stripped(std::string_view text) {
    if (text.find_first_of("|[]") == std::string_view::npos) return std::string(text);
    // Brackets that have no partner anywhere in the text, by byte offset.
    std::vector<bool> unpaired(text.size(), false);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '[') {
            open.push_back(i);
        } else if (text[i] == ']') {
            if (open.empty())
                unpaired[i] = true;
            else
                open.pop_back();
        }
    }
    for (const std::size_t i : open) unpaired[i] = true;

    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t begin = i;
        while (i < text.size() && text[i] != ' ') ++i;
        std::size_t end = i;
        bool allMarks = begin < end;
        for (std::size_t k = begin; k < end; ++k) allMarks = allMarks && isRuleMark(text[k]);
        if (allMarks) continue;
        while (begin < end && (text[begin] == '|' || (text[begin] == '[' && unpaired[begin]))) ++begin;
        while (begin < end && (text[end - 1] == '|' || (text[end - 1] == ']' && unpaired[end - 1]))) --end;
        if (begin == end) continue;
        if (!result.empty()) result += ' ';
        result.append(text.substr(begin, end - begin));
    }
    return result;
}

}  // namespace ce::RuleMarks
