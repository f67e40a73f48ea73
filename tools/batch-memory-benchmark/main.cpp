// batch-memory-benchmark: the memory a long-running process keeps after batches of
// conversions are cleared. Converts the given files (and the supported files of given
// folders) as one batch, keeps every result as the window's list does, drops them all
// (Clear) and prints the resident and anonymous memory; then again, --batches times. With
// the heap bounded the figures after Clear stay flat from the second batch on.
//
//   batch-memory-benchmark [--batches N] [--documents N] [--unbounded] [--models DIR] FILE|FOLDER...
//
// --unbounded leaves malloc's arenas uncapped and gives no memory back at Clear, as the
// process did before, to compare.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"
#include "platform/OpenMPRuntime.h"
#include "platform/ProcessMemory.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {

struct Arguments {
    int batches = 10;
    int documents = 2;
    bool unbounded = false;
    std::optional<fs::path> models;
    std::vector<fs::path> files;
};

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: batch-memory-benchmark [--batches N] [--documents N] [--unbounded] [--models DIR] FILE|FOLDER...\n");
    std::exit(2);
}

Arguments parse(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--batches" && i + 1 < argc) {
            args.batches = std::atoi(argv[++i]);
        } else if (arg == "--documents" && i + 1 < argc) {
            args.documents = std::atoi(argv[++i]);
        } else if (arg == "--unbounded") {
            args.unbounded = true;
        } else if (arg == "--models" && i + 1 < argc) {
            args.models = argv[++i];
        } else if (!arg.starts_with("--") && fs::is_directory(arg)) {
            for (const fs::path& file : DocumentConverter::supportedFiles(arg, true)) args.files.push_back(file);
        } else if (!arg.starts_with("--") && fs::exists(arg)) {
            args.files.emplace_back(arg);
        } else {
            usage();
        }
    }
    if (args.files.empty() || args.batches < 1 || args.documents < 1) usage();
    return args;
}

// Resident and anonymous resident memory of this process in MB, from /proc/self/status.
struct Resident {
    double total = 0;
    double anonymous = 0;
};

Resident resident() {
    Resident r;
    std::ifstream status("/proc/self/status");
    std::string key;
    double kilobytes = 0;
    std::string unit;
    while (status >> key) {
        if (key == "VmRSS:" && status >> kilobytes >> unit) r.total = kilobytes / 1024.0;
        if (key == "RssAnon:" && status >> kilobytes >> unit) r.anonymous = kilobytes / 1024.0;
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    OpenMPRuntime::ensurePassiveWait(argv);
    const Arguments args = parse(argc, argv);
    if (!args.unbounded) ProcessMemory::boundArenas();
    const ModelLocation location = args.models ? ModelLocation::directory(*args.models) : ModelLocation::automatic();
    const DocumentConverter converter(std::make_shared<ModelSet>(location, ComputeUnits::all, PlatformServices::modelRuntime()));
    std::printf("%zu files, %d at once, arenas %s\n", args.files.size(), args.documents,
                args.unbounded ? "unbounded" : "bounded");
    for (int batch = 1; batch <= args.batches; ++batch) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<BatchItem> kept;
        converter.convertBatch(args.files, {}, args.documents, {}, [&](BatchItem item) { kept.push_back(std::move(item)); });
        int failed = 0;
        for (const BatchItem& item : kept) failed += std::holds_alternative<std::exception_ptr>(item.result) ? 1 : 0;
        const Resident held = resident();
        kept.clear();
        if (!args.unbounded) ProcessMemory::releaseFreed();
        const Resident cleared = resident();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("batch %2d: %6.1f s, %d failed; holding results %7.1f MB (anonymous %7.1f); after Clear %7.1f MB "
                    "(anonymous %7.1f)\n",
                    batch, seconds, failed, held.total, held.anonymous, cleared.total, cleared.anonymous);
        std::fflush(stdout);
    }
    return 0;
}
