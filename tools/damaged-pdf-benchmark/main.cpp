// damaged-pdf-benchmark: how the engine reads PDFs with a few flipped bytes, beside
// pdftotext. For every PDF of a folder it writes VARIANTS copies, each with FLIPS bytes
// XOR-ed with 0xFF at offsets drawn from a generator seeded with the variant's number
// (the same variants on every run), then reads each copy as a conversion does (page
// sources, each page loaded and its text layer read) and counts its words beside
// `pdftotext`'s. It prints every variant that pdftotext reads and the engine does not,
// or reads with fewer than half of pdftotext's words, and totals.
//
//   damaged-pdf-benchmark [--variants N] [--flips N] [--keep DIR] FOLDER
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pipeline/DocumentConverter.h"
#include "pipeline/PDFPageSource.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Words pdftotext reads from the file, or -1 when it cannot read it.
long pdftotextWords(const fs::path& path) {
    const std::string command = "pdftotext -q '" + path.string() + "' - 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    long words = 0;
    bool inWord = false;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
        if (!space && !inWord) ++words;
        inWord = !space;
    }
    const int status = pclose(pipe);
    return status == 0 ? words : -1;
}

struct EngineRead {
    long words = 0;
    int pages = 0;
    int failedPages = 0;
    std::string error;  // set when the document fails as a whole
};

EngineRead engineWords(const fs::path& path) {
    EngineRead read;
    try {
        const auto sources = DocumentConverter::pageSources(path);
        read.pages = static_cast<int>(sources.size());
        for (const auto& factory : sources) {
            try {
                const auto opened = factory();
                if (const auto text = opened.source->textLayer()) read.words += static_cast<long>(text->words.size());
            } catch (const std::exception&) {
                ++read.failedPages;
            }
        }
        if (read.pages == 0) read.error = "no pages";
    } catch (const std::exception& error) {
        read.error = error.what();
    }
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    int variants = 10;
    int flips = 4;
    fs::path keep;
    fs::path folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--variants" && i + 1 < argc) {
            variants = std::atoi(argv[++i]);
        } else if (arg == "--flips" && i + 1 < argc) {
            flips = std::atoi(argv[++i]);
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            folder = arg;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: damaged-pdf-benchmark [--variants N] [--flips N] [--keep DIR] FOLDER\n");
        return 2;
    }
    const fs::path scratch =
        keep.empty() ? fs::temp_directory_path() / ("damaged-pdf-benchmark-" + std::to_string(::getpid())) : keep;
    fs::create_directories(scratch);
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".pdf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    int readable = 0, lost = 0, short_ = 0;
    long referenceWords = 0, engineTotal = 0;
    for (const fs::path& file : files) {
        const std::string bytes = readFile(file);
        if (bytes.size() < 16) continue;
        for (int v = 0; v < variants; ++v) {
            std::mt19937 generator(static_cast<std::uint32_t>(v + 1));
            std::uniform_int_distribution<std::size_t> offset(0, bytes.size() - 1);
            std::string damaged = bytes;
            for (int f = 0; f < flips; ++f) damaged[offset(generator)] ^= static_cast<char>(0xFF);
            const fs::path copy = scratch / (file.stem().string() + "-v" + std::to_string(v + 1) + ".pdf");
            std::ofstream(copy, std::ios::binary) << damaged;
            const long reference = pdftotextWords(copy);
            if (reference <= 0) {
                if (keep.empty()) fs::remove(copy);
                continue;
            }
            ++readable;
            referenceWords += reference;
            const EngineRead read = engineWords(copy);
            engineTotal += read.words;
            if (!read.error.empty()) {
                ++lost;
                std::printf("%s: pdftotext %ld words; engine: %s\n", copy.filename().c_str(), reference,
                            read.error.c_str());
            } else if (read.words * 2 < reference) {
                ++short_;
                std::printf("%s: pdftotext %ld words; engine %ld words, %d of %d pages failed\n",
                            copy.filename().c_str(), reference, read.words, read.failedPages, read.pages);
            }
            if (keep.empty()) fs::remove(copy);
        }
    }
    std::printf("%d variants pdftotext reads: %d fail in the engine, %d give under half the words; "
                "words %ld of pdftotext's %ld\n",
                readable, lost, short_, engineTotal, referenceWords);
    if (keep.empty()) fs::remove_all(scratch);
    return 0;
}
