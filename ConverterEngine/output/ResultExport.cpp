#include "output/ResultExport.h"

#include <limits>

#include "output/AtomicFile.h"
#include "output/FileNameLength.h"

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

struct PictureEntry {
    int pageIndex = 0;
    const DocElement* element = nullptr;
    const Data* png = nullptr;
};

// Every body element with a picture crop, in page and body order.
std::vector<PictureEntry> pictures(const ConversionResult& result) {
    std::vector<PictureEntry> out;
    for (const ConvertedPage& page : result.pages) {
        for (const DocElement& element : page.content.body) {
            const auto found = page.images.find(element.clusterID);
            if (found != page.images.end()) out.push_back({page.index, &element, &found->second});
        }
    }
    return out;
}

MarkdownExporter::ImagePath imagePaths(const ConvertedPage& page, const std::string& folder) {
    return [&page, folder](const DocElement& element) -> std::optional<std::string> {
        if (!page.images.contains(element.clusterID)) return std::nullopt;
        return folder + "/" + imageFileName(page.index, element);
    };
}

std::string imageFolderName(const std::string& base) { return base + "-images"; }

// The longest ending any output name adds to the base: the CSV name of the largest table number.
const std::size_t longestEnding =
    std::string_view("-table-").size() + std::to_string(std::numeric_limits<int>::max()).size() +
    std::string_view(".csv").size();

}  // namespace

std::string baseName(const ConversionResult& result) { return result.source.stem().string(); }

std::string fittedBaseName(std::string_view base, std::string_view suffix) {
    const std::size_t room = FileNameLength::maximumBytes - longestEnding;
    const std::size_t kept = room > suffix.size() ? room - suffix.size() : 0;
    return std::string(FileNameLength::prefix(base, kept)).append(suffix);
}

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
            if (hasPictures(result)) return {base + ".md", imageFolderName(base)};
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

std::string markdown(const ConversionResult& result, MarkdownExporter::ImageMode imageMode,
                     const std::string& imageDirectory) {
    std::string out;
    for (const ConvertedPage& page : result.pages) {
        const std::string text =
            MarkdownExporter::markdown(page.content, imageMode, imagePaths(page, imageDirectory));
        if (text.empty()) continue;
        if (!out.empty()) out += "\n\n";
        out += text;
    }
    return out + "\n";
}

std::string exportedMarkdown(const ConversionResult& result, const ConvertedPage& page,
                             const std::optional<std::string>& baseName) {
    const std::string folder = percentEncodedPathComponent(imageFolderName(baseOr(result, baseName)));
    const auto mode = hasPictures(result) ? MarkdownExporter::ImageMode::linked : MarkdownExporter::ImageMode::placeholder;
    return MarkdownExporter::markdown(page.content, mode, imagePaths(page, folder));
}

Data docx(const ConversionResult& result, const DOCXWriter::Options& options) {
    return DOCXWriter::document(result, options);
}

std::vector<std::filesystem::path> write(const ConversionResult& result, OutputFormat format,
                                         const std::filesystem::path& folder,
                                         const std::optional<std::string>& baseName,
                                         const CSVWriter::Options& csvOptions) {
    const std::string base = baseOr(result, baseName);
    std::filesystem::create_directories(folder);
    // The document's files are staged together and moved into place only once all are
    // written, so that a failure leaves nothing of the document behind.
    AtomicFile::FileSet files;
    std::vector<std::filesystem::path> written;
    auto stage = [&](const std::filesystem::path& target, const Data& data) {
        files.stage(target, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        written.push_back(target);
    };
    switch (format) {
        case OutputFormat::markdown: {
            const std::vector<PictureEntry> entries = pictures(result);
            const auto mode =
                entries.empty() ? MarkdownExporter::ImageMode::placeholder : MarkdownExporter::ImageMode::linked;
            const auto target = folder / (base + ".md");
            files.stage(target, markdown(result, mode, percentEncodedPathComponent(imageFolderName(base))));
            written.push_back(target);
            if (entries.empty()) break;
            const std::filesystem::path imageFolder = folder / imageFolderName(base);
            const bool madeFolder = std::filesystem::create_directories(imageFolder);
            try {
                for (const PictureEntry& entry : entries)
                    stage(imageFolder / imageFileName(entry.pageIndex, *entry.element), *entry.png);
                files.commit();
            } catch (...) {
                files.discard();
                std::error_code ignored;
                if (madeFolder) std::filesystem::remove(imageFolder, ignored);  // only when left empty
                throw;
            }
            return written;
        }
        case OutputFormat::docx:
            stage(folder / (base + ".docx"), docx(result, DOCXWriter::Options{}));
            break;
        case OutputFormat::csv:
            for (const CSVFile& file : csvFiles(result, csvOptions, base)) stage(folder / file.fileName, file.data);
            break;
    }
    files.commit();
    return written;
}

std::string percentEncodedPathComponent(std::string_view text) {
    static constexpr std::string_view unreserved = "-._~!$&'*+,=:@/";
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
