#include <gtest/gtest.h>

#include <thread>

#include "input/TestFiles.h"
#include "platform/PDFDocument.h"

using namespace ce;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

TEST(PDFRotation, SnapsToQuarterTurns) {
    struct Case {
        long long rotate;
        int expected;
    };
    for (Case c : {Case{0, 0}, Case{90, 90}, Case{180, 180}, Case{270, 270}, Case{360, 0}, Case{450, 90},
                   Case{-90, 270}, Case{-450, 270}, Case{44, 0}, Case{45, 90}, Case{314, 270}, Case{315, 0},
                   Case{-45, 0}})
        EXPECT_EQ(normalizedRotation(c.rotate), c.expected) << c.rotate;
}

TEST(PDFDocument, ReadsPagesBoxesAndRotation) {
    ScratchFolder folder;
    const auto file = folder.write("pages.pdf", makePDF({TestPage{}, TestPage{"0 0 300 400", "10 20 5000 380", "-90"},
                                                         TestPage{"0 0 300 400", "", "30"}}));
    auto document = PDFDocument::open(file);
    EXPECT_FALSE(document->isLocked());
    ASSERT_EQ(document->pageCount(), 3);
    EXPECT_EQ(document->page(0)->cropBox(), (PDFRect{0, 0, 200, 100}));
    const auto second = document->page(1);
    EXPECT_EQ(second->cropBox(), (PDFRect{10, 20, 300, 380}));  // clipped to the media box
    EXPECT_EQ(second->rotation(), 270);
    EXPECT_EQ(document->page(2)->rotation(), 0);
    EXPECT_EQ(document->page(3), nullptr);
    EXPECT_EQ(document->page(-1), nullptr);
}

TEST(PDFDocument, BadFilesGiveTypedErrors) {
    ScratchFolder folder;
    const std::string good = makePDF({TestPage{.content = "0 0 0 rg 10 10 50 50 re f"}});
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.pdf", ""},
        {"garbage.pdf", std::string(2000, '\x07')},
        {"header-only.pdf", "%PDF-1.7\n"},
        {"truncated.pdf", good.substr(0, good.size() / 2)},
        {"no-xref.pdf", good.substr(0, good.find("xref"))},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        // Opening either fails with PDFError or yields a document whose pages are usable.
        try {
            auto document = PDFDocument::open(folder.write(name, bytes));
            for (int i = 0; i < document->pageCount(); ++i)
                if (auto page = document->page(i)) page->render(1, 10, 10);
        } catch (const PDFError& error) {
            EXPECT_NE(std::string(error.what()), "");
        }
    }
    EXPECT_THROW(PDFDocument::open(folder.path() / "missing.pdf"), PDFError);
}

TEST(PDFDocument, RefusesUseFromAnotherThread) {
    ScratchFolder folder;
    auto document = PDFDocument::open(folder.write("one.pdf", makePDF({TestPage{}})));
    auto page = document->page(0);
    bool threw = false;
    std::thread([&] {
        try {
            page->render(1, 10, 10);
        } catch (const PDFError&) {
            threw = true;
        }
    }).join();
    EXPECT_TRUE(threw);
    EXPECT_EQ(page->render(1, 4, 3).pixels.size(), 36u);
}

TEST(PDFDocument, DocumentsOnSeparateThreadsRenderAtOnce) {
    ScratchFolder folder;
    const auto file = folder.write("shared.pdf", makePDF({TestPage{.content = "0 0 1 rg 0 0 200 100 re f"}}));
    std::vector<std::thread> threads;
    std::vector<RGBImage> images(4);
    for (std::size_t i = 0; i < images.size(); ++i)
        threads.emplace_back([&, i] { images[i] = PDFDocument::open(file)->page(0)->render(1, 200, 100); });
    for (auto& thread : threads) thread.join();
    for (const RGBImage& image : images) {
        ASSERT_EQ(image.pixels.size(), 200u * 100u * 3u);
        EXPECT_EQ(image.pixels[0], 0);
        EXPECT_EQ(image.pixels[2], 255);
    }
}

TEST(PDFDocument, CorpusPasswordSamples) {
    const auto corpus = ce::testing::corpusDir();
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "corpus not available";
    for (const char* name : {"sample-files/005-libreoffice-writer-password/libreoffice-writer-password.pdf",
                             "tables/encrypted.pdf"}) {
        auto document = PDFDocument::open(corpus / name);
        EXPECT_TRUE(document->isLocked()) << name;
        EXPECT_THROW(document->pageCount(), PDFError) << name;
    }
    // Encrypted with an owner password only: it opens with the empty user password.
    auto ownerOnly = PDFDocument::open(corpus / "tables/S2MNCEbirdisland.pdf");
    EXPECT_FALSE(ownerOnly->isLocked());
    EXPECT_EQ(ownerOnly->pageCount(), 2);
}

