// The document entry object over real files: page lists of PDFs and images, page
// counts and error kinds, cancellation, batches and the progress thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include "core/ConversionError.h"
#include "input/PageSource.h"
#include "input/TestFiles.h"
#include "models/ModelSet.h"
#include "models/ModelTestSupport.h"
#include "pipeline/DocumentConversion.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"
#include "platform/PDFDocument.h"
#include "testsupport/StandInModels.h"

using namespace ce;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

namespace {

// Three pages 100, 200 and 300 points wide.
std::string threePages() {
    TestPage first;
    first.mediaBox = "0 0 100 50";
    TestPage second;
    second.mediaBox = "0 0 200 50";
    TestPage third;
    third.mediaBox = "0 0 300 50";
    return makePDF({first, second, third});
}

// The PDF with its second page's node (object 5) turned into a page-tree node that
// holds only itself, so the page cannot be loaded; the replacement keeps the length
// so the cross-reference table stays right.
std::string withBrokenMiddlePage(std::string pdf) {
    const std::string node = "5 0 obj\n<<";
    const auto at = pdf.find(node);
    const auto end = pdf.find("endobj", at);
    std::string broken = "5 0 obj\n<< /Type /Pages /Kids [5 0 R] /Count 1 >>";
    broken.resize(end - at, ' ');
    pdf.replace(at, end - at, broken);
    return pdf;
}

// The PDF behind the standard security handler with a user password that the empty
// password does not open (its check values are arbitrary bytes).
std::string withUserPassword(std::string pdf) {
    const std::string hex32(64, 'A');
    const auto trailer = pdf.find("trailer\n<< ");
    pdf.insert(trailer + std::string("trailer\n<< ").size(),
               "/Encrypt << /Filter /Standard /V 1 /R 2 /O <" + hex32 + "> /U <" + hex32 +
                   "> /P -4 >> /ID [<00112233445566778899AABBCCDDEEFF> <00112233445566778899AABBCCDDEEFF>] ");
    return pdf;
}

// A converter over a stand-in layout model that finds nothing, so pages convert quickly.
class DocumentConverterTest : public ce::testing::ScratchModelsTest {
protected:
    void SetUp() override {
        ScratchModelsTest::SetUp();
        StandInModels::LayoutOptions layout;
        layout.queries = 1;
        layout.logits.assign(17, -10.0f);
        layout.boxes.assign(4, 0.0f);
        StandInModels::writeLayoutDetector(models, layout);
        converter.emplace(std::make_shared<ModelSet>(ModelLocation::directory(models), ComputeUnits::cpuOnly,
                                                     PlatformServices::modelRuntime()));
    }

    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const auto path = root / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::optional<DocumentConverter> converter;
};

ConversionOptions textOnly() {
    ConversionOptions options;
    options.extractImages = false;
    return options;
}

}  // namespace

TEST_F(DocumentConverterTest, PageCountsAndErrorKinds) {
    EXPECT_EQ(DocumentConverter::pageCount(write("three.pdf", threePages())), 3);
    EXPECT_EQ(DocumentConverter::pageCount(write("none.pdf", makePDF({}))), 0);
    EXPECT_EQ(DocumentConverter::pageCount(write("one.png", ce::testing::makePNG(2, 2, 1, {0, 0, 0, 0}))), 1);
    struct Case {
        const char* what;
        std::filesystem::path url;
        ConversionError::Kind kind;
    };
    const Case cases[] = {
        {"unsupported type", write("notes.txt", "text"), ConversionError::Kind::unsupportedFile},
        {"missing file", root / "absent.pdf", ConversionError::Kind::unreadable},
        {"not a PDF", write("garbage.pdf", "not a pdf at all"), ConversionError::Kind::unreadable},
        {"not an image", write("garbage.png", "not a png"), ConversionError::Kind::unreadable},
        {"user password", write("locked.pdf", withUserPassword(threePages())), ConversionError::Kind::passwordProtected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            DocumentConverter::pageCount(c.url);
            ADD_FAILURE() << "no error";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.what();
        }
        try {
            converter->convert(c.url, textOnly()).get();
            ADD_FAILURE() << "no error";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.what();
        }
    }
    // A document without pages to convert.
    try {
        converter->convert(write("empty.pdf", makePDF({})), textOnly()).get();
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.kind(), ConversionError::Kind::noPages);
    }
}

