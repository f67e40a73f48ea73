// What DocumentConverter says about damaged and oversized files: the cause, not a
// symptom ("has no pages", "cannot read input").
#include <gtest/gtest.h>

#include "core/ConversionError.h"
#include "core/EngineError.h"
#include "input/TestFiles.h"
#include "pipeline/DocumentConverter.h"

using namespace ce;
using namespace ce::testing;

namespace {

// The text of the error `body` throws, or "" when it throws none.
template <typename Error, typename Body>
std::string errorText(Body body) {
    try {
        body();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(DamagedFiles, ATruncatedPDFSaysItIsDamaged) {
    const ScratchFolder folder;
    const std::string pdf = makePDF({TestPage{}, TestPage{}});
    const auto url = folder.write("cut.pdf", pdf.substr(0, pdf.find("2 0 obj")));
    for (const std::string& text : {errorText<ConversionError>([&] { DocumentConverter::pageCount(url); }),
                                    errorText<ConversionError>([&] { DocumentConverter::pageSources(url); })}) {
        EXPECT_NE(text.find("cannot read cut.pdf: the file is damaged (cannot find startxref)"), std::string::npos)
            << text;
    }
    // A catalog that cannot be parsed loses the page tree, not the pages.
    std::string lostTree = pdf;
    lostTree[lostTree.find("/Pages 2 0 R")] ^= 0x80;
    EXPECT_EQ(DocumentConverter::pageSources(folder.write("lost-tree.pdf", lostTree)).size(), 2u);
    // A sound file without pages is still one with no pages to convert.
    const auto none = folder.write("none.pdf", makePDF({}));
    EXPECT_EQ(DocumentConverter::pageCount(none), 0);
}

TEST(DamagedFiles, AnImageOfOneFrameThatCannotBeDecodedFailsTheDocument) {
    const ScratchFolder folder;
    // Four by four pixels of data under a header that declares 20,000 x 20,000.
    const auto url = folder.write("huge.png", makePNG(4, 4, 3, std::vector<std::uint8_t>(48, 9), "", 20000, 20000));
    try {
        DocumentConverter::pageSources(url);
        FAIL() << "the document did not fail";
    } catch (const ConversionError& error) {
        EXPECT_EQ(error.kind(), ConversionError::Kind::unreadable);
        EXPECT_NE(std::string(error.what()).find("cannot read huge.png: cannot read input"), std::string::npos)
            << error.what();
    }
}
