// Text-layer time per PDF page: reading MuPDF's structured text (the work of
// `mutool draw -F stext`), the analyses over it, and the whole text layer; beside it,
// when mutool is on the PATH, mutool's own time for the same page.
//
//     textlayer_bench [--draw DIR] FILE.pdf|FOLDER ...
//
// --draw writes each page rendered at scale 2 with its word boxes (red) and line boxes
// (blue) drawn over it, as DIR/<file>-p<page>.png, for checking the boxes by eye.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/DeskewedPage.h"
#include "input/PDFTextLayer.h"
#include "pipeline/PDFPageSource.h"
#include "platform/PDFStructuredText.h"
#include "platform/PNGEncoder.h"

using namespace ce;
namespace fs = std::filesystem;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void outline(RGBImage& image, const BBox& box, double scale, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const int x0 = std::clamp(static_cast<int>(box.l * scale), 0, image.width - 1);
    const int x1 = std::clamp(static_cast<int>(box.r * scale), 0, image.width - 1);
    const int y0 = std::clamp(static_cast<int>(box.t * scale), 0, image.height - 1);
    const int y1 = std::clamp(static_cast<int>(box.b * scale), 0, image.height - 1);
    auto put = [&](int x, int y) {
        std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    };
    for (int x = x0; x <= x1; ++x) put(x, y0), put(x, y1);
    for (int y = y0; y <= y1; ++y) put(x0, y), put(x1, y);
}

double mutoolMilliseconds(const fs::path& file, int page) {
    const std::string command = "mutool draw -q -F stext -o /dev/null '" + file.string() + "' " +
                                std::to_string(page + 1) + " >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    return std::system(command.c_str()) == 0 ? millisecondsSince(start) : -1;
}

void benchmark(const fs::path& file, const fs::path& drawTo, bool haveMutool) {
    std::shared_ptr<PDFDocument> document;
    int pages = 0;
    try {
        document = PDFDocument::open(file);
        if (document->isLocked()) return;
        pages = document->pageCount();
    } catch (const PDFError& e) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), e.what());
        return;
    }
    for (int i = 0; i < pages; ++i) {
        const auto page = document->page(i);
        if (!page) continue;
        const PDFPageSource source(page);
        auto start = std::chrono::steady_clock::now();
        const PageTextView view = PDFStructuredText::read(*page);
        const double readMs = millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const auto analysed = PDFTextLayer::read(view);
        const double analysisMs = millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const auto text = source.textLayer();
        const double wholeMs = millisecondsSince(start);
        const double mutoolMs = haveMutool ? mutoolMilliseconds(file, i) : -1;
        std::printf("%-60s %4d %6zu %6zu %9.2f %9.2f %9.2f %9.2f\n", file.filename().c_str(), i + 1,
                    text ? text->lines.size() : 0, text ? text->words.size() : 0, readMs, analysisMs, wholeMs,
                    mutoolMs);
        if (!drawTo.empty() && text) {
            // A half-turned layer's boxes lie on the page turned by a half turn.
            RGBImage image = text->halfTurned ? DeskewedPage::rotate(source.render(2), 180) : source.render(2);
            for (const TextCell& line : text->lines) outline(image, line.bbox, 2, 0, 0, 255);
            for (const TextCell& word : text->words) outline(image, word.bbox, 2, 255, 0, 0);
            const auto png = PNGEncoder::encode(image);
            const fs::path out = drawTo / (file.stem().string() + "-p" + std::to_string(i + 1) + ".png");
            std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                       static_cast<std::streamsize>(png.size()));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    fs::path drawTo;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--draw" && i + 1 < argc) {
            drawTo = argv[++i];
            fs::create_directories(drawTo);
        } else if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg))
                if (entry.path().extension() == ".pdf") files.push_back(entry.path());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: textlayer_bench [--draw DIR] FILE.pdf|FOLDER ...\n");
        return 2;
    }
    std::sort(files.begin(), files.end());
    const bool haveMutool = std::system("command -v mutool >/dev/null 2>&1") == 0;
    std::printf("%-60s %4s %6s %6s %9s %9s %9s %9s\n", "file", "page", "lines", "words", "stext ms", "analyse ms",
                "layer ms", "mutool ms");
    for (const fs::path& file : files) benchmark(file, drawTo, haveMutool);
    return 0;
}
