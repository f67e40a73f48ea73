// Seconds per page of text recognition (observe and page text) at 1 and at N worker
// threads over the first pages of some PDFs, beside the `tesseract` command on the
// same images when it is installed.
//
//     ocr-benchmark [threads] [pages] [pdf ...]
//
// Threads default to 8, pages to 8; without PDFs the tables of $CE_CORPUS_DIR are used.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "core/ConversionOptions.h"
#include "input/VisionOCR.h"
#include "pipeline/PDFPageSource.h"
#include "pipeline/PlatformServices.h"
#include "platform/PNGEncoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double run(const std::vector<ce::RecognitionImage>& images, int threads) {
    const ce::VisionOCR ocr(ce::Languages::recognitionLanguages("en"), ce::VisionOCR::defaultSegmentGap,
                            ce::PlatformServices::textRecognizer());
    std::atomic<std::size_t> next{0};
    const auto start = Clock::now();
    {
        std::vector<std::jthread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&] {
                for (std::size_t i = next++; i < images.size(); i = next++) ocr.recognize(images[i].image, images[i].scale);
            });
    }
    return secondsSince(start) / static_cast<double>(images.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int threads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const std::size_t maxPages = argc > 2 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[2]))) : 8;
    std::vector<std::filesystem::path> files(argv + std::min(argc, 3), argv + argc);
    if (files.empty()) {
        const char* corpus = std::getenv("CE_CORPUS_DIR");
        const std::filesystem::path folder = std::filesystem::path(corpus ? corpus : "../shared/corpus") / "tables";
        if (std::filesystem::is_directory(folder))
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                if (entry.path().extension() == ".pdf") files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    std::vector<ce::RecognitionImage> images;
    for (const auto& file : files) {
        if (images.size() >= maxPages) break;
        try {
            auto document = ce::PDFDocument::open(file);
            if (document->isLocked() || document->pageCount() < 1) continue;
            if (auto page = document->page(0)) images.push_back(ce::PDFPageSource(page).ocrImage(1));
        } catch (const std::exception& error) {
            std::cerr << file.string() << ": " << error.what() << "\n";
        }
    }
    if (images.empty()) {
        std::cerr << "no pages to recognise\n";
        return 1;
    }
    std::printf("%zu pages\n", images.size());
    std::printf("1 thread: %.3f s per page\n", run(images, 1));
    std::printf("%d threads: %.3f s per page (wall time over all pages)\n", threads, run(images, threads));

    if (std::system("command -v tesseract >/dev/null 2>&1") != 0) {
        std::printf("tesseract command not installed\n");
        return 0;
    }
    const auto folder = std::filesystem::temp_directory_path() / "ocr-benchmark";
    std::filesystem::create_directories(folder);
    double total = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto png = folder / (std::to_string(i) + ".png");
        const auto bytes = ce::PNGEncoder::encode(images[i].image);
        std::ofstream(png, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
        const std::string command = "OMP_THREAD_LIMIT=1 tesseract '" + png.string() + "' - --dpi " +
                                    std::to_string(static_cast<int>(72 * images[i].scale)) + " >/dev/null 2>&1";
        const auto start = Clock::now();
        if (std::system(command.c_str()) == 0) total += secondsSince(start);
    }
    std::filesystem::remove_all(folder);
    std::printf("tesseract command: %.3f s per page (process start included)\n", total / static_cast<double>(images.size()));
    return 0;
}
