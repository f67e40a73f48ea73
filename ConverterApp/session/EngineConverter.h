// The application's DocumentConverting: the engine's DocumentConverter over the one model
// set of the process. Page counts open the file on the calling thread; a conversion runs
// on the engine's own worker and this call waits for it, passing the stop request on as
// the engine's cancellation; the warm-up preloads the model set (its locks let it run
// beside conversions). Safe to share between threads.
#pragma once

#include <memory>

#include "session/DocumentConverting.h"

namespace ce {
class DocumentConverter;
class ModelSet;
}  // namespace ce

namespace session {

class EngineConverter final : public DocumentConverting {
public:
    // An engine over a model set at the automatic model location (the bundle's "Models"
    // folder when it has one, else the model store's folder), all compute units allowed.
    // Nothing is loaded yet.
    EngineConverter();
    // An engine over the models in `modelsFolder`.
    explicit EngineConverter(const std::filesystem::path& modelsFolder);
    ~EngineConverter() override;

    int pageCount(const std::filesystem::path& url) override;
    ce::ConversionResult convert(const std::filesystem::path& url, const ce::ConversionOptions& options,
                                 const Progress& progress, std::stop_token stop) override;
    void prepareModels() override;

private:
    std::shared_ptr<ce::ModelSet> models_;
    std::unique_ptr<ce::DocumentConverter> engine_;
};

}  // namespace session
