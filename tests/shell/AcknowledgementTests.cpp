#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TempFiles.h"
#include "shell/Acknowledgement.h"

namespace shell {
namespace {

QByteArray manifest(const QByteArray& entries) { return R"({"version": 1, "entries": [)" + entries + "]}"; }

const QByteArray plainEntry = R"({"title": "zlib", "role": "Compression", "license": "Zlib", "file": "zlib.txt"})";

struct RejectCase {
    const char* name;
    QByteArray bytes;
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectedManifest : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectedManifest, GivesAnEmptyList) { EXPECT_TRUE(Acknowledgement::decode(GetParam().bytes).empty()); }

INSTANTIATE_TEST_SUITE_P(
    Cases, RejectedManifest,
    testing::Values(
        RejectCase{"EntriesMissing", R"({"items": [])" + plainEntry + "]}"},
        RejectCase{"EntriesNotAnArray", R"({"entries": {}})"},
        RejectCase{"EntryLacksFile", manifest(plainEntry + R"(, {"title": "t", "role": "r", "license": "l"})")},
        RejectCase{"TitleNotAString", manifest(R"({"title": 1, "role": "r", "license": "l", "file": "f"})")},
        RejectCase{"ModifiedNotABool",
                   manifest(R"({"title": "t", "role": "r", "license": "l", "file": "f", "modified": "yes"})")},
        RejectCase{"EditionNotAString",
                   manifest(R"({"title": "t", "role": "r", "license": "l", "file": "f", "edition": 2})")},
        RejectCase{"EntryNotAnObject", manifest(plainEntry + ", 3")},
        RejectCase{"InvalidUtf8", manifest("{\"title\": \"z\xff\", \"role\": \"r\", \"license\": \"l\", \"file\": \"f\"}")},
        RejectCase{"NotJson", "entries"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Acknowledgement, KeepsEntriesOfThisEditionInFileOrder) {
    const auto entries = Acknowledgement::decode(manifest(
        R"({"title": "a", "role": "r", "license": "l", "file": "a.txt"},
           {"title": "b", "role": "r", "license": "l", "file": "b.txt", "edition": "direct"},
           {"title": "c", "role": "r", "license": "l", "file": "c.txt", "edition": "store"},
           {"title": "d", "role": "r", "license": "l", "file": "d.txt", "edition": "Direct"},
           {"title": "e", "role": "r", "license": "l", "file": "e.txt", "edition": null})"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, "a");
    EXPECT_EQ(entries[1].title, "b");
    EXPECT_EQ(entries[1].edition, QStringLiteral("direct"));
    EXPECT_EQ(entries[2].title, "e");
    EXPECT_EQ(entries[2].edition, std::nullopt);
}

TEST(Acknowledgement, ModifiedIsOptional) {
    const auto entries = Acknowledgement::decode(manifest(
        R"({"title": "a", "role": "r", "license": "l", "file": "a", "modified": true},
           {"title": "b", "role": "r", "license": "l", "file": "b", "modified": false},
           {"title": "c", "role": "r", "license": "l", "file": "c", "modified": null},
           {"title": "d", "role": "r", "license": "l", "file": "d"})"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].modified, true);
    EXPECT_EQ(entries[1].modified, false);
    EXPECT_EQ(entries[2].modified, std::nullopt);
    EXPECT_EQ(entries[3].modified, std::nullopt);
}

TEST(Acknowledgement, ReadsTheBundlesManifest) {
    QTemporaryDir dir;
    EXPECT_TRUE(Acknowledgement::loadAll(ResourceBundle::load(dir.path(), {})).empty());
    test::writeFile(dir.filePath("Licenses/acknowledgements.json"), manifest(plainEntry));
    const auto entries = Acknowledgement::loadAll(ResourceBundle::load(dir.path(), {}));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id(), "zlib.txt");
}

struct TextCase {
    const char* name;
    const char* file;
    std::optional<QString> expected;
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class LicenseText : public testing::TestWithParam<TextCase> {};

TEST_P(LicenseText, IsReadAsStrictUtf8FromTheLicensesFolder) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("Licenses/good.txt"), "Copyright \xc2\xa9 2024\n");
    test::writeFile(dir.filePath("Licenses/latin1.txt"), "Copyright \xa9 2024\n");
    test::writeFile(dir.filePath("Licenses/sub/inner.txt"), "inner");
    test::writeFile(dir.filePath("outside.txt"), "outside");
    Acknowledgement entry;
    entry.file = QString::fromUtf8(GetParam().file);
    EXPECT_EQ(Acknowledgement::licenseText(ResourceBundle::load(dir.path(), {}), entry), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LicenseText,
                         testing::Values(TextCase{"Utf8", "good.txt", QStringLiteral("Copyright © 2024\n")},
                                         TextCase{"InvalidUtf8", "latin1.txt", std::nullopt},
                                         TextCase{"Missing", "none.txt", std::nullopt},
                                         TextCase{"Folder", "sub", std::nullopt},
                                         TextCase{"Slash", "sub/inner.txt", std::nullopt},
                                         TextCase{"DotDot", "../outside.txt", std::nullopt},
                                         TextCase{"Empty", "", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

// The shipped manifest lists every component the application ships or links, each with a
// licence text that reads.
TEST(Acknowledgement, TheShippedManifestIsCompleteAndReadable) {
    const ResourceBundle bundle = ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    const auto entries = Acknowledgement::loadAll(bundle);
    QStringList titles;
    for (const Acknowledgement& entry : entries) {
        titles << entry.title;
        const auto text = Acknowledgement::licenseText(bundle, entry);
        ASSERT_TRUE(text) << entry.file.toStdString();
        EXPECT_GT(text->size(), 200) << entry.file.toStdString();
    }
    for (const char* component : {"MuPDF", "Tesseract", "Tesseract language data", "libtorch", "OpenBLAS", "libvips",
                                  "ICU", "FreeType", "Liberation fonts", "libexttextcat", "libzip", "zlib",
                                  "nlohmann-json", "Qt", "Layout and table models"}) {
        EXPECT_TRUE(titles.contains(QString::fromLatin1(component))) << component;
    }
}

}  // namespace
}  // namespace shell
