// The export side of a ConversionResult: its base name, its numbered tables, the names
// of the files an export creates, and the CSV files. This is the one place where
// output file names are formed. Everything here is a pure computation on the value.
//
// Names (base = the export base name):
//   Markdown file   base.md, pictures in the folder base-images as p<page + 1>-<cluster id>.png
//   DOCX file       base.docx
//   CSV of table n  base-table-<n>.csv
// Wherever `baseName` is optional, a missing value means baseName(result).
// Export base names are made with fittedBaseName, so that every one of these names fits
// in a file name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConversionOptions.h"
#include "core/ConversionResult.h"
#include "output/CSVWriter.h"
#include "output/DOCXWriter.h"
#include "output/DocumentTable.h"
#include "output/MarkdownExporter.h"

namespace ce::ResultExport {

struct CSVFile {
    std::string fileName;
    Data data;
};

// The source's last path component without its extension ("Report.final.pdf" gives
// "Report.final").
std::string baseName(const ConversionResult& result);

// Body elements of kind table or documentIndex holding a table with at least one row and
// one column, in page and body order; page furniture is never counted.
std::vector<DocumentTable> tables(const ConversionResult& result);

// "p", page + 1, "-", the element's cluster id, ".png"; `page` is 0-based.
std::string imageFileName(int page, const DocElement& element);

std::string csvFileName(const ConversionResult& result, int table,
                        const std::optional<std::string>& baseName = std::nullopt);

// `base` followed by `suffix` (a distinguishing ending such as " (pdf)" or " 2"), with
// `base` cut on a character boundary where needed so that the longest name an export
// builds from the result ("-table-" and the largest table number, ".csv") stays within
// the file-name limit. Names that fit are returned unchanged.
std::string fittedBaseName(std::string_view base, std::string_view suffix = {});

// One file per table, in table order.
std::vector<CSVFile> csvFiles(const ConversionResult& result, const CSVWriter::Options& options,
                              const std::optional<std::string>& baseName = std::nullopt);

// What an export in `format` creates in the target folder, in write order: the Markdown
// file and, when there are pictures, the picture folder; the DOCX file; the CSV files.
std::vector<std::string> outputNames(const ConversionResult& result, OutputFormat format,
                                     const std::optional<std::string>& baseName = std::nullopt);

// The Markdown of every page that has any, joined with a blank line, plus one line feed
// ("\n" for a result without Markdown). Picture links are `imageDirectory`, "/" and
// the picture's file name.
std::string markdown(const ConversionResult& result, MarkdownExporter::ImageMode imageMode,
                     const std::string& imageDirectory);

// What the exported Markdown file holds for `page` (no line feed appended): linked mode
// when the result has a picture crop on any page, else placeholders.
std::string exportedMarkdown(const ConversionResult& result, const ConvertedPage& page,
                             const std::optional<std::string>& baseName = std::nullopt);

// The DOCX package of the result; the DOCX writer's errors are passed on.
Data docx(const ConversionResult& result, const DOCXWriter::Options& options);

// Writes the result in `format` into `folder`, creating missing folders, and returns the
// files written in write order: the Markdown file then its pictures; the DOCX file; the
// CSV files (none for a result without tables). Each file is replaced whole. Folder and
// file errors are thrown as std::filesystem::filesystem_error, and a DOCX package that
// cannot be built throws the DOCX writer's error before any file is written. The files
// are moved into place only once all are written: a failure leaves none of them (nor a
// picture folder this call made).
std::vector<std::filesystem::path> write(const ConversionResult& result, OutputFormat format,
                                         const std::filesystem::path& folder,
                                         const std::optional<std::string>& baseName,
                                         const CSVWriter::Options& csvOptions);

// The text percent-encoded for use in a link destination: letters, digits and
// -._~!$&'*+,=:@/ stay, every other byte (parentheses included) becomes %XX.
std::string percentEncodedPathComponent(std::string_view text);

}  // namespace ce::ResultExport
