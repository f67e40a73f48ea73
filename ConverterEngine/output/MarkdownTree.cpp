#include "output/MarkdownTree.h"

#include <algorithm>

namespace ce::Markdown {

namespace {

template <class... F>
struct Visitor : F... {
    using F::operator()...;
};

std::string formatParagraph(const Paragraph& paragraph) {
    std::string out;
    for (const Inline& node : paragraph.inlines) {
        std::visit(Visitor{[&](const Text& t) { out += t.text; }, [&](const LineBreak&) { out += "  \n"; },
                           [&](const Image& i) { out += "![" + i.alt + "](" + i.source + ")"; }},
                   node);
    }
    return out;
}

// Every non-empty line after the first gets `width` spaces in front.
std::string indentContinuation(const std::string& text, std::size_t width) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] != '\n') out.append(width, ' ');
    }
    return out;
}

std::string formatList(const List& list) {
    std::string out;
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        const ListItem& item = list.items[i];
        std::string marker =
            list.ordered ? std::to_string(list.startIndex + static_cast<std::int64_t>(i)) + "." : "-";
        const std::size_t width = marker.size() + 1;
        if (item.checkbox) marker += *item.checkbox ? " [x]" : " [ ]";
        std::string content;
        for (const Paragraph& paragraph : item.paragraphs) {
            if (!content.empty()) content += "\n\n";
            content += formatParagraph(paragraph);
        }
        if (i > 0) out += '\n';
        out += marker;
        if (!content.empty()) out += " " + indentContinuation(content, width);
    }
    return out;
}

}  // namespace

std::string fencedCode(const std::string& code) {
    std::string body = code;
    while (!body.empty() && body.back() == '\n') body.pop_back();
    std::size_t longest = 0;
    std::size_t lineStart = 0;
    while (lineStart <= body.size()) {
        std::size_t i = lineStart;
        while (i < body.size() && body[i] == ' ') ++i;
        std::size_t run = 0;
        while (i + run < body.size() && body[i + run] == '`') ++run;
        longest = std::max(longest, run);
        const std::size_t next = body.find('\n', lineStart);
        if (next == std::string::npos) break;
        lineStart = next + 1;
    }
    const std::string fence(std::max<std::size_t>(3, longest + 1), '`');
    return fence + "\n" + body + "\n" + fence;
}

std::string format(const Block& block) {
    std::string out = std::visit(
        Visitor{[](const Paragraph& p) { return formatParagraph(p); },
                [](const Heading& h) { return std::string(static_cast<std::size_t>(std::clamp(h.level, 1, 6)), '#') +
                                              " " + h.text; },
                [](const HTMLBlock& h) { return h.html; }, [](const CodeBlock& c) { return fencedCode(c.code); },
                [](const List& l) { return formatList(l); }},
        block);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace ce::Markdown
