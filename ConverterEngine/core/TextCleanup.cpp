#include "core/TextCleanup.h"

#include "core/StringUtils.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce::PageAssembler {

const std::unordered_map<UChar32, std::string>& ligatures() {
    static const std::unordered_map<UChar32, std::string> table = {
        {0xFB00, "ff"}, {0xFB01, "fi"}, {0xFB02, "fl"}, {0xFB03, "ffi"}, {0xFB04, "ffl"},
        {0xFB05, "st"}, {0xFB06, "st"}, {0x0132, "IJ"}, {0x0133, "ij"}, {0xF0A0, ""},
    };
    return table;
}

std::string expandLigatures(std::string_view text) {
    const auto& table = ligatures();
    std::string out;
    bool changed = false;
    std::size_t copiedUpTo = 0;  // bytes of `text` before this are already in `out`
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const UChar32 c = nextScalar(text, i);
        const auto found = table.find(c);
        if (found == table.end()) continue;
        if (!changed) out.reserve(text.size() + 8);
        changed = true;
        out.append(text.substr(copiedUpTo, start - copiedUpTo));
        out += found->second;
        copiedUpTo = i;
        if (c >= 0xFB00 && c <= 0xFB06 && i + 1 < text.size() && text[i] == ' ') {
            std::size_t after = i + 1;
            const UChar32 next = nextScalar(text, after);
            if (next == '_' || isWordScalar(next)) {
                ++i;  // the space after the ligature is dropped
                copiedUpTo = i;
            }
        }
    }
    if (!changed) return std::string(text);
    out.append(text.substr(copiedUpTo));
    return out;
}

std::string normalizeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const UChar32 c = nextScalar(text, i);
        switch (c) {
            case 0x2044: out += '/'; break;
            case 0x2018:
            case 0x2019: out += '\''; break;
            case 0x201C:
            case 0x201D: out += '"'; break;
            case 0x2022: out += "\xC2\xB7"; break;
            default: out.append(text.substr(start, i - start));
        }
    }
    return expandLigatures(out);
}

std::string cleanedCellText(std::string_view text) {
    std::string replaced;
    replaced.reserve(text.size());
    for (char ch : text) replaced += ch == '\x02' ? '-' : ch;
    return trimmingWhitespace(replaced);
}

namespace {

bool isPlainWord(const std::string& token) { return token.find('_') == std::string::npos; }

// Whether `text` ends in a line-end hyphen that joins it to `next` without a space.
bool joinsWithoutHyphen(std::string_view text, std::string_view next) {
    if (text.empty() || text.back() != '-') return false;
    std::size_t hyphen = text.size() - 1;
    if (hyphen == 0) return false;  // a lone hyphen has fewer than two scalars
    std::size_t before = hyphen;
    if (!isWordScalar(previousScalar(text, before))) return false;
    const auto lastTokens = wordTokens(text);
    const auto nextTokens = wordTokens(next);
    return !lastTokens.empty() && !nextTokens.empty() && isPlainWord(lastTokens.back()) &&
           isPlainWord(nextTokens.front());
}

constexpr std::string_view softHyphen = "\xC2\xAD";

// The text without its soft hyphens, but for one at its very end when `keepEnd`: a soft
// hyphen only marks where a word may break, and the one ending a text's last line may
// still join it to a continuation in the next column.
std::string withoutSoftHyphens(std::string_view text, bool keepEnd) {
    const bool endsInOne = keepEnd && text.ends_with(softHyphen);
    if (endsInOne) text.remove_suffix(softHyphen.size());
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = text.find(softHyphen, at);
        out.append(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos) break;
        at = next + softHyphen.size();
    }
    if (endsInOne) out.append(softHyphen);
    return out;
}

}  // namespace

std::string joinCellTexts(const std::vector<std::string>& texts) {
    if (texts.empty()) return {};
    std::string joined;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const bool lastLine = k + 1 == texts.size();
        const std::string lineEnd = trimmingWhitespace(texts[k]);
        if (!lastLine && lineEnd.ends_with(softHyphen)) {
            // A word broken at a soft hyphen at the line end: the halves join directly.
            joined += withoutSoftHyphens(lineEnd, false);
            continue;
        }
        const std::string text = withoutSoftHyphens(texts[k], lastLine);
        if (lastLine) {
            joined += text;
        } else if (joinsWithoutHyphen(text, texts[k + 1])) {
            joined.append(text, 0, text.size() - 1);
        } else {
            joined += text;
            joined += ' ';
        }
    }
    return trimmingWhitespace(normalizeText(joined));
}

}  // namespace ce::PageAssembler
