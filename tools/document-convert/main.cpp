// document-convert: converts files and folders with the real engine and writes the
// outputs the way export does; prints per-step timings and pages per second, split
// into text-layer pages and recognised pages. A developer tool for trying the engine
// and for benchmarks.
//
//   document-convert [--format markdown|docx|csv] [--language auto|en|es] [--out DIR]
//                    [--models DIR] [--documents N] [--pages FIRST-LAST] [--force-ocr]
//                    [--no-pictures] FILE|FOLDER...
//
// Documents of the same base name are named apart as export does (OutputPlan.h), files
// found in folders keep their sub-folders. A path that cannot be read, a document that
// cannot be converted or written, and a document whose every page failed are reported;
// a document written without any text or picture counts as converted and is named.
// The exit status is 1 when any of those failures happened or no document gave text or
// pictures, 2 for bad arguments.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "OutputPlan.h"

#include "core/ConversionError.h"
#include "core/ErrorDescription.h"
#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "output/ResultExport.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"
#include "platform/OpenMPRuntime.h"
#include "platform/ProcessMemory.h"

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

// The documents to convert, each with its sub-folder: files given directly, then the
// supported files below each given folder, labelled with their folder's path relative
// to the given folder's parent. A path given twice is converted once. Paths that
// cannot be read are reported and counted in `unreadable`.
std::vector<OutputPlan::Source> gather(const std::vector<fs::path>& inputs, int& unreadable) {
    std::vector<OutputPlan::Source> sources;
    std::set<fs::path> seen;
    auto add = [&](const fs::path& file, std::string folder) {
        std::error_code ec;
        fs::path key = fs::weakly_canonical(fs::absolute(file, ec), ec);
        if (ec) key = file.lexically_normal();
        if (seen.insert(key).second) sources.push_back({file, std::move(folder)});
    };
    for (const fs::path& input : inputs) {
        std::error_code ec;
        const fs::file_status status = fs::status(input, ec);
        if (ec) {
            ++unreadable;
            std::printf("FAILED %s: %s\n", input.c_str(), ec.message().c_str());
            continue;
        }
        if (!fs::is_directory(status)) {
            add(input, "");
            continue;
        }
        const std::vector<fs::path> found = DocumentConverter::supportedFiles(input, true);
        if (found.empty()) std::printf("no PDFs or images in %s\n", input.c_str());
        fs::path folder = input.lexically_normal();
        if (folder.filename().empty()) folder = folder.parent_path();  // "in/" names the folder "in"
        const fs::path parent = folder.parent_path();
        for (const fs::path& file : found) {
            const fs::path relative = file.parent_path().lexically_normal().lexically_relative(parent);
            add(file, relative.empty() || relative == "." ? std::string() : relative.string());
        }
    }
    return sources;
}

}  // namespace

int main(int argc, char** argv) {
    OpenMPRuntime::ensurePassiveWait(argv);
    ProcessMemory::boundArenas();
    const Arguments args = parse(argc, argv);
    int failedDocuments = 0;
    const std::vector<OutputPlan::Source> sources = gather(args.inputs, failedDocuments);
    const std::vector<OutputPlan::Target> targets = OutputPlan::plan(sources, args.out);
    std::vector<fs::path> files;
    for (const OutputPlan::Source& source : sources) files.push_back(source.file);

    const ModelLocation location = args.models ? ModelLocation::directory(*args.models) : ModelLocation::automatic();
    std::printf("models: %s\n", location.url().c_str());
    const DocumentConverter converter(std::make_shared<ModelSet>(location, ComputeUnits::all, PlatformServices::modelRuntime()));

    std::map<std::string, double> stepSeconds;
    int textPages = 0, ocrPages = 0, failedPages = 0, convertedDocuments = 0, emptyDocuments = 0;
    double textSeconds = 0, ocrSeconds = 0;
    const auto start = std::chrono::steady_clock::now();
    converter.convertBatch(files, args.options, args.documents, {}, [&](BatchItem item) {
        if (auto* error = std::get_if<std::exception_ptr>(&item.result)) {
            ++failedDocuments;
            std::printf("FAILED %s: %s\n", item.url.c_str(), describeError(*error).c_str());
            return;
        }
        const ConversionResult& result = std::get<ConversionResult>(item.result);
        int failedHere = 0;
        bool hasContent = false;
        for (const ConvertedPage& page : result.pages) {
            double seconds = 0;
            for (const auto& [step, s] : page.timings) {
                stepSeconds[step] += s;
                seconds += s;
            }
            if (page.failure) {
                ++failedPages;
                ++failedHere;
                std::printf("  page %d of %s failed: %s\n", page.index + 1, item.url.filename().c_str(), page.failure->c_str());
            } else if (page.usedOCR) {
                ++ocrPages;
                ocrSeconds += seconds;
            } else {
                ++textPages;
                textSeconds += seconds;
            }
            hasContent = hasContent || !page.content.body.empty();
        }
        const int pageCount = static_cast<int>(result.pages.size());
        if (failedHere == pageCount) {
            // Nothing of the document converted: no output that would pass for a result.
            ++failedDocuments;
            std::printf("FAILED %s: all %d pages failed\n", item.url.c_str(), pageCount);
            return;
        }
        const OutputPlan::Target& target = targets[static_cast<std::size_t>(item.index)];
        try {
            const auto written = ResultExport::write(result, args.format, target.directory, target.baseName, {});
            ++convertedDocuments;
            if (!hasContent) ++emptyDocuments;
            std::printf("%s: %d pages", item.url.c_str(), pageCount);
            if (failedHere > 0) std::printf(" (%d failed)", failedHere);
            std::printf(" in %.2f s -> %zu files in %s as %s\n", result.seconds, written.size(), target.directory.c_str(),
                        target.baseName.c_str());
            if (!hasContent) std::printf("  %s: no text or pictures found\n", item.url.filename().c_str());
        } catch (const std::exception& e) {
            ++failedDocuments;
            std::printf("FAILED writing %s: %s\n", item.url.c_str(), e.what());
        }
    });
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n%zu documents, %d converted", sources.size(), convertedDocuments);
    if (emptyDocuments > 0) std::printf(" (%d with no text or pictures)", emptyDocuments);
    std::printf(", %d failed; %d text-layer pages, %d recognised pages, %d failed pages; %.2f s\n", failedDocuments,
                textPages, ocrPages, failedPages, wall);
    for (const auto& [step, s] : stepSeconds) std::printf("  %-9s %8.2f s\n", step.c_str(), s);
    if (textPages > 0) std::printf("text-layer pages: %.2f pages/s of pipeline time\n", textPages / textSeconds);
    if (ocrPages > 0) std::printf("recognised pages: %.2f pages/s of pipeline time\n", ocrPages / ocrSeconds);
    const int pages = textPages + ocrPages + failedPages;
    if (wall > 0) std::printf("overall: %.2f pages/s\n", pages / wall);
    return failedDocuments == 0 && convertedDocuments > emptyDocuments ? 0 : 1;
}
