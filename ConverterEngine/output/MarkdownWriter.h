// The page renderer for library clients, with its own per-kind rules (a fixed code fence,
// one more "#" than the level with no cap, no guard for text that would start a block),
// and the text-level pieces it shares with the Markdown exporter: underscore, asterisk and
// HTML escaping, the one-line HTML table and the caption line. Pure functions; safe to
// call from any thread.
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

// Single line feeds become hard breaks ("  \n"); blank lines stay as they are.
std::string paragraph(const std::string& text);

// One list item line: a "-", "*", "+" or "N." marker is written as it stands; otherwise
// "number + 1." for an unmarked item of a numbered list, else "-", followed by a marker
// holding a letter or digit ("a)"), then the text-escaped body.
std::string listItem(const DocElement& item, int number, bool enumerated);

// The element's Markdown, "" for forms, key-value regions and empty formulas; `number`
// (0-based place in its list) and `enumerated` matter only for list items. Footnotes are
// not written.
std::string element(const DocElement& element, int number, bool enumerated);

// The page body's Markdown: items of one list numbered over the page, one line feed
// between neighbouring items of one list, a blank line between all other blocks, no
// trailing line feed.
std::string markdown(const AssembledPage& page);

}  // namespace ce::MarkdownWriter
