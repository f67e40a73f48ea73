// The text-level pieces of the engine's Markdown, used by the Markdown exporter:
// underscore, asterisk and HTML escaping, the one-line HTML table and the caption line. Pure
// functions; safe to call from any thread.
#pragma once

#include <optional>
#include <string>

#include "core/DocElement.h"

namespace ce::MarkdownWriter {

// Every "_" and "*" not already preceded by a backslash gets one (both open emphasis,
// "*" also inside a word, as in "8m*5m*8m"), except inside image links ("![alt](path)"),
// which stay as they are.
std::string escape(const std::string& text);

// escape() followed by HTML escaping without quotes: the form every plain text takes.
std::string textEscaped(const std::string& text);

// The table as one line of HTML: "<th>" for column headers, rowspan/colspan for spans,
// "<td></td>" for positions no cell starts at or covers, cell texts trimmed, escaped
// with quotes and with line breaks written as "<br>". "<table></table>" for no table.
std::string tableHTML(const std::optional<TableStructure>& table);

// The texts of the element's captions joined with one space, text-escaped.
std::string captions(const DocElement& element);

}  // namespace ce::MarkdownWriter
