// Which processors the models may use. The Debian build runs every model on the
// CPU; the choice is recorded and reported so that callers see what was asked.
#pragma once

namespace ce {

enum class ComputeUnits { cpuOnly, cpuAndGPU, all, cpuAndNeuralEngine };

}  // namespace ce
