// The text the raw output view shows for a page: exactly what export writes for it.
// CSV: each of the page's tables under the file name export gives it, then its CSV
// with the chosen delimiter and formula neutralising, without the byte-order mark
// (rows still end in CR LF). Markdown and DOCX: the page's part of the exported
// Markdown file, with picture links into the base name's images folder.
#pragma once

#include <QString>
#include <string>

#include "EngineTypes.h"

namespace RawOutputText {

// The UTF-8 text, or an empty string when the page has nothing to show.
std::string bytes(const ce::ConversionResult& result, const std::string& baseName, const ce::ConvertedPage& page,
                  ce::OutputFormat format, char delimiter);

// The shown text: the bytes decoded as UTF-8 (invalid sequences repaired), or
// "No tables on this page." / "No content on this page." when they are empty.
QString text(const ce::ConversionResult& result, const std::string& baseName, const ce::ConvertedPage& page,
             ce::OutputFormat format, char delimiter);

}  // namespace RawOutputText
