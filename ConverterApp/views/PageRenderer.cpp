#include "PageRenderer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "session/FileStamp.h"
#include "pipeline/ImagePage.h"
#include "pipeline/PDFPageSource.h"
#include "platform/ImageFile.h"
#include "platform/PDFDocument.h"

namespace {

QImage toQImage(const ce::RGBImage& rgb) {
    if (rgb.width < 1 || rgb.height < 1) return {};
    QImage image(rgb.width, rgb.height, QImage::Format_RGB888);
    if (image.isNull()) return {};
    const auto rowBytes = static_cast<std::size_t>(rgb.width) * 3;
    for (int y = 0; y < rgb.height; ++y)
        std::memcpy(image.scanLine(y), rgb.pixels.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    return image;
}

QImage renderPDF(const std::filesystem::path& path, int page) {
    auto document = ce::PDFDocument::open(path);
    if (document->isLocked()) return {};
    if (page < 0 || page >= document->pageCount()) return {};
    auto pdfPage = document->page(page);
    if (!pdfPage) return {};
    const ce::PDFPageSource source(pdfPage);
    const double scale = PageRenderer::pdfScale(std::max(source.width(), source.height()));
    return toQImage(source.render(scale));
}

// Image frames go through the engine's reader, which reduces a frame while it reads
// it, so that a scan of hundreds of millions of pixels is never held whole; it also
// reads HEIC and HEIF, which Qt cannot on Debian. Frames of formats that are only
// decoded whole are refused above the engine's limit for them.
QImage renderImage(const std::filesystem::path& file, int page) {
    const ce::ImageFile::FrameInfo info = ce::ImageFile::frameInfo(file, page);
    const double pixels = static_cast<double>(info.pixelWidth) * static_cast<double>(info.pixelHeight);
    if (info.decodedWhole && pixels > ce::ImagePage::maxWholeFramePixels) return {};
    const bool reduce = std::max(info.pixelWidth, info.pixelHeight) > PageRenderer::maxPixelSide;
    const ce::RGBImage decoded = ce::ImageFile::decode(file, page, reduce ? PageRenderer::maxPixelSide : 0);
    return toQImage(ce::ImagePage::upright(decoded, info.orientation.value_or(1)));
}

QString shortestDouble(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) return QString::number(value);
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (!text.contains(u'.')) text += QStringLiteral(".0");
    return text;
}

}  // namespace

PageRenderer::PageRenderer() : cache_(totalCostLimit) { pool_.setMaxThreadCount(renderThreads); }

PageRenderer& PageRenderer::shared() {
    static PageRenderer* instance = new PageRenderer();  // lives until the process ends
    return *instance;
}

QString PageRenderer::cacheKey(const QString& path, int page, qint64 size, double modified) {
    return path + u'#' + QString::number(page) + u'#' + QString::number(size) + u'#' + shortestDouble(modified);
}

QString PageRenderer::cacheKey(const std::filesystem::path& path, int page) {
    const session::FileStamp stamp = session::FileStamp::of(path);
    return cacheKey(keyText(path), page, stamp.size, secondsSinceReferenceDate(stamp.modified));
}

QString PageRenderer::keyText(const std::filesystem::path& path) {
    const QByteArray bytes = QByteArray::fromStdString(path.string());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes.toPercentEncoding("/")) : text;
}

double PageRenderer::secondsSinceReferenceDate(const QDateTime& time) {
    if (time == session::FileStamp::distantPast()) return distantPast;
    return static_cast<double>(time.toMSecsSinceEpoch()) / 1000.0 - referenceDateUnixSeconds;
}

double PageRenderer::pdfScale(double longerSide) {
    if (longerSide <= 1.0) return 3.0;
    return std::min(maxPixelSide / longerSide, 3.0);
}

QImage PageRenderer::render(const std::filesystem::path& path, int page) {
    if (page < 0) return {};
    try {
        std::string extension = path.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".pdf") return renderPDF(path, page);
        return renderImage(path, page);
    } catch (const std::exception&) {
        return {};
    }
}

PageRenderer::Ticket PageRenderer::request(const std::filesystem::path& path, int page, QObject* context, Done done) {
    auto ticket = std::make_shared<std::atomic<bool>>(false);
    const QString key = cacheKey(path, page);
    QPointer<QObject> receiver(context);
    auto deliver = [receiver, done](const QString& key, const QImage& image) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, key, image] {
                if (receiver) done(key, image);
            },
            Qt::QueuedConnection);
    };
    if (auto hit = cache_.find(key)) {
        deliver(key, *hit);
        return ticket;
    }
    pool_.start([this, ticket, key, path, page, deliver] {
        if (ticket->load()) return;
        const QImage image = render(path, page);
        cache_.insert(key, image);
        deliver(key, image);
    });
    return ticket;
}
