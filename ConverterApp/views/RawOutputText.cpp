#include "RawOutputText.h"

#include <QCoreApplication>

#include "output/CSVWriter.h"
#include "output/ResultExport.h"

namespace RawOutputText {

std::string bytes(const ce::ConversionResult& result, const std::string& baseName, const ce::ConvertedPage& page,
                  ce::OutputFormat format, char delimiter) {
    if (format != ce::OutputFormat::csv) return ce::ResultExport::exportedMarkdown(result, page, baseName);
    ce::CSVWriter::Options options;
    options.delimiter = delimiter;
    options.byteOrderMark = false;
    options.neutralizeFormulas = true;
    std::string text;
    for (const ce::DocumentTable& table : ce::ResultExport::tables(result)) {
        if (table.pageIndex != page.index) continue;
        if (!text.empty()) text += "\n\n";
        text += ce::ResultExport::csvFileName(result, table.number, baseName);
        text += "\n\n";
        const ce::Data csv = ce::CSVWriter::csv(table.structure, options);
        text.append(csv.begin(), csv.end());
    }
    return text;
}

QString text(const ce::ConversionResult& result, const std::string& baseName, const ce::ConvertedPage& page,
             ce::OutputFormat format, char delimiter) {
    const std::string raw = bytes(result, baseName, page, format, delimiter);
    if (raw.empty())
        return format == ce::OutputFormat::csv ? QCoreApplication::translate("RawOutputView", "No tables on this page.")
                                                : QCoreApplication::translate("RawOutputView", "No content on this page.");
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

}  // namespace RawOutputText
