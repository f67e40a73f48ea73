// table-benchmark: seconds per table of the table-structure step (crop, encoder,
// greedy decoding, cell head, matching) on a synthetic page, with stand-in models at
// their real input and state sizes, or with the models of a given folder.
//
//   table-benchmark [--cells N] [--tables N] [--backbone N] [models folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "models/ModelSet.h"
#include "pipeline/PlatformServices.h"
#include "testsupport/StandInModels.h"

namespace fs = std::filesystem;
using namespace ce;

int main(int argc, char** argv) {
    int cells = 24, tables = 10, backbone = 3;
    std::optional<fs::path> folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cells" && i + 1 < argc) cells = std::atoi(argv[++i]);
        else if (arg == "--tables" && i + 1 < argc) tables = std::atoi(argv[++i]);
        else if (arg == "--backbone" && i + 1 < argc) backbone = std::atoi(argv[++i]);
        else folder = fs::path(arg);
    }
    try {
        if (!folder) {
            // A table of `cells` cells in rows of four: fcel x4 nl, repeated, then <end>.
            folder = fs::temp_directory_path() / "table-benchmark-models";
            fs::create_directories(*folder);
            StandInModels::EncoderOptions encoder;
            encoder.backboneLayers = backbone;
            StandInModels::writeTableEncoder(*folder, encoder);
            StandInModels::StepOptions step;
            step.tokens.clear();
            for (int c = 0; c < cells; ++c) {
                step.tokens.push_back(5);
                if (c % 4 == 3) step.tokens.push_back(9);
            }
            step.tokens.push_back(3);
            StandInModels::writeTableDecoderStep(*folder, step);
            StandInModels::writeTableCellHead(*folder, {});
        }
        ModelSet models(ModelLocation::directory(*folder), ComputeUnits::all, PlatformServices::modelRuntime());
        const auto loadStart = std::chrono::steady_clock::now();
        models.withTableFormer([](const TableFormer&) {});
        const double load = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();

        const RGBImage page = RGBImage::filled(1224, 1584, 255, 255, 255);  // a Letter page at scale 2
        std::vector<TextCell> words;
        for (int c = 0; c < cells; ++c) {
            const double x = 80 + (c % 4) * 110, y = 120 + (c / 4) * 20;
            words.push_back({c, "cell" + std::to_string(c), {x, y, x + 60, y + 10}, 1.0, false});
        }
        double total = 0;
        for (int t = 0; t < tables; ++t) {
            const auto start = std::chrono::steady_clock::now();
            models.withTableFormer([&](const TableFormer& former) {
                return former.predict(page, 2.0, 612, 792, {70, 110, 540, 130 + (cells / 4) * 20.0}, t, words, nullptr);
            });
            total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        std::printf("load %.2f s; %.3f s per table (%d tables of %d cells)\n", load, total / tables, tables, cells);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "table-benchmark: %s\n", error.what());
        return 1;
    }
    return 0;
}
