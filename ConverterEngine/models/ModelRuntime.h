// What the model store needs of a model runtime: turning a package folder into a
// compiled folder, and loading a compiled folder as a Model. Both throw
// ModelRuntimeError on failure and may be called from several threads at once. The
// pipeline binds the platform's TorchScript runtime; tests may bind their own.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/ComputeUnits.h"
#include "models/Model.h"

namespace ce {

struct ModelRuntime {
    std::function<void(const std::filesystem::path& package, const std::filesystem::path& destination)> compile;
    std::function<std::shared_ptr<const Model>(const std::string& name, const std::filesystem::path& compiledFolder,
                                               ComputeUnits computeUnits)>
        load;
};

}  // namespace ce
