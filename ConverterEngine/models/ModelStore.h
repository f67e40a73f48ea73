// Finds a model by name in a models folder and loads it. A compiled model
// (<Name>.mlmodelc) is loaded as it is; a package (<Name>.mlpackage) is compiled
// once per package location and contents into the per-user cache
// (cacheDirectory()/compiledName(...)) and the compiled copy is loaded.
// A cached copy that no longer loads is removed and compiled once more. Keeps no
// state of its own; concurrent loads are safe (each compiles into its own
// temporary folder and renames it into place).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/ComputeUnits.h"
#include "models/Model.h"
#include "models/ModelRuntime.h"

namespace ce::ModelStore {

// "CONVERTER_MODELS" (tilde expanded, used as the folder itself) when set and not
// empty; else "models" inside "RODUZEZ_AZED" (when set and not empty) or "~/roduzez-azed".
std::filesystem::path defaultDirectory();

// $XDG_CACHE_HOME (when set to an absolute path) or ~/.cache, plus "ConverterEngine/models".
std::filesystem::path cacheDirectory();

// The package's modification time in whole seconds since 1970 (truncated toward
// zero), or 0 when it cannot be read.
long long modificationTime(const std::filesystem::path& path);

// The cache entry of a package: "<Name>-<mtime>-<key>.mlmodelc", with the package's
// modification time in whole seconds and a key of 16 hex digits hashed from the
// package's absolute path and, for the folder and every file in it, the relative
// path, size and modification time to the nanosecond. So another package, or new
// weights written within the same second, never meet another package's compilation.
std::string compiledName(const std::string& name, const std::filesystem::path& package);

// Compiles and loads through `runtime`. Throws EngineError::modelMissing with the
// package path when neither form exists, ModelRuntimeError when a model cannot be
// compiled or loaded, and std::filesystem::filesystem_error when the cache cannot be
// written.
std::shared_ptr<const Model> load(const std::string& name, const std::filesystem::path& directory,
                                  ComputeUnits computeUnits, const ModelRuntime& runtime);

}  // namespace ce::ModelStore
