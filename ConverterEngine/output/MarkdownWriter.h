// Markdown text of the engine's document elements, written directly without a tree.
// Supplies the text-level pieces the Markdown exporter uses (underscore escaping, the
// one-line HTML table, the caption line) and a complete page renderer of its own,
// markdown(), for library clients. Pure functions; safe to call from any thread.
#pragma once

#include <optional>
#include <string>

#include "core/DocElement.h"

namespace ce::MarkdownWriter {

// The page's body elements, each rendered by element() and joined with "\n" between
// items of one list and "\n\n" otherwise; empty renderings are skipped. No trailing
// line feed.
std::string markdown(const AssembledPage& page);

// One element; `number` (0-based position in its list) and `enumerated` (its list is
// numbered) matter only for list items.
std::string element(const DocElement& element, int number, bool enumerated);

// Every "_" not already preceded by a backslash gets one, except inside image links
// ("![alt](path)"), which stay as they are.
std::string escape(const std::string& text);

// escape() followed by HTML escaping without quotes: the form every plain text takes.
std::string textEscaped(const std::string& text);

// The table as one line of HTML: "<th>" for column headers, rowspan/colspan for spans,
// "<td></td>" for positions no cell starts at or covers, cell texts trimmed, escaped
// with quotes and with line breaks written as "<br>". "<table></table>" for no table.
std::string tableHTML(const std::optional<TableStructure>& table);

// The texts of the element's captions joined with one space, text-escaped.
std::string captions(const DocElement& element);

// Single line feeds become hard breaks ("  \n"); blank lines stay.
std::string paragraph(const std::string& text);

// One list item line: the marker as found when it is "-", "*", "+" or "<number>.";
// otherwise "<number + 1>." in a numbered list with no marker, else "-", followed by
// the marker when it holds a letter or digit; then the text.
std::string listItem(const DocElement& element, int number, bool enumerated);

}  // namespace ce::MarkdownWriter
