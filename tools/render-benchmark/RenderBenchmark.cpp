// Median render time per page at 1 and 2 pixels per point over a folder of PDFs and
// images, beside `mutool draw` on the same PDF pages when mutool is installed.
//
//     render-benchmark [folder] [max pages per document]
//
// The folder defaults to $CE_CORPUS_DIR (the test corpus, ../shared/corpus).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/EngineError.h"
#include "pipeline/ImagePage.h"
#include "pipeline/PDFPageSource.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool haveMutool() { return std::system("command -v mutool >/dev/null 2>&1") == 0; }

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpus = std::getenv("CE_CORPUS_DIR");
    const std::filesystem::path folder = argc > 1 ? argv[1] : corpus ? corpus : "";
    const int maxPages = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "no such folder: " << folder << "\n";
        return 1;
    }
    const bool mutool = haveMutool();
    std::map<double, std::vector<double>> ours, theirs;
    int documents = 0, failures = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        std::vector<std::shared_ptr<const ce::PageSource>> pages;
        try {
            if (extension == ".pdf") {
                auto document = ce::PDFDocument::open(entry.path());
                if (document->isLocked()) continue;
                for (int i = 0; i < std::min(document->pageCount(), maxPages); ++i)
                    if (auto page = document->page(i)) pages.push_back(std::make_shared<ce::PDFPageSource>(page));
            } else if (extension == ".png" || extension == ".jpg" || extension == ".jpeg" || extension == ".tif" ||
                       extension == ".tiff" || extension == ".bmp" || extension == ".gif" || extension == ".webp" ||
                       extension == ".heic" || extension == ".heif") {
                for (int i = 0; i < std::min(ce::ImagePage::frameCount(entry.path()), maxPages); ++i)
                    pages.push_back(std::make_shared<ce::ImagePage>(entry.path(), i));
            } else {
                continue;
            }
        } catch (const std::exception& error) {
            std::cerr << entry.path().string() << ": " << error.what() << "\n";
            ++failures;
            continue;
        }
        ++documents;
        for (double scale : {1.0, 2.0}) {
            for (const auto& page : pages) {
                const auto start = Clock::now();
                page->render(scale);
                ours[scale].push_back(secondsSince(start));
            }
            if (mutool && extension == ".pdf" && !pages.empty()) {
                const std::string command = "mutool draw -q -r " + std::to_string(static_cast<int>(72 * scale)) +
                                            " -o /dev/null -F pnm " + quoted(entry.path().string()) + " 1-" +
                                            std::to_string(pages.size()) + " >/dev/null 2>&1";
                const auto start = Clock::now();
                if (std::system(command.c_str()) == 0)
                    theirs[scale].push_back(secondsSince(start) / static_cast<double>(pages.size()));
            }
        }
    }
    std::printf("%d documents, %d unreadable\n", documents, failures);
    for (double scale : {1.0, 2.0}) {
        std::printf("scale %.0f: %zu pages, median %.2f ms per page", scale, ours[scale].size(),
                    median(ours[scale]) * 1000);
        if (mutool)
            std::printf("; mutool draw %.2f ms per page (median over documents, process start included)",
                        median(theirs[scale]) * 1000);
        else
            std::printf("; mutool not installed");
        std::printf("\n");
    }
    return 0;
}
