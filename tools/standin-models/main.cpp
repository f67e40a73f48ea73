// Writes stand-in packages of the four engine models into a models folder:
//     standin-models <folder> [--backbone N] [--memory N]
// --backbone adds N stride-2 convolutions to the image models so that they cost
// about what a small real network costs; --memory sets the encoder's memory rows.
// The stand-ins detect nothing and decode an empty table ("<end>" at once).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "testsupport/StandInModels.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <models folder> [--backbone N] [--memory N]\n", argv[0]);
        return 2;
    }
    ce::StandInModels::LayoutOptions layout;
    ce::StandInModels::EncoderOptions encoder;
    for (int k = 2; k + 1 < argc; k += 2) {
        const std::string flag = argv[k];
        const int value = std::atoi(argv[k + 1]);
        if (flag == "--backbone") {
            layout.backboneLayers = encoder.backboneLayers = value;
        } else if (flag == "--memory") {
            encoder.memoryLength = value;
        } else {
            std::fprintf(stderr, "unknown option %s\n", flag.c_str());
            return 2;
        }
    }
    try {
        const std::filesystem::path folder = argv[1];
        for (const auto& package :
             {ce::StandInModels::writeLayoutDetector(folder, layout), ce::StandInModels::writeTableEncoder(folder, encoder),
              ce::StandInModels::writeTableDecoderStep(folder, {}), ce::StandInModels::writeTableCellHead(folder, {})}) {
            std::printf("%s\n", package.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "standin-models: %s\n", error.what());
        return 1;
    }
    return 0;
}
