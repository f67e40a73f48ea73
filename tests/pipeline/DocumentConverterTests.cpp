// The document entry object over real files: page lists of PDFs and images, page
// counts and error kinds, cancellation, batches and the progress thread.
#include <gtest/gtest.h>

#include "core/ConversionError.h"
#include "input/PageSource.h"
#include "input/TestFiles.h"
#include "pipeline/DocumentConversion.h"
#include "pipeline/DocumentConverter.h"
#include "platform/PDFDocument.h"

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

}  // namespace

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
