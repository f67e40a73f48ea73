// The engine as the session uses it: page counts, conversions and the model warm-up.
// Every operation is called from background work, several at once, so implementations
// must be safe to share between threads. The application's implementation is
// EngineConverter; tests script their own.
#pragma once

#include <filesystem>
#include <functional>
#include <stop_token>

#include "session/EngineTypes.h"

namespace session {

class DocumentConverting {
public:
    using Progress = std::function<void(ce::ConversionProgress)>;

    virtual ~DocumentConverting() = default;

    // The number of pages of the file; throws ce::ConversionError (or another error) when
    // it cannot be counted.
    virtual int pageCount(const std::filesystem::path& url) = 0;

    // Converts the document, calling `progress` from the converting thread with 0 done
    // before the first page and the running count after each page. Throws
    // ce::CancellationError once `stop` is requested, ce::ConversionError for a file it
    // cannot convert; a failed page does not throw.
    virtual ce::ConversionResult convert(const std::filesystem::path& url, const ce::ConversionOptions& options,
                                         const Progress& progress, std::stop_token stop) = 0;

    // Loads the models so that the first conversion does not wait for them; may throw.
    virtual void prepareModels() = 0;
};

}  // namespace session
