// The engine's entry object: which files it accepts, the accepted files of a
// folder, page counts, and the conversion of whole documents with progress and
// cancellation. Safe to share between threads: it holds nothing but the shared
// model set. Each document converts on a worker thread of its own, its pages one
// after another; the progress function is called on that worker thread.
#pragma once

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <stop_token>
#include <vector>

#include "core/ConversionOptions.h"
#include "core/ConversionResult.h"
#include "pipeline/DocumentConversion.h"

namespace ce {

class ModelSet;

class DocumentConverter {
public:
    using ProgressFn = std::function<void(ConversionProgress)>;

    explicit DocumentConverter(std::shared_ptr<ModelSet> models);

    const std::shared_ptr<ModelSet>& models() const { return models_; }

    static bool isSupported(const std::filesystem::path& url);
    static std::vector<std::filesystem::path> supportedFiles(const std::filesystem::path& folder, bool recursive);

    // A PDF's page count (may be 0) or an image's frame count (at least 1). Throws
    // ConversionError: unsupportedFile, unreadable or passwordProtected.
    static int pageCount(const std::filesystem::path& url);

    // Starts converting on a worker thread; the future yields the result or rethrows
    // ConversionError or CancellationError. Throws CancellationError at once when
    // `stop` is already requested. A failed page does not fail the document.
    std::future<ConversionResult> convert(const std::filesystem::path& url, const ConversionOptions& options,
                                          ProgressFn progress = {}, std::stop_token stop = {}) const;

    // Converts the documents with at most max(1, maxConcurrentDocuments) running at
    // once and hands each outcome to `onItem` on the calling thread as it finishes
    // (completion order; items carry their list index). Once `stop` is requested no
    // further document starts and running ones are cancelled.
    void convertBatch(const std::vector<std::filesystem::path>& urls, const ConversionOptions& options,
                      int maxConcurrentDocuments, const ProgressFn& progress,
                      const std::function<void(BatchItem)>& onItem, std::stop_token stop = {}) const;

    // The page list of a file, one factory per page; each opens its page when called
    // (PDF documents are opened on the calling thread, and the factories must be
    // called on it). Throws ConversionError.
    static std::vector<DocumentConversion::PageFactory> pageSources(const std::filesystem::path& url);

private:
    std::shared_ptr<ModelSet> models_;
};

}  // namespace ce
