#include <gtest/gtest.h>

#include <atomic>

#include "core/ConversionError.h"
#include "core/EngineError.h"
#include "input/PageSource.h"
#include "input/TestFiles.h"
#include "pipeline/DocumentConversion.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PDFPageSource.h"

using namespace ce;
using namespace ce::DocumentConversion;

namespace {
class FakePage : public PageSource {
public:
    explicit FakePage(int index) : index(index) {}
    double width() const override { return 100 + index; }
    double height() const override { return 200; }
    RGBImage render(double) const override { return RGBImage::filled(10, 20, 255, 255, 255); }
    std::optional<PageText> textLayer() const override { return std::nullopt; }
    RecognitionImage ocrImage(double) const override { return {render(1), 1}; }
    int index;
};

std::vector<PageFactory> pages(int count) {
    std::vector<PageFactory> out;
    for (int i = 0; i < count; ++i) {
        out.push_back([i] { return OpenedPage{std::make_shared<const FakePage>(i), std::nullopt, std::nullopt}; });
    }
    return out;
}

PageResult fakeResult(const std::shared_ptr<const PageSource>& page) {
    PageResult r;
    r.pageWidth = page->width();
    r.pageHeight = page->height();
    Cluster c;
    c.id = 7;
    r.clusters = {c};
    return r;
}

const IsCancelled never = [] { return false; };
}  // namespace

TEST(DocumentConversion, PageRangeSelectsPagesAndReportsProgress) {
    ConversionOptions options;
    options.pageRange = PageRange{1, 1};
    std::vector<ConversionProgress> progress;
    const ConversionResult result = run("/docs/a.pdf", pages(3), options,
                                        [&](ConversionProgress p) { progress.push_back(p); }, never,
                                        [](const auto& page, const auto&, const auto&) { return fakeResult(page); });
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages[0].index, 1);
    EXPECT_EQ(result.pages[0].width, 101);
    EXPECT_EQ(result.sourcePageCount, 3);
    ASSERT_EQ(result.pages[0].regions.size(), 1u);
    EXPECT_EQ(result.pages[0].regions[0].id, 7);
    EXPECT_EQ(progress, (std::vector<ConversionProgress>{{0, 1}, {1, 1}}));
}

TEST(DocumentConversion, RangeBeyondTheDocumentHasNoPages) {
    ConversionOptions options;
    options.pageRange = PageRange{5, 9};
    try {
        run("/docs/a.pdf", pages(3), options, {}, never, [](const auto& p, const auto&, const auto&) { return fakeResult(p); });
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.kind(), ConversionError::Kind::noPages);
    }
    EXPECT_THROW(run("/docs/empty.pdf", {}, {}, {}, never,
                     [](const auto& p, const auto&, const auto&) { return fakeResult(p); }),
                 ConversionError);
}

TEST(DocumentConversion, FailedPagesKeepTheirTextAndTheDocumentSucceeds) {
    auto factories = pages(3);
    factories[2] = [] () -> OpenedPage { throw EngineError::unreadableInput("/docs/scan.tif"); };
    const ConversionResult result =
        run("/docs/scan.tif", factories, {}, {}, never, [](const auto& page, const auto&, const auto&) {
            if (page->width() == 100) throw EngineError::modelOutput("layout");
            return fakeResult(page);
        });
    ASSERT_EQ(result.pages.size(), 3u);
    EXPECT_EQ(result.pages[0].failure, "unexpected model output: layout");
    EXPECT_EQ(result.pages[0].width, 100);
    EXPECT_TRUE(result.pages[0].content.body.empty());
    EXPECT_FALSE(result.pages[1].failure);
    EXPECT_EQ(result.pages[2].failure, "cannot read input: /docs/scan.tif");
}

TEST(DocumentConversion, CancellationInsideAPageEndsTheConversion) {
    std::atomic<bool> cancelled = false;
    int converted = 0;
    EXPECT_THROW(run("/docs/a.pdf", pages(10), {}, {}, [&] { return cancelled.load(); },
                     [&](const auto& page, const auto&, const IsCancelled& isCancelled) {
                         if (++converted == 3) cancelled = true;  // cancelled while page 3 converts
                         if (isCancelled()) throw CancellationError();
                         return fakeResult(page);
                     }),
                 CancellationError);
    EXPECT_EQ(converted, 3);
}

TEST(DocumentConversion, OptionsBecomePipelineOptionsAndLanguages) {
    ConversionOptions options(ConversionOptions::Language::spanish);
    options.extractImages = false;
    options.forceOCR = true;
    const ConverterOptions pipeline = pipelineOptions(options);
    EXPECT_EQ(pipeline.pictureScale, 0);
    EXPECT_TRUE(pipeline.forceOCR);
    EXPECT_EQ(ocrLanguages(options), (std::vector<std::string>{"es-ES", "en-US"}));
    options.ocrLanguages = std::vector<std::string>{};
    EXPECT_TRUE(ocrLanguages(options).empty());
}

// A long document holds one page at a time: each PDF page is loaded when its turn comes
// and released once it is converted.
TEST(DocumentConversion, PDFPagesAreReleasedOnceConverted) {
    const ce::testing::ScratchFolder folder;
    const auto url = folder.write("three.pdf", ce::testing::makePDF({{}, {}, {}}));
    std::vector<std::weak_ptr<const PDFPage>> seen;
    std::vector<int> aliveWhileConverting;
    run(url, DocumentConverter::pageSources(url), ConversionOptions{}, {}, [] { return false; },
        [&](const std::shared_ptr<const PageSource>& page, const std::vector<std::string>&, const IsCancelled&) {
            int alive = 0;
            for (const auto& earlier : seen) alive += earlier.expired() ? 0 : 1;
            aliveWhileConverting.push_back(alive);
            seen.push_back(dynamic_cast<const PDFPageSource&>(*page).page());
            return fakeResult(page);
        });
    EXPECT_EQ(aliveWhileConverting, (std::vector<int>{0, 0, 0}));
}
