// How the OpenMP runtime (libgomp, used by libtorch and its convolution library, by
// Tesseract and by libvips) treats idle worker threads. libgomp reads its settings once,
// when it is loaded, before main() runs. By default an idle worker spins for some
// milliseconds after every parallel region: a model run is thousands of short regions,
// so a quarter of a conversion's CPU goes to spinning, and on a busy machine the spinning
// workers take the cores that the working ones wait for (conversions 10 to 30 times
// slower). With the passive policy idle workers sleep at once.
#pragma once

namespace ce::OpenMPRuntime {

// Call first in main(), before any other thread starts. When OMP_WAIT_POLICY is not set,
// sets it to PASSIVE and runs the program again in place (same process, same arguments)
// so that the runtime starts with it. Returns when the variable was already set (a
// user's own choice stands) or when the program cannot be run again; then nothing
// else changes.
void ensurePassiveWait(char** argv);

// Whether idle OpenMP workers of this process sleep at once (OMP_WAIT_POLICY is PASSIVE).
bool passiveWait();

}  // namespace ce::OpenMPRuntime
