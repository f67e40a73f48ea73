// The page renderer: its cache key, the scale of PDF pages, PDF and image renders,
// the cache (hits, a changed file rendering again, failures never stored) and large
// scans, read reduced.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "PageRenderer.h"
#include "input/TestFiles.h"
#include "testsupport/LargeImages.h"

namespace {

std::filesystem::path fs(const QString& path) { return path.toStdString(); }

QImage requestAndWait(const QString& path, int page) {
    QObject context;
    std::optional<QImage> result;
    PageRenderer::shared().request(fs(path), page, &context, [&](const QString&, const QImage& image) { result = image; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
    return result.value_or(QImage());
}

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

// Written in the format its extension names (BMP is uncompressed, so its size does
// not depend on its colour).
QString writeImage(const QTemporaryDir& dir, const QString& name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(color);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

void setModified(const QString& path, std::filesystem::file_time_type time) {
    std::filesystem::last_write_time(path.toStdString(), time);
}

TEST(PageRendererKey, PrintsPathPageSizeAndShortestSeconds) {
    EXPECT_EQ(PageRenderer::cacheKey("/a/b.pdf", 2, 1234, 725000000.5), "/a/b.pdf#2#1234#725000000.5");
    EXPECT_EQ(PageRenderer::cacheKey("/a/b.pdf", 0, 0, 725000000), "/a/b.pdf#0#0#725000000.0");
    EXPECT_EQ(PageRenderer::cacheKey("/a/b.pdf", 0, 1, 0.1), "/a/b.pdf#0#1#0.1");
    EXPECT_EQ(PageRenderer::cacheKey("/no/such/file.pdf", 3), "/no/such/file.pdf#3#-1#-63114076800.0");
}

TEST(PageRendererKey, ReadsTheStampOfAnExistingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.png");
    writeFile(path, "");
    setModified(path, std::filesystem::file_time_type::clock::from_sys(
                          std::chrono::sys_seconds(std::chrono::seconds(978307200 + 86400))));
    EXPECT_EQ(PageRenderer::cacheKey(fs(path), 0), path + "#0#0#86400.0");
}

// Names are the file system's bytes: one that is not UTF-8 is drawn, and keeps a key of its own.
TEST(PageRendererRender, DrawsFilesWhoseNamesAreNotUTF8) {
    QTemporaryDir dir;
    const std::filesystem::path folder = std::filesystem::path(dir.path().toStdString()) / "names";
    std::filesystem::create_directory(folder);
    ce::testing::TestPage page;
    page.mediaBox = "0 0 200 300";
    const std::filesystem::path latin1 = folder / "caf\xe9.pdf";
    const std::filesystem::path other = folder / "caf\xe8.pdf";
    for (const auto& path : {latin1, other}) std::ofstream(path, std::ios::binary) << ce::testing::makePDF({page});
    EXPECT_EQ(PageRenderer::render(latin1, 0).size(), QSize(600, 900));
    std::filesystem::rename(fs(writeImage(dir, "scan.png", {40, 30}, Qt::red)), folder / "sc\xe4n.png");
    EXPECT_EQ(PageRenderer::render(folder / "sc\xe4n.png", 0).pixelColor(0, 0), QColor(Qt::red));

    EXPECT_NE(PageRenderer::cacheKey(latin1, 0), PageRenderer::cacheKey(other, 0));
    EXPECT_TRUE(PageRenderer::cacheKey(latin1, 0).startsWith(dir.path() + QStringLiteral("/names/caf%E9.pdf#0#")));
    EXPECT_EQ(PageRenderer::keyText("/a/caf\xc3\xa9.pdf"), QStringLiteral("/a/caf\u00e9.pdf"));
    std::filesystem::remove_all(folder);  // QTemporaryDir cannot name these files to remove them
}

TEST(PageRendererScale, SmallPagesAtThreeLargePagesWithin2200Pixels) {
    EXPECT_EQ(PageRenderer::pdfScale(1.0), 3.0);
    EXPECT_EQ(PageRenderer::pdfScale(300), 3.0);
    EXPECT_DOUBLE_EQ(PageRenderer::pdfScale(1000), 2.2);
    EXPECT_DOUBLE_EQ(PageRenderer::pdfScale(792), 2200.0 / 792);
}

TEST(PageRendererRender, DrawsPDFPagesByExtensionInAnyCase) {
    QTemporaryDir dir;
    ce::testing::TestPage page;
    page.mediaBox = "0 0 200 300";
    page.content = "0 0 1 rg 0 0 100 100 re f";
    const std::string pdf = ce::testing::makePDF({page, page});
    for (const char* name : {"doc.pdf", "DOC.PdF"}) {
        writeFile(dir.filePath(name), pdf);
        const QImage image = PageRenderer::render(fs(dir.filePath(name)), 1);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(600, 900));
        EXPECT_EQ(image.pixelColor(10, 890), QColor(0, 0, 255));  // the square at the bottom left
        EXPECT_EQ(image.pixelColor(590, 10), QColor(255, 255, 255));
    }
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("doc.pdf")), 2).isNull());
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("doc.pdf")), -1).isNull());
    // A PDF under another extension takes the image path and fails.
    writeFile(dir.filePath("doc.png"), pdf);
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("doc.png")), 0).isNull());
    writeFile(dir.filePath("broken.pdf"), "%PDF-1.4 nothing else");
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("broken.pdf")), 0).isNull());
}

