#include "pipeline/DocumentConverter.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

#include <unistd.h>

#include "core/CancelFlag.h"
#include "core/ConversionError.h"
#include "core/EngineError.h"
#include "core/Log.h"
#include "models/ModelSet.h"
#include "pipeline/Converter.h"
#include "pipeline/ImagePage.h"
#include "pipeline/PDFPageSource.h"
#include "pipeline/PlatformServices.h"
#include "pipeline/SupportedFiles.h"
#include "platform/PDFDocument.h"

namespace ce {

namespace fs = std::filesystem;

namespace {
void validate(const fs::path& url) {
    if (!SupportedFiles::isSupported(url)) throw ConversionError(ConversionError::Kind::unsupportedFile, url);
    std::error_code ec;
    const auto status = fs::status(url, ec);
    if (ec || !fs::is_regular_file(status) || ::access(url.c_str(), R_OK) != 0) {
        throw ConversionError(ConversionError::Kind::unreadable, url);
    }
}

bool isPDF(const fs::path& url) { return SupportedFiles::lowercasedExtension(url) == "pdf"; }

std::shared_ptr<PDFDocument> openPDF(const fs::path& url) {
    std::shared_ptr<PDFDocument> document;
    try {
        document = PDFDocument::open(url);
    } catch (const std::exception&) {
        throw ConversionError(ConversionError::Kind::unreadable, url);
    }
    if (document->isLocked()) throw ConversionError(ConversionError::Kind::passwordProtected, url);
    return document;
}

// A repaired file in which no page was found is damaged, not empty: its error says so.
int pdfPageCount(const PDFDocument& document, const fs::path& url) {
    int count = 0;
    try {
        count = document.pageCount();
    } catch (const std::exception&) {
        throw ConversionError(ConversionError::Kind::unreadable, url);
    }
    if (count == 0 && document.damage())
        throw ConversionError(ConversionError::Kind::unreadable, url, "the file is damaged (" + *document.damage() + ")");
    return count;
}

int imageFrameCount(const fs::path& url) {
    try {
        return std::max(1, ImagePage::frameCount(url));
    } catch (const std::exception&) {
        throw ConversionError(ConversionError::Kind::unreadable, url);
    }
}
DocumentConversion::OpenedPage openedImage(std::shared_ptr<const ImagePage> page) {
    const int width = static_cast<int>(page->pixelWidth());
    const int height = static_cast<int>(page->pixelHeight());
    return DocumentConversion::OpenedPage{std::move(page), width, height};
}
}  // namespace

DocumentConverter::DocumentConverter(std::shared_ptr<ModelSet> models) : models_(std::move(models)) {
    PlatformServices::installSystemLog();
}

bool DocumentConverter::isSupported(const fs::path& url) { return SupportedFiles::isSupported(url); }

std::vector<fs::path> DocumentConverter::supportedFiles(const fs::path& folder, bool recursive) {
    return SupportedFiles::supportedFiles(folder, recursive);
}

int DocumentConverter::pageCount(const fs::path& url) {
    validate(url);
    if (isPDF(url)) {
        const auto document = openPDF(url);
        return pdfPageCount(*document, url);
    }
    return imageFrameCount(url);
}

std::vector<DocumentConversion::PageFactory> DocumentConverter::pageSources(const fs::path& url) {
    validate(url);
    std::vector<DocumentConversion::PageFactory> factories;
    if (!isPDF(url)) {
        const int frames = imageFrameCount(url);
        if (frames == 1) {
            // A file of one frame that cannot be decoded has nothing to convert: the document fails.
            std::shared_ptr<const ImagePage> page;
            try {
                page = std::make_shared<const ImagePage>(url, 0);
            } catch (const EngineError& error) {
                throw ConversionError(ConversionError::Kind::unreadable, url, error.what());
            }
            factories.push_back([page] { return openedImage(page); });
            return factories;
        }
        for (int i = 0; i < frames; ++i) {
            factories.push_back([url, i] {
                // An unreadable frame of several fails its own page (EngineError), not the document.
                return openedImage(std::make_shared<const ImagePage>(url, i));
            });
        }
        return factories;
    }
    std::shared_ptr<const PDFDocument> document = openPDF(url);
    const int count = pdfPageCount(*document, url);
    for (int i = 0; i < count; ++i) {
        // Pages are loaded when they are converted and released after, so that a long
        // document holds one page at a time. Every declared page keeps its index: one
        // that cannot be loaded fails on its own (PDFError).
        factories.push_back([document, i] {
            return DocumentConversion::OpenedPage{std::make_shared<const PDFPageSource>(document->loadPage(i)),
                                                  std::nullopt, std::nullopt};
        });
    }
    return factories;
}

std::future<ConversionResult> DocumentConverter::convert(const fs::path& url, const ConversionOptions& options,
                                                         ProgressFn progress, std::stop_token stop) const {
    if (stop.stop_requested()) throw CancellationError();
    return std::async(std::launch::async, [models = models_, url, options, progress = std::move(progress), stop] {
        CancelFlag flag;
        const std::stop_callback onStop(stop, [&flag] { flag.set(); });
        const DocumentConversion::IsCancelled isCancelled = [&flag] { return flag.isSet(); };
        const auto pages = pageSources(url);
        const Converter converter(models, DocumentConversion::pipelineOptions(options));
        ConversionResult result = DocumentConversion::run(
            url, pages, options, progress, isCancelled,
            [&converter](const std::shared_ptr<const PageSource>& page, const std::vector<std::string>& languages,
                         const DocumentConversion::IsCancelled& cancelled) {
                return converter.convert(page, languages, cancelled);
            });
        int failed = 0;
        for (const ConvertedPage& page : result.pages) {
            if (page.failure) {
                ++failed;
                Log::error(Log::Category::engine,
                           {"page ", page.index + 1, " of ", url.filename().string(), " failed: ", Log::privateValue(*page.failure)});
            }
        }
        Log::info(Log::Category::engine, {"converted ", url.filename().string(), ": ", static_cast<int>(result.pages.size()),
                                          " pages, ", failed, " failed, ", result.seconds, " s"});
        return result;
    });
}

void DocumentConverter::convertBatch(const std::vector<fs::path>& urls, const ConversionOptions& options,
                                     int maxConcurrentDocuments, const ProgressFn& progress,
                                     const std::function<void(BatchItem)>& onItem, std::stop_token stop) const {
    const std::size_t limit = static_cast<std::size_t>(std::max(1, maxConcurrentDocuments));
    std::mutex lock;  // guards finished
    std::condition_variable changed;
    std::deque<BatchItem> finished;
    // Workers by list index, each joined as soon as its item is taken, so that a long
    // batch holds no more threads (and stacks) than run at once.
    std::map<std::size_t, std::jthread> running;
    std::size_t next = 0, active = 0;

    auto start = [&](std::size_t k) {
        ++active;
        running.emplace(k, [&, k](std::stop_token) {
            BatchItem item{static_cast<int>(k), urls[k], std::exception_ptr{}};
            try {
                item.result = convert(urls[k], options, progress, stop).get();
            } catch (...) {
                item.result = std::current_exception();
            }
            std::lock_guard guard(lock);
            finished.push_back(std::move(item));
            changed.notify_all();
        });
    };
    while (next < urls.size() && active < limit && !stop.stop_requested()) start(next++);
    while (active > 0) {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return !finished.empty(); });
        BatchItem item = std::move(finished.front());
        finished.pop_front();
        --active;
        guard.unlock();
        running.erase(static_cast<std::size_t>(item.index));  // joins the finished worker
        onItem(std::move(item));
        while (next < urls.size() && active < limit && !stop.stop_requested()) start(next++);
    }
}

}  // namespace ce
