#include "session/EngineConverter.h"

#include "pipeline/DocumentConverter.h"
#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "pipeline/PlatformServices.h"

namespace session {

namespace {
std::shared_ptr<ce::ModelSet> makeModels(ce::ModelLocation location) {
    return std::make_shared<ce::ModelSet>(std::move(location), ce::ComputeUnits::all,
                                          ce::PlatformServices::modelRuntime());
}
}  // namespace

EngineConverter::EngineConverter()
    : models_(makeModels(ce::ModelLocation::automatic())), engine_(std::make_unique<ce::DocumentConverter>(models_)) {}

EngineConverter::EngineConverter(const std::filesystem::path& modelsFolder)
    : models_(makeModels(ce::ModelLocation::directory(modelsFolder))),
      engine_(std::make_unique<ce::DocumentConverter>(models_)) {}

EngineConverter::~EngineConverter() = default;

int EngineConverter::pageCount(const std::filesystem::path& url) { return ce::DocumentConverter::pageCount(url); }

ce::ConversionResult EngineConverter::convert(const std::filesystem::path& url, const ce::ConversionOptions& options,
                                              const Progress& progress, std::stop_token stop) {
    return engine_->convert(url, options, progress, std::move(stop)).get();
}

void EngineConverter::prepareModels() { models_->preload(); }

}  // namespace session
