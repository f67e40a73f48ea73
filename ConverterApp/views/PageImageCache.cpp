#include "PageImageCache.h"

PageImageCache::PageImageCache(qsizetype totalCostLimit) : cache_(totalCostLimit) {}

std::optional<QImage> PageImageCache::find(const QString& key) {
    std::lock_guard lock(mutex_);
    if (const QImage* image = cache_.object(key)) return *image;
    return std::nullopt;
}

void PageImageCache::insert(const QString& key, const QImage& image) {
    if (image.isNull()) return;
    std::lock_guard lock(mutex_);
    cache_.insert(key, new QImage(image), cost(image));
}

qsizetype PageImageCache::totalCost() const {
    std::lock_guard lock(mutex_);
    return cache_.totalCost();
}

qsizetype PageImageCache::totalCostLimit() const {
    std::lock_guard lock(mutex_);
    return cache_.maxCost();
}

qsizetype PageImageCache::cost(const QImage& image) { return image.bytesPerLine() * image.height(); }