TEST(PDFDocument, CountsOnlyPagesTheTreeHolds) {
    ScratchFolder folder;
    const std::string two = makePDF({TestPage{}, TestPage{"0 0 300 400"}});
    struct Case {
        const char* name;
        std::string pdf;
        int pages;
    };
    const std::vector<Case> cases = {
        {"honest", two, 2},
        {"claims a billion", ce::testing::editPDF(two, "/Count 2", "/Count 1000000000"), 2},
        {"claims fewer", ce::testing::editPDF(two, "/Count 2", "/Count 1"), 2},
        {"claims none", ce::testing::editPDF(two, "/Count 2", "/Count 0"), 2},
        {"refers to itself", ce::testing::editPDF(two, "/Kids [", "/Kids [2 0 R "), 3},
        {"refers to itself and claims more", ce::testing::editPDF(two, "/Kids [3 0 R 5 0 R ] /Count 2", "/Kids [2 0 R 3 0 R 5 0 R ] /Count 9"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = PDFDocument::open(folder.write("tree.pdf", c.pdf));
        EXPECT_EQ(document->pageCount(), c.pages);
    }
    auto document = PDFDocument::open(folder.write("billion.pdf", cases[1].pdf));
    EXPECT_EQ(document->page(1)->cropBox(), (PDFRect{0, 0, 300, 400}));
    EXPECT_EQ(document->page(2), nullptr);
}

// A page whose dictionary cannot be parsed fails on its own: the file still opens and
// counts all its pages, and the sound pages load.
TEST(PDFDocument, ADamagedPageDictionaryLeavesTheOtherPagesReadable) {
    ScratchFolder folder;
    std::string pdf = makePDF({TestPage{}, TestPage{"0 0 300 400"}, TestPage{"0 0 300 50"}});
    // One flipped bit turns a key of the second page into something that is not a name.
    pdf[pdf.find("/MediaBox [0 0 300 400]")] ^= 0x80;
    auto document = PDFDocument::open(folder.write("flipped.pdf", pdf));
    ASSERT_EQ(document->pageCount(), 3);
    EXPECT_EQ(document->page(0)->cropBox(), (PDFRect{0, 0, 200, 100}));
    EXPECT_EQ(document->page(2)->cropBox(), (PDFRect{0, 0, 300, 50}));
}

// A flipped byte in the catalog or the root of the page tree leaves the tree unreadable;
// the pages are then found among the file's objects, in order, and each loads at its
// index. Where the tree's counts disagree with its pages, every page still loads at
// its own index.
TEST(PDFDocument, PagesOfALostOrMiscountedTreeLoadAtTheirIndex) {
    ScratchFolder folder;
    const std::string three = makePDF({TestPage{}, TestPage{"0 0 300 400"}, TestPage{"0 0 300 50"}});
    const auto flipped = [&](const std::string& at) {
        std::string pdf = three;
        pdf[pdf.find(at)] ^= 0x80;
        return pdf;
    };
    struct Case {
        const char* name;
        std::string pdf;
    };
    for (const Case& c : {Case{"catalog", flipped("/Pages 2 0 R")}, Case{"tree root", flipped("/Kids")},
                          Case{"claims one", ce::testing::editPDF(three, "/Count 3", "/Count 1")},
                          Case{"claims none", ce::testing::editPDF(three, "/Count 3", "/Count 0")}}) {
        SCOPED_TRACE(c.name);
        auto document = PDFDocument::open(folder.write("lost.pdf", c.pdf));
        ASSERT_EQ(document->pageCount(), 3);
        EXPECT_EQ(document->loadPage(0)->cropBox(), (PDFRect{0, 0, 200, 100}));
        EXPECT_EQ(document->loadPage(1)->cropBox(), (PDFRect{0, 0, 300, 400}));
        EXPECT_EQ(document->loadPage(2)->cropBox(), (PDFRect{0, 0, 300, 50}));
    }
}

// A damaged cross-reference table and an object that cannot be parsed (its string
// never closes) made the file unreadable; the object is left out and the pages read.
TEST(PDFDocument, AnUnparsableObjectDoesNotStopTheRepair) {
    ScratchFolder folder;
    std::string pdf = makePDF({TestPage{}, TestPage{"0 0 300 400"}});
    // The document information, last before the cross-reference table, with the
    // closing parenthesis of a string flipped: the string runs on to the end of the file.
    pdf.insert(pdf.find("xref\n"), "9 0 obj\n<< /Producer (a writer\xd6 /Title (notes) >>\nendobj\n");
    pdf.replace(pdf.find("/Root 1 0 R"), 11, "/Root 1 0 R /Info 9 0 R");
    // And a flipped digit in the table.
    pdf[pdf.find(" 00000 n ") - 1] ^= 0xff;
    auto document = PDFDocument::open(folder.write("info.pdf", pdf));
    EXPECT_TRUE(document->damage().has_value());
    ASSERT_EQ(document->pageCount(), 2);
    EXPECT_EQ(document->loadPage(1)->cropBox(), (PDFRect{0, 0, 300, 400}));
}
