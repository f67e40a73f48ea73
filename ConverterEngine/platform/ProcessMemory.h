// How the process's heap gives memory back. glibc's malloc gives each new thread an
// arena of its own, up to eight per core, and keeps what is freed in an arena for that
// arena's later use. Conversions run on short-lived worker threads and free hundreds of
// megabytes of page images and tensors each, so without a bound a long-running process
// grows with every batch and never shrinks, though nothing is held.
#pragma once

namespace ce::ProcessMemory {

// Call first in main(), before any other thread starts: caps malloc at a few arenas
// (allocation is a small share of a conversion's time, so the lock they share costs
// nothing measurable). A MALLOC_ARENA_MAX the user set stands.
void boundArenas();

// Returns the freed memory of every arena to the system (the pages stay mapped and are
// filled again on use). For when the process goes idle: after a run of conversions and
// when results are dropped; between documents it costs more than it saves.
void releaseFreed();

}  // namespace ce::ProcessMemory
