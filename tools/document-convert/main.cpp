// document-convert: converts files and folders with the real engine and writes the
// outputs the way export does; prints per-step timings and pages per second, split
// into text-layer pages and recognised pages. A developer tool for trying the engine
// and for benchmarks.
//
//   document-convert [--format markdown|docx|csv] [--language auto|en|es] [--out DIR]
//                    [--models DIR] [--documents N] [--pages FIRST-LAST] [--force-ocr]
//                    [--no-pictures] FILE|FOLDER...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/ConversionError.h"
#include "core/ErrorDescription.h"
#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "output/ResultExport.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {
struct Arguments {
    OutputFormat format = OutputFormat::markdown;
    ConversionOptions options;
    fs::path out = "converted";
    std::optional<fs::path> models;
    int documents = 2;
    std::vector<fs::path> inputs;
};

[[noreturn]] void usage(const char* problem) {
    std::fprintf(stderr,
                 "document-convert: %s\n"
                 "usage: document-convert [--format markdown|docx|csv] [--language auto|en|es] [--out DIR]\n"
                 "                        [--models DIR] [--documents N] [--pages FIRST-LAST] [--force-ocr]\n"
                 "                        [--no-pictures] FILE|FOLDER...\n",
                 problem);
    std::exit(2);
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
            return argv[++i];
        };
        if (arg == "--format") {
            const auto f = OutputFormats::fromRawValue(value());
            if (!f) usage("unknown format");
            a.format = *f;
        } else if (arg == "--language") {
            const auto l = Languages::fromRawValue(value());
            if (!l) usage("unknown language");
            a.options.language = *l;
        } else if (arg == "--out") {
            a.out = value();
        } else if (arg == "--models") {
            a.models = fs::path(value());
        } else if (arg == "--documents") {
            a.documents = std::atoi(value().c_str());
        } else if (arg == "--pages") {
            const std::string range = value();
            const auto dash = range.find('-');
            if (dash == std::string::npos) usage("--pages takes FIRST-LAST (1-based)");
            a.options.pageRange = PageRange{std::atoi(range.substr(0, dash).c_str()) - 1,
                                            std::atoi(range.substr(dash + 1).c_str()) - 1};
        } else if (arg == "--force-ocr") {
            a.options.forceOCR = true;
        } else if (arg == "--no-pictures") {
            a.options.extractImages = false;
        } else if (!arg.empty() && arg[0] == '-') {
            usage(("unknown option " + arg).c_str());
        } else {
            a.inputs.emplace_back(arg);
        }
    }
    if (a.inputs.empty()) usage("no input files");
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    const Arguments args = parse(argc, argv);
    std::vector<fs::path> files;
    for (const fs::path& input : args.inputs) {
        if (fs::is_directory(input)) {
            for (const fs::path& f : DocumentConverter::supportedFiles(input, true)) files.push_back(f);
        } else {
            files.push_back(input);
        }
    }
    const ModelLocation location = args.models ? ModelLocation::directory(*args.models) : ModelLocation::automatic();
    std::printf("models: %s\n", location.url().c_str());
    const DocumentConverter converter(std::make_shared<ModelSet>(location, ComputeUnits::all, PlatformServices::modelRuntime()));

    std::map<std::string, double> stepSeconds;
    int textPages = 0, ocrPages = 0, failedPages = 0, failedDocuments = 0;
    double textSeconds = 0, ocrSeconds = 0;
    const auto start = std::chrono::steady_clock::now();
    converter.convertBatch(files, args.options, args.documents, {}, [&](BatchItem item) {
        if (auto* error = std::get_if<std::exception_ptr>(&item.result)) {
            ++failedDocuments;
            std::printf("FAILED %s: %s\n", item.url.c_str(), describeError(*error).c_str());
            return;
        }
        const ConversionResult& result = std::get<ConversionResult>(item.result);
        for (const ConvertedPage& page : result.pages) {
            double seconds = 0;
            for (const auto& [step, s] : page.timings) {
                stepSeconds[step] += s;
                seconds += s;
            }
            if (page.failure) {
                ++failedPages;
                std::printf("  page %d of %s failed: %s\n", page.index + 1, item.url.filename().c_str(), page.failure->c_str());
            } else if (page.usedOCR) {
                ++ocrPages;
                ocrSeconds += seconds;
            } else {
                ++textPages;
                textSeconds += seconds;
            }
        }
        fs::path folder = args.out;
        try {
            const auto written = ResultExport::write(result, args.format, folder, std::nullopt, {});
            std::printf("%s: %zu pages in %.2f s -> %zu files\n", item.url.c_str(), result.pages.size(), result.seconds,
                        written.size());
        } catch (const std::exception& e) {
            ++failedDocuments;
            std::printf("FAILED writing %s: %s\n", item.url.c_str(), e.what());
        }
    });
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n%zu documents, %d failed; %d text-layer pages, %d recognised pages, %d failed pages; %.2f s\n",
                files.size(), failedDocuments, textPages, ocrPages, failedPages, wall);
    for (const auto& [step, s] : stepSeconds) std::printf("  %-9s %8.2f s\n", step.c_str(), s);
    if (textPages > 0) std::printf("text-layer pages: %.2f pages/s of pipeline time\n", textPages / textSeconds);
    if (ocrPages > 0) std::printf("recognised pages: %.2f pages/s of pipeline time\n", ocrPages / ocrSeconds);
    const int pages = textPages + ocrPages + failedPages;
    if (wall > 0) std::printf("overall: %.2f pages/s\n", pages / wall);
    return failedDocuments == 0 ? 0 : 1;
}
