// Long batches: the workers of finished documents are joined as the batch goes on.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "input/TestFiles.h"
#include "models/ModelSet.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"

using namespace ce;

namespace {

// The process's virtual size in kB (VmSize in /proc/self/status).
long virtualKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
    return 0;
}

}  // namespace

// Every worker thread keeps its stack (8 MB of address space) until it is joined: were
// finished workers kept to the end, 96 documents would add about 770 MB. The limit is half of
// that: new threads may also open malloc arenas of 64 MB each, so a tight limit fails by chance.
TEST(DocumentConverterBatch, FinishedWorkersAreJoinedAsTheBatchGoes) {
    const ce::testing::ScratchFolder folder;
    const DocumentConverter converter(std::make_shared<ModelSet>(ModelLocation::directory(folder.path() / "models"),
                                                                 ComputeUnits::cpuOnly, PlatformServices::modelRuntime()));
    std::vector<std::filesystem::path> urls;
    for (int i = 0; i < 96; ++i) urls.push_back(folder.path() / ("missing-" + std::to_string(i) + ".pdf"));
    long first = 0, last = 0;
    int items = 0;
    converter.convertBatch(urls, {}, 2, {}, [&](BatchItem) {
        (++items == 1 ? first : last) = virtualKilobytes();
    });
    EXPECT_EQ(items, 96);
    EXPECT_LT(last - first, 48 * 8 * 1024) << "virtual size grew from " << first << " kB to " << last << " kB";
}
