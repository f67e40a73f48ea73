// Times the layout model path with a stand-in detector at the real input size:
//     layout-benchmark [--backbone N] [--pages N] [models folder]
// It writes a stand-in "LayoutDetector" package (N stride-2 convolutions, default 5)
// into a scratch folder and a scratch cache, then reports the compile (first load),
// the cached load, and per-page detection of a 612 × 792-point page rendered at one
// pixel per point. Given a models folder, it times that folder's model instead.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "image/RGBImage.h"
#include "models/LayoutDetector.h"
#include "models/ModelStore.h"
#include "pipeline/PlatformServices.h"
#include "platform/TorchModel.h"
#include "testsupport/StandInModels.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int backbone = 5;
    int pages = 20;
    std::filesystem::path given;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--backbone" && k + 1 < argc) {
            backbone = std::atoi(argv[++k]);
        } else if (arg == "--pages" && k + 1 < argc) {
            pages = std::atoi(argv[++k]);
        } else {
            given = arg;
        }
    }
    try {
        const std::filesystem::path scratch =
            std::filesystem::temp_directory_path() / ("layout-benchmark-" + std::to_string(getpid()));
        const std::filesystem::path models = given.empty() ? scratch / "models" : given;
        setenv("XDG_CACHE_HOME", (scratch / "cache").c_str(), 1);
        if (given.empty()) {
            ce::StandInModels::LayoutOptions options;
            options.backboneLayers = backbone;
            ce::StandInModels::writeLayoutDetector(models, options);
        }
        const auto runtime = ce::TorchModel::runtimeInfo();
        std::printf("BLAS %s, %d threads\n", runtime.blasLibrary.c_str(), runtime.threads);

        auto start = std::chrono::steady_clock::now();
        ce::ModelStore::load("LayoutDetector", models, ce::ComputeUnits::all, ce::PlatformServices::modelRuntime());
        std::printf("first load (compile + load + warm-up): %.3f s\n", secondsSince(start));
        start = std::chrono::steady_clock::now();
        const ce::LayoutDetector detector(models, ce::ComputeUnits::all, ce::PlatformServices::modelRuntime());
        std::printf("cached load (load + warm-up): %.3f s\n", secondsSince(start));

        const ce::RGBImage page = ce::RGBImage::filled(612, 792, 240, 240, 240);
        start = std::chrono::steady_clock::now();
        std::size_t found = 0;
        for (int n = 0; n < pages; ++n) found += detector.detect(page, 612, 792).size();
        std::printf("detection: %.2f ms per page over %d pages (%zu clusters)\n",
                    1000 * secondsSince(start) / pages, pages, found);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "layout-benchmark: %s\n", error.what());
        return 1;
    }
    return 0;
}
