// Reads Markdown back with cmark-gfm and describes the blocks it found, one line per
// block, nested blocks indented by two spaces:
//   h<level>: <inlines>    p: <inlines>    ul / ol <start>    li    code: <literal>
//   html: <literal>        hr
// Inlines: text as is, a hard break as "⏎", a soft break as "~", an image as
// "img(<url>|<alt>)", inline code as `...`, emphasis as *...*, strong as **...**.
#pragma once

#include <cmark-gfm.h>

#include <string>
#include <vector>

namespace ce::testing {

inline std::string inlines(cmark_node* node) {
    std::string out;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const char* literal = cmark_node_get_literal(child);
        switch (cmark_node_get_type(child)) {
            case CMARK_NODE_TEXT:
                out += literal ? literal : "";
                break;
            case CMARK_NODE_LINEBREAK:
                out += "⏎";
                break;
            case CMARK_NODE_SOFTBREAK:
                out += "~";
                break;
            case CMARK_NODE_CODE:
                out += std::string("`") + (literal ? literal : "") + "`";
                break;
            case CMARK_NODE_HTML_INLINE:
                out += literal ? literal : "";
                break;
            case CMARK_NODE_EMPH:
                out += "*" + inlines(child) + "*";
                break;
            case CMARK_NODE_STRONG:
                out += "**" + inlines(child) + "**";
                break;
            case CMARK_NODE_IMAGE:
                out += std::string("img(") + cmark_node_get_url(child) + "|" + inlines(child) + ")";
                break;
            case CMARK_NODE_LINK:
                out += std::string("link(") + cmark_node_get_url(child) + "|" + inlines(child) + ")";
                break;
            default:
                out += "?";
        }
    }
    return out;
}

inline void describeBlocks(cmark_node* node, const std::string& indent, std::vector<std::string>& out) {
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const char* literal = cmark_node_get_literal(child);
        switch (cmark_node_get_type(child)) {
            case CMARK_NODE_HEADING:
                out.push_back(indent + "h" + std::to_string(cmark_node_get_heading_level(child)) + ": " + inlines(child));
                break;
            case CMARK_NODE_PARAGRAPH:
                out.push_back(indent + "p: " + inlines(child));
                break;
            case CMARK_NODE_LIST:
                out.push_back(indent + (cmark_node_get_list_type(child) == CMARK_ORDERED_LIST
                                            ? "ol " + std::to_string(cmark_node_get_list_start(child))
                                            : std::string("ul")));
                describeBlocks(child, indent + "  ", out);
                break;
            case CMARK_NODE_ITEM:
                out.push_back(indent + "li");
                describeBlocks(child, indent + "  ", out);
                break;
            case CMARK_NODE_CODE_BLOCK:
                out.push_back(indent + "code: " + (literal ? literal : ""));
                break;
            case CMARK_NODE_HTML_BLOCK: {
                std::string html = literal ? literal : "";
                while (!html.empty() && html.back() == '\n') html.pop_back();
                out.push_back(indent + "html: " + html);
                break;
            }
            case CMARK_NODE_THEMATIC_BREAK:
                out.push_back(indent + "hr");
                break;
            default:
                out.push_back(indent + "?");
        }
    }
}

inline std::vector<std::string> readBlocks(const std::string& markdown) {
    cmark_node* document = cmark_parse_document(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT);
    std::vector<std::string> out;
    describeBlocks(document, "", out);
    cmark_node_free(document);
    return out;
}

}  // namespace ce::testing
