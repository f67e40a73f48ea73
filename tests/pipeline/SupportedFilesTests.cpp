#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pipeline/SupportedFiles.h"

namespace fs = std::filesystem;
using namespace ce;

TEST(SupportedFiles, ExtensionsCompareLowerCased) {
    struct Case {
        const char* name;
        bool supported;
    } cases[] = {{"a.PDF", true},  {"b.jpe", true},  {"c.TiFf", true}, {"d.webp", true},
                 {"notes.txt", false}, {"pdf", false}, {"e.pdf.bak", false}, {"f.heif", true}};
    for (const Case& c : cases) EXPECT_EQ(SupportedFiles::isSupported(c.name), c.supported) << c.name;
}

namespace {
class FolderListing : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("ce-listing-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* dir : {"sub", ".hidden", "Model.mlpackage"}) fs::create_directories(root / dir);
        for (const char* file : {"page10.png", "page2.png", "notes.txt", ".secret.pdf", "sub/deep.pdf",
                                 ".hidden/x.pdf", "Model.mlpackage/inside.png", "Scan.JPG"}) {
            std::ofstream(root / file) << "x";
        }
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};
}  // namespace

TEST_F(FolderListing, SkipsHiddenAndBundlesAndSortsNumerically) {
    const auto flat = SupportedFiles::supportedFiles(root, false);
    ASSERT_EQ(flat.size(), 3u);
    EXPECT_EQ(flat[0].filename(), "page2.png");
    EXPECT_EQ(flat[1].filename(), "page10.png");
    EXPECT_EQ(flat[2].filename(), "Scan.JPG");

    const auto deep = SupportedFiles::supportedFiles(root, true);
    ASSERT_EQ(deep.size(), 4u);
    EXPECT_EQ(deep[3], root / "sub/deep.pdf");
}

TEST(SupportedFiles, UnreadableFolderGivesEmptyList) {
    EXPECT_TRUE(SupportedFiles::supportedFiles("/nonexistent/folder", true).empty());
}
