// huge-image-benchmark: time and peak memory of opening one huge image page. Writes a
// one-colour PNG of SIDE x SIDE pixels (1 channel: grey, 3: RGB) into a scratch
// folder, opens it as an ImagePage (decoded reduced to the page budget) and prints
// the time to write, the time to open and the peak resident size before and after.
//
//   huge-image-benchmark SIDE CHANNELS
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pipeline/ImagePage.h"
#include "testsupport/LargeImages.h"

namespace fs = std::filesystem;

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: huge-image-benchmark SIDE CHANNELS\n");
        return 2;
    }
    const auto side = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const int channels = std::atoi(argv[2]);
    const fs::path folder = fs::temp_directory_path() / ("huge-image-benchmark-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "huge.png";
    try {
        auto start = std::chrono::steady_clock::now();
        ce::LargeImages::writeOneColourPNG(file, side, side, channels, 128);
        std::printf("wrote %u x %u x %d (%.1f MB file) in %.2f s\n", side, side, channels,
                    static_cast<double>(fs::file_size(file)) / 1e6, secondsSince(start));
        const long before = peakKilobytes();
        start = std::chrono::steady_clock::now();
        const ce::ImagePage page(file, 0);
        std::printf("opened as %d x %d in %.2f s; peak resident %.1f MB before, %.1f MB after\n",
                    page.original().width, page.original().height, secondsSince(start), before / 1024.0,
                    peakKilobytes() / 1024.0);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "failed: %s\n", error.what());
        fs::remove_all(folder);
        return 1;
    }
    fs::remove_all(folder);
    return 0;
}
