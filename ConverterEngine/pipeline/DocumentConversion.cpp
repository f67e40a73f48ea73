#include "pipeline/DocumentConversion.h"

#include <chrono>
#include <exception>

#include "core/ConversionError.h"
#include "core/ErrorDescription.h"
#include "core/RunningFurniture.h"
#include "input/PageSource.h"

namespace ce::DocumentConversion {

namespace {
ConvertedPage convertedPage(int index, const OpenedPage& opened, const PageResult& result) {
    ConvertedPage page;
    page.index = index;
    page.width = result.pageWidth;
    page.height = result.pageHeight;
    page.pixelWidth = opened.pixelWidth;
    page.pixelHeight = opened.pixelHeight;
    page.usedOCR = result.usedOCR;
    page.deskewDegrees = result.deskewDegrees;
    page.content = result.page;
    for (const Cluster& cluster : result.clusters) {
        page.regions.push_back({cluster.id, cluster.label, cluster.bbox, cluster.confidence});
    }
    page.images = result.crops;
    page.timings = result.timings;
    return page;
}
}  // namespace

ConverterOptions pipelineOptions(const ConversionOptions& options) {
    ConverterOptions pipeline = options.pipeline;
    if (!options.extractImages) pipeline.pictureScale = 0;
    pipeline.forceOCR = options.pipeline.forceOCR || options.forceOCR;
    return pipeline;
}

std::vector<std::string> ocrLanguages(const ConversionOptions& options) {
    return options.ocrLanguages ? *options.ocrLanguages : Languages::ocrLanguages(options.language);
}

std::vector<int> selectedPages(int pageCount, const std::optional<PageRange>& range) {
    std::vector<int> selected;
    for (int i = 0; i < pageCount; ++i) {
        if (!range || (range->first <= i && i <= range->last)) selected.push_back(i);
    }
    return selected;
}

ConversionResult run(const std::filesystem::path& url, const std::vector<PageFactory>& pages,
                     const ConversionOptions& options, const ProgressFn& progress,
                     const IsCancelled& isCancelled, const PageConverter& convertPage) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<int> selected = selectedPages(static_cast<int>(pages.size()), options.pageRange);
    if (selected.empty()) throw ConversionError(ConversionError::Kind::noPages, url);

    const std::vector<std::string> languages = ocrLanguages(options);
    const int total = static_cast<int>(selected.size());
    if (progress) progress({0, total});

    std::vector<ConvertedPage> converted;
    converted.reserve(selected.size());
    for (int index : selected) {
        if (isCancelled()) throw CancellationError();
        ConvertedPage page;
        page.index = index;
        OpenedPage opened;
        try {
            opened = pages[static_cast<std::size_t>(index)]();
        } catch (const CancellationError&) {
            throw;
        } catch (const ConversionError&) {
            throw;
        } catch (...) {
            // A frame that cannot be opened fails its own page, not the document.
            page.failure = describeError(std::current_exception());
        }
        if (opened.source) {
            try {
                page = convertedPage(index, opened, convertPage(opened.source, languages, isCancelled));
            } catch (const CancellationError&) {
                throw;
            } catch (...) {
                page = ConvertedPage{};
                page.index = index;
                page.width = opened.source->width();
                page.height = opened.source->height();
                page.pixelWidth = opened.pixelWidth;
                page.pixelHeight = opened.pixelHeight;
                page.failure = describeError(std::current_exception());
            }
        }
        converted.push_back(std::move(page));
        if (progress) progress({static_cast<int>(converted.size()), total});
    }

    RunningFurniture::remove(converted);

    ConversionResult result;
    result.source = url;
    result.sourcePageCount = static_cast<int>(pages.size());
    result.pages = std::move(converted);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace ce::DocumentConversion
