// Page images for the preview: one page of a PDF, or one frame of an image file,
// drawn at most 2200 pixels on its longer side, rendered off the main thread by a
// small pool and kept in one process-wide cost-limited cache.
//
// Files are named by their bytes in the file system, so a name that is not valid UTF-8
// is drawn like any other. The cache key is the path, the page index, the file's size
// and its modification time, joined by "#", so a file changed on disk gets a new key and is drawn afresh;
// the stamp is read from the file system each time a key is made. Failures give a
// null image and are never cached. Callers get their image on their own thread
// through `request`; a request whose ticket is cancelled before its render starts is
// skipped, and a render that has started still fills the cache when it ends.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

#include "PageImageCache.h"

class PageRenderer {
public:
    static constexpr qsizetype totalCostLimit = 400'000'000;
    static constexpr int maxPixelSide = 2200;
    static constexpr int renderThreads = 2;

    // Set to cancel a request that has not started rendering yet.
    using Ticket = std::shared_ptr<std::atomic<bool>>;
    using Done = std::function<void(const QString& key, const QImage& image)>;

    static PageRenderer& shared();

    // Seconds from 1970 to 1 January 2001 00:00:00 UTC, and the distant past (an unknown
    // modification time) in seconds since then.
    static constexpr double referenceDateUnixSeconds = 978307200.0;
    static constexpr double distantPast = -63114076800.0;

    // The key of the page with the file's stamp as it is now.
    static QString cacheKey(const std::filesystem::path& path, int page);
    // The path as it stands in a key: its text when it is valid UTF-8, else its bytes
    // percent-encoded, so that names differing only in such bytes get keys of their own.
    static QString keyText(const std::filesystem::path& path);
    // The key from a stamp already read: `modified` is in seconds since 1 January 2001
    // 00:00:00 UTC, written as the shortest decimal that reads back as the same double
    // (a whole number keeps ".0").
    static QString cacheKey(const QString& path, int page, qint64 size, double modified);

    static double secondsSinceReferenceDate(const QDateTime& time);

    // Pixels per point for a PDF page whose longer side is `longerSide` points.
    static double pdfScale(double longerSide);

    // The page drawn without the cache; a null image when it cannot be rendered.
    // "pdf" (any letter case) takes the PDF path, every other extension the image path.
    static QImage render(const std::filesystem::path& path, int page);

    // The cached image for the page's current key, or the render of it delivered to
    // `done` on `context`'s thread (dropped when `context` is gone by then). A cache hit
    // is delivered too, through the event loop, never from inside this call.
    Ticket request(const std::filesystem::path& path, int page, QObject* context, Done done);

    PageImageCache& cache() { return cache_; }
    QThreadPool& pool() { return pool_; }

private:
    PageRenderer();
    PageImageCache cache_;
    QThreadPool pool_;
};
