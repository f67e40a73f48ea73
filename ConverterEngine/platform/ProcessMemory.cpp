#include "platform/ProcessMemory.h"

#include <malloc.h>

#include <cstdlib>

namespace ce::ProcessMemory {

namespace {
// Two documents convert at once, each allocating on its own thread; the model threads
// allocate little.
constexpr int arenaLimit = 2;
}  // namespace

void boundArenas() {
    if (std::getenv("MALLOC_ARENA_MAX") != nullptr) return;
    mallopt(M_ARENA_MAX, arenaLimit);
}

void releaseFreed() { malloc_trim(0); }

}  // namespace ce::ProcessMemory
