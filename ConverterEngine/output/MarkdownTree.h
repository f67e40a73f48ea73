// The few Markdown block and inline nodes the exporter builds, and their printer.
// The printer writes ATX headings, "-" bullets, ordered items numbered from their
// list's start, hard breaks as two spaces and a line feed, HTML blocks and text
// verbatim (callers escape text themselves), images as inline image links, task
// boxes as "[x]" or "[ ]" after the bullet, and code in a backtick fence longer than
// any backtick run that starts one of its lines. Continuation lines of a list item are
// indented by the width of its marker. Output never ends in a line feed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ce::Markdown {

struct Text {
    std::string text;
};
struct LineBreak {};
struct Image {
    std::string source;
    std::string alt;
};
using Inline = std::variant<Text, LineBreak, Image>;

struct Paragraph {
    std::vector<Inline> inlines;
};
struct Heading {
    int level = 1;  // 1 to 6
    std::string text;
};
struct HTMLBlock {
    std::string html;
};
struct CodeBlock {
    std::string code;
};
struct ListItem {
    std::optional<bool> checkbox;  // checked, unchecked, or no task box
    std::vector<Paragraph> paragraphs;
};
struct List {
    bool ordered = false;
    std::int64_t startIndex = 1;  // ordered lists only; at least 0
    std::vector<ListItem> items;
};
using Block = std::variant<Paragraph, Heading, HTMLBlock, CodeBlock, List>;

std::string format(const Block& block);

// The code between two fences of max(3, r + 1) backticks, r being the longest backtick
// run after the leading spaces of any line; trailing line feeds of the code are dropped.
std::string fencedCode(const std::string& code);

}  // namespace ce::Markdown