TEST_F(DocumentConverterTest, ConvertsOnAWorkerThreadThatReportsProgress) {
    const auto url = write("three.pdf", threePages());
    std::mutex lock;  // guards seen and threads
    std::vector<ConversionProgress> seen;
    std::set<std::thread::id> threads;
    const ConversionResult result = converter
                                        ->convert(url, textOnly(),
                                                  [&](ConversionProgress progress) {
                                                      std::lock_guard guard(lock);
                                                      seen.push_back(progress);
                                                      threads.insert(std::this_thread::get_id());
                                                  })
                                        .get();
    EXPECT_EQ(result.sourcePageCount, 3);
    ASSERT_EQ(result.pages.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(result.pages[static_cast<std::size_t>(i)].index, i);
    EXPECT_EQ(result.pages[2].width, 300);
    EXPECT_EQ(seen, (std::vector<ConversionProgress>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), std::this_thread::get_id());
}

TEST_F(DocumentConverterTest, CancellationBeforeAndDuringAConversion) {
    const auto url = write("three.pdf", threePages());
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_THROW((void)converter->convert(url, textOnly(), {}, stopped.get_token()), CancellationError);

    // Stopped once the first page is done: the remaining pages are not converted.
    std::stop_source stop;
    int reports = 0;
    auto future = converter->convert(
        url, textOnly(),
        [&](ConversionProgress progress) {
            ++reports;
            if (progress.completedPages == 1) stop.request_stop();
        },
        stop.get_token());
    EXPECT_THROW(future.get(), CancellationError);
    EXPECT_EQ(reports, 2);
}

TEST_F(DocumentConverterTest, BatchHandsEveryItemToTheCallingThreadWithItsIndex) {
    const std::vector<std::filesystem::path> urls = {write("a.pdf", threePages()), write("b.txt", "not supported"),
                                                     write("c.pdf", makePDF({TestPage{}}))};
    for (const int concurrent : {1, 2}) {
        SCOPED_TRACE(concurrent);
        std::vector<int> order;
        std::set<std::thread::id> threads;
        converter->convertBatch(urls, textOnly(), concurrent, {}, [&](BatchItem item) {
            threads.insert(std::this_thread::get_id());
            order.push_back(item.index);
            EXPECT_EQ(item.url, urls[static_cast<std::size_t>(item.index)]);
            if (item.index == 1) {
                ASSERT_TRUE(std::holds_alternative<std::exception_ptr>(item.result));
                EXPECT_THROW(std::rethrow_exception(std::get<std::exception_ptr>(item.result)), ConversionError);
            } else {
                ASSERT_TRUE(std::holds_alternative<ConversionResult>(item.result));
                EXPECT_EQ(std::get<ConversionResult>(item.result).pages.size(), item.index == 0 ? 3u : 1u);
            }
        });
        // One at a time the items come in list order; otherwise each comes exactly once.
        if (concurrent == 1) {
            EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
        }
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
    }

    // Stopped before it starts: nothing is converted.
    std::stop_source stop;
    stop.request_stop();
    int items = 0;
    converter->convertBatch(urls, textOnly(), 2, {}, [&](BatchItem) { ++items; }, stop.get_token());
    EXPECT_EQ(items, 0);
}

TEST(DocumentConverterPages, APageWhoseNodeCannotBeLoadedFailsAtItsOwnIndex) {
    const ScratchFolder folder;
    const auto url = folder.write("broken.pdf", withBrokenMiddlePage(threePages()));
    EXPECT_EQ(DocumentConverter::pageCount(url), 3);
    const auto pages = DocumentConverter::pageSources(url);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0]().source->width(), 100);
    EXPECT_THROW(pages[1](), PDFError);
    EXPECT_EQ(pages[2]().source->width(), 300);

    // Converting only the second page gives that page, failed with its reason.
    ConversionOptions options;
    options.pageRange = PageRange{1, 1};
    const auto result = DocumentConversion::run(
        url, pages, options, {}, [] { return false; },
        [](const std::shared_ptr<const PageSource>&, const std::vector<std::string>&,
           const DocumentConversion::IsCancelled&) { return PageResult{}; });
    EXPECT_EQ(result.sourcePageCount, 3);
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages[0].index, 1);
    ASSERT_TRUE(result.pages[0].failure);
    EXPECT_NE(result.pages[0].failure->find("page 2 cannot be loaded"), std::string::npos) << *result.pages[0].failure;
}
