// Models as TorchScript over libtorch. A model folder holds "model.pt" (a TorchScript
// module whose forward() takes the inputs by name and returns one tensor, a tuple in
// the order of the declared outputs, or a dictionary by output name) and
// "metadata.json" (models/ModelDescription.h).
//
// compile() turns a package folder into a compiled folder: the module is loaded in
// evaluation mode, frozen and saved with the same metadata. load() reads a compiled
// folder and, unless the metadata turns it off, redoes the inference optimisation
// (which does not survive saving). Both throw ModelRuntimeError on failure.
//
// The first load configures libtorch for the process: a bounded number of intra-op
// and OpenBLAS threads (half the cores, at least one, so two concurrent conversions
// fit the machine), no profiling re-optimisation per input shape, and an engine log entry
// naming the BLAS library in use.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/ComputeUnits.h"
#include "models/Model.h"

namespace ce::TorchModel {

inline constexpr const char* weightsFileName = "model.pt";

void compile(const std::filesystem::path& package, const std::filesystem::path& destination);

std::shared_ptr<const Model> load(const std::string& name, const std::filesystem::path& compiledFolder,
                                  ComputeUnits computeUnits);

struct RuntimeInfo {
    std::string blasLibrary;  // the BLAS shared library mapped into the process, or "unknown"
    int threads = 0;          // intra-op threads of libtorch
};

// Configures libtorch (once) and reports the BLAS library and thread count.
RuntimeInfo runtimeInfo();

}  // namespace ce::TorchModel
