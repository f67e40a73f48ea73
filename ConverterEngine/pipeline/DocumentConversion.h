// The per-document body of a conversion: runs the selected pages through a page
// converter one after another, reports progress, checks for cancellation before each
// page, keeps failed pages with their failure text and finally moves running
// furniture out of the bodies. Synchronous; the caller decides which thread runs it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ConversionOptions.h"
#include "core/ConversionResult.h"
#include "core/PageResult.h"

namespace ce {

class PageSource;

namespace DocumentConversion {

// One page, opened on demand: its source and, for image frames, the native pixel size.
struct OpenedPage {
    std::shared_ptr<const PageSource> source;
    std::optional<int> pixelWidth;
    std::optional<int> pixelHeight;
};

// Opens page i; may throw (a ConversionError ends the conversion, any other error
// marks only that page failed).
using PageFactory = std::function<OpenedPage()>;

using IsCancelled = std::function<bool()>;
using ProgressFn = std::function<void(ConversionProgress)>;
using PageConverter = std::function<PageResult(const std::shared_ptr<const PageSource>& page,
                                               const std::vector<std::string>& ocrLanguages,
                                               const IsCancelled& isCancelled)>;

// The pipeline options a document uses: no crops when pictures are not extracted,
// recognition forced when either forced flag is set.
ConverterOptions pipelineOptions(const ConversionOptions& options);

// The recognition languages: the explicit list when given, else the language preset.
std::vector<std::string> ocrLanguages(const ConversionOptions& options);

// The selected page indices of a document of `pageCount` pages (ascending).
std::vector<int> selectedPages(int pageCount, const std::optional<PageRange>& range);

// Converts the selected pages. Throws ConversionError::noPages when the range selects
// nothing, CancellationError when cancelled between pages or inside the pipeline.
ConversionResult run(const std::filesystem::path& url, const std::vector<PageFactory>& pages,
                     const ConversionOptions& options, const ProgressFn& progress,
                     const IsCancelled& isCancelled, const PageConverter& convertPage);

}  // namespace DocumentConversion
}  // namespace ce
