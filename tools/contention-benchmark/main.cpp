// contention-benchmark: how much conversions slow down when the machine is busy.
//
//   contention-benchmark [--spin] [--load N] [--pages FIRST-LAST] [--models DIR] FILE
//
// Converts FILE once alone and twice at the same time, first on a quiet machine and then
// while N busy threads (the core count by default) compete for every core. Prints wall
// and CPU seconds, the most threads the process ran, and the ratio loaded / quiet.
// OpenMP's idle workers sleep (the engine's setting); --spin leaves the runtime's own
// default, idle workers spinning, to compare.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"
#include "platform/OpenMPRuntime.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {

[[noreturn]] void usage(const char* problem) {
    std::fprintf(stderr,
                 "contention-benchmark: %s\n"
                 "usage: contention-benchmark [--spin] [--load N] [--pages FIRST-LAST] [--models DIR] FILE\n",
                 problem);
    std::exit(2);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int threadCount() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    }
    return 0;
}

struct Run {
    double wall = 0;
    double cpu = 0;  // of the whole process, load threads included
    int threads = 0;
};

// `copies` conversions of the file at the same time, sampling the thread count.
Run convert(const DocumentConverter& converter, const fs::path& file, const ConversionOptions& options, int copies) {
    std::atomic<bool> done = false;
    std::atomic<int> most = 0;
    std::jthread sampler([&] {
        while (!done) {
            most = std::max(most.load(), threadCount());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const double cpu = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<ConversionResult>> running;
    for (int i = 0; i < copies; ++i) running.push_back(converter.convert(file, options));
    for (auto& r : running) r.get();
    Run run;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = cpuSeconds() - cpu;
    done = true;
    run.threads = most;
    return run;
}

// Threads that keep a core each busy until destroyed.
class Load {
public:
    explicit Load(int threads) {
        for (int i = 0; i < threads; ++i) {
            workers_.emplace_back([](std::stop_token stop) {
                volatile double x = 1;
                while (!stop.stop_requested()) {
                    for (int k = 0; k < 100000; ++k) x = x * 1.0000001 + 1e-9;
                }
            });
        }
    }

private:
    std::vector<std::jthread> workers_;  // joined (and stopped) on destruction
};

}  // namespace

int main(int argc, char** argv) {
    bool spin = false;
    int load = static_cast<int>(std::thread::hardware_concurrency());
    ConversionOptions options;
    std::optional<fs::path> models;
    std::optional<fs::path> file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
            return argv[++i];
        };
        if (arg == "--spin") {
            spin = true;
        } else if (arg == "--load") {
            load = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--pages") {
            const std::string range = value();
            const auto dash = range.find('-');
            if (dash == std::string::npos) usage("--pages takes FIRST-LAST (1-based)");
            options.pageRange = PageRange{std::atoi(range.substr(0, dash).c_str()) - 1,
                                          std::atoi(range.substr(dash + 1).c_str()) - 1};
        } else if (arg == "--models") {
            models = fs::path(value());
        } else if (!arg.empty() && arg[0] == '-') {
            usage(("unknown option " + arg).c_str());
        } else {
            file = fs::path(arg);
        }
    }
    if (!file) usage("no file");
    if (!spin) OpenMPRuntime::ensurePassiveWait(argv);

    const ModelLocation location = models ? ModelLocation::directory(*models) : ModelLocation::automatic();
    const DocumentConverter converter(
        std::make_shared<ModelSet>(location, ComputeUnits::all, PlatformServices::modelRuntime()));
    std::printf("%s; idle OpenMP workers %s; load of %d threads on %u cores\n", file->c_str(),
                OpenMPRuntime::passiveWait() ? "sleep" : "spin", load, std::thread::hardware_concurrency());
    convert(converter, *file, options, 1);  // loads and warms up the models

    for (int copies : {1, 2}) {
        const Run quiet = convert(converter, *file, options, copies);
        Run loaded;
        {
            const Load busy(load);
            loaded = convert(converter, *file, options, copies);
        }
        std::printf("%d conversion%s: quiet %.2f s wall, %.2f s CPU, %d threads; loaded %.2f s wall, %d threads; "
                    "loaded / quiet %.2f\n",
                    copies, copies == 1 ? " " : "s", quiet.wall, quiet.cpu, quiet.threads, loaded.wall, loaded.threads,
                    loaded.wall / quiet.wall);
    }
    return 0;
}