TEST(PageRendererRender, ImagesShowTheirFrameWithinTheSizeLimit) {
    QTemporaryDir dir;
    const QString small = writeImage(dir, "small.png", {300, 200}, Qt::red);
    EXPECT_EQ(PageRenderer::render(fs(small), 0).size(), QSize(300, 200));
    EXPECT_TRUE(PageRenderer::render(fs(small), 1).isNull());
    const QString wide = writeImage(dir, "wide.png", {4400, 1100}, Qt::green);
    EXPECT_EQ(PageRenderer::render(fs(wide), 0).size(), QSize(2200, 550));
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("missing.png")), 0).isNull());
}

TEST(PageRendererRender, HEICAndHEIFNamesGoThroughTheEngineReader) {
    QTemporaryDir dir;
    // The engine's reader goes by the content: a PNG under a HEIF name takes its path.
    const QString heic = writeImage(dir, "scan.png", {4400, 1100}, Qt::green);
    ASSERT_TRUE(QFile::rename(heic, dir.filePath("scan.HEIC")));
    const QImage image = PageRenderer::render(fs(dir.filePath("scan.HEIC")), 0);
    EXPECT_EQ(image.size(), QSize(2200, 550));
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("scan.HEIC")), 1).isNull());
    writeFile(dir.filePath("broken.heif"), "not an image");
    EXPECT_TRUE(PageRenderer::render(fs(dir.filePath("broken.heif")), 0).isNull());
}

TEST(PageRendererRender, LargeScansAreReadReduced) {
    QTemporaryDir dir;
    // 6000 x 6000 decodes to 144 MB, above Qt's default limit of 128 MB.
    const QString scan = writeImage(dir, "scan.tif", {6000, 6000}, QColor(250, 250, 240));
    const QImage image = PageRenderer::render(fs(scan), 0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2200, 2200));
    // 400 million pixels.
    const QString huge = dir.filePath("huge.png");
    ce::LargeImages::writeOneColourPNG(huge.toStdString(), 20000, 20000, 1, 90);
    const QImage reduced = PageRenderer::render(fs(huge), 0);
    EXPECT_EQ(reduced.size(), QSize(2200, 2200));
    EXPECT_EQ(reduced.pixelColor(0, 0), QColor(90, 90, 90));
}

TEST(PageRendererCache, HitsUntilTheFileChangesAndNeverStoresFailures) {
    QTemporaryDir dir;
    const QString path = writeImage(dir, "page.bmp", {40, 30}, Qt::red);
    const auto time = std::filesystem::last_write_time(path.toStdString());
    EXPECT_EQ(requestAndWait(path, 0).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_TRUE(PageRenderer::shared().cache().find(PageRenderer::cacheKey(fs(path), 0)).has_value());

    // Same size and time: the cached image is served, not the new content.
    writeImage(dir, "page.bmp", {40, 30}, Qt::blue);
    setModified(path, time);
    EXPECT_EQ(requestAndWait(path, 0).pixelColor(0, 0), QColor(Qt::red));

    // Touched: a new key, rendered again.
    setModified(path, time + std::chrono::seconds(5));
    EXPECT_EQ(requestAndWait(path, 0).pixelColor(0, 0), QColor(Qt::blue));

    const QString missing = dir.filePath("missing.png");
    EXPECT_TRUE(requestAndWait(missing, 0).isNull());
    EXPECT_FALSE(PageRenderer::shared().cache().find(PageRenderer::cacheKey(fs(missing), 0)).has_value());
}

TEST(PageRendererCache, CostIsBytesAndTheLimitEvicts) {
    PageImageCache cache(1000);
    QImage image(10, 10, QImage::Format_RGB888);  // 32 bytes a line with padding, 320 in all
    image.fill(Qt::white);
    EXPECT_EQ(PageImageCache::cost(image), image.bytesPerLine() * 10);
    cache.insert("a", image);
    cache.insert("b", image);
    cache.insert("c", image);
    cache.insert("d", image);
    EXPECT_LE(cache.totalCost(), 1000);
    EXPECT_FALSE(cache.find("a").has_value());
    EXPECT_TRUE(cache.find("d").has_value());
    cache.insert("null", QImage());
    EXPECT_FALSE(cache.find("null").has_value());
    EXPECT_EQ(PageRenderer::shared().cache().totalCostLimit(), 400'000'000);
}

}  // namespace
