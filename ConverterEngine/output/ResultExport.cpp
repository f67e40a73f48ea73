#include "output/ResultExport.h"

namespace ce::ResultExport {

namespace {

std::string baseOr(const ConversionResult& result, const std::optional<std::string>& baseName) {
    return baseName ? *baseName : ResultExport::baseName(result);
}

// Whether some body element of some page has a picture crop.
bool hasPictures(const ConversionResult& result) {
    for (const ConvertedPage& page : result.pages) {
        for (const DocElement& element : page.content.body) {
            if (page.images.contains(element.clusterID)) return true;
        }
    }
    return false;
}

}  // namespace

std::string baseName(const ConversionResult& result) { return result.source.stem().string(); }

std::vector<DocumentTable> tables(const ConversionResult& result) {
    std::vector<DocumentTable> out;
    for (const ConvertedPage& page : result.pages) {
        for (const DocElement& element : page.content.body) {
            if (element.kind != DocElementKind::table && element.kind != DocElementKind::documentIndex) continue;
            if (!element.table || element.table->numRows <= 0 || element.table->numCols <= 0) continue;
            out.push_back({static_cast<int>(out.size()) + 1, page.index, *element.table});
        }
    }
    return out;
}

std::string imageFileName(int page, const DocElement& element) {
    return "p" + std::to_string(page + 1) + "-" + std::to_string(element.clusterID) + ".png";
}

std::string csvFileName(const ConversionResult& result, int table, const std::optional<std::string>& baseName) {
    return baseOr(result, baseName) + "-table-" + std::to_string(table) + ".csv";
}

std::vector<CSVFile> csvFiles(const ConversionResult& result, const CSVWriter::Options& options,
                              const std::optional<std::string>& baseName) {
    std::vector<CSVFile> out;
    for (const DocumentTable& table : tables(result)) {
        out.push_back({csvFileName(result, table.number, baseName), CSVWriter::csv(table.structure, options)});
    }
    return out;
}

std::vector<std::string> outputNames(const ConversionResult& result, OutputFormat format,
                                     const std::optional<std::string>& baseName) {
    const std::string base = baseOr(result, baseName);
    switch (format) {
        case OutputFormat::markdown:
            if (hasPictures(result)) return {base + ".md", base + "-images"};
            return {base + ".md"};
        case OutputFormat::docx:
            return {base + ".docx"};
        case OutputFormat::csv: {
            std::vector<std::string> names;
            for (const DocumentTable& table : tables(result)) names.push_back(csvFileName(result, table.number, base));
            return names;
        }
    }
    return {};
}

std::string percentEncodedPathComponent(std::string_view text) {
    static constexpr std::string_view unreserved = "-._~!$&'*+,;=:@/";
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool alnum = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
        if (alnum || unreserved.find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

}  // namespace ce::ResultExport
