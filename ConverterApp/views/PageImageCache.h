// A cost-limited cache of page images shared by every render thread. Cost is the
// image's bytes (bytes per line x height); the least recently used entries leave when
// the total would pass the limit. QCache itself is not thread-safe: `mutex_` guards
// `cache_`, and images are handed out as implicitly shared copies.
#pragma once

#include <QCache>
#include <QImage>
#include <QString>
#include <mutex>
#include <optional>

class PageImageCache {
public:
    explicit PageImageCache(qsizetype totalCostLimit);

    std::optional<QImage> find(const QString& key);
    // A null image is never stored (failures are tried again next time).
    void insert(const QString& key, const QImage& image);
    qsizetype totalCost() const;
    qsizetype totalCostLimit() const;

    static qsizetype cost(const QImage& image);

private:
    mutable std::mutex mutex_;
    QCache<QString, QImage> cache_;
};
