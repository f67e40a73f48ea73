#include "output/DOCXWriter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "output/DOCXBody.h"
#include "output/DOCXStyles.h"
#include "output/DOCXTestResults.h"
#include "support/Unzip.h"

namespace {

using namespace ce::DOCXWriter;
using ce::DocElementKind;
using docxtest::element;

const char* const partNames[] = {"[Content_Types].xml", "_rels/.rels",        "docProps/core.xml",
                                 "word/document.xml",   "word/styles.xml",    "word/numbering.xml",
                                 "word/settings.xml",   "word/_rels/document.xml.rels"};

std::map<std::string, std::string> partsOf(const std::vector<testsupport::UnzippedEntry>& entries) {
    std::map<std::string, std::string> parts;
    for (const auto& entry : entries) parts[entry.name] = entry.content;
    return parts;
}

// A result with a heading, paragraphs, a list, a table with spans and a header row,
// and two pictures on two A4 pages.
ce::ConversionResult handBuiltResult() {
    ce::DocElement table = docxtest::withCaptions(element(DocElementKind::table, ""), {"Table 1: Prices"});
    table.table = ce::TableStructure{
        .numRows = 3,
        .numCols = 2,
        .cells = {{.text = "Fruit", .columnHeader = true},
                  {.text = "Price", .startCol = 1, .endCol = 2, .columnHeader = true},
                  {.text = "Apple", .startRow = 1, .endRow = 2},
                  {.text = "1.20", .startRow = 1, .endRow = 3, .startCol = 1, .endCol = 2},
                  {.text = "Pear", .startRow = 2, .endRow = 3}}};
    ce::DocElement figure = docxtest::withCaptions(element(DocElementKind::picture, "", {72, 300, 272, 450}, 11),
                                                   {"Figure 1: A red square"});
    ce::ConvertedPage first = docxtest::page(
        {element(DocElementKind::title, "Annual Report"), element(DocElementKind::sectionHeader, "Overview"),
         element(DocElementKind::text, "Sales grew & costs fell <sharply>."),
         docxtest::listItem("1.", "First point"), docxtest::listItem("2.", "Second point"),
         docxtest::listItem("\u2022", "A bullet", 2), table, figure},
        595.3, 841.9);
    first.images[11] = docxtest::redPNG();
    ce::ConvertedPage second = docxtest::page({element(DocElementKind::picture, "", {72, 72, 172, 147}, 3),
                                               element(DocElementKind::text, "The end.")},
                                              595.3, 841.9);
    second.images[3] = docxtest::redPNG();
    return docxtest::result({first, second}, "/home/user/Annual Report.final.pdf");
}

TEST(DOCXPackage, FixedPartsHaveTheirSizes) {
    EXPECT_EQ(contentTypesXML(false).size(), 935u);
    EXPECT_EQ(contentTypesXML(true).size(), 985u);
    EXPECT_EQ(packageRelsXML().size(), 443u);
    EXPECT_EQ(settingsXML().size(), 359u);
    EXPECT_NE(contentTypesXML(true).find("<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default "
                                         "Extension=\"png\" ContentType=\"image/png\"/><Override "
                                         "PartName=\"/word/document.xml\""),
              std::string::npos);
    EXPECT_EQ(coreXML("A & <B> \"c\"", "de-DE"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<cp:coreProperties "
              "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
              "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>A &amp; &lt;B&gt; \"c\"</dc:title>"
              "<dc:language>de-DE</dc:language></cp:coreProperties>");
    EXPECT_TRUE(documentRelsXML({"image1.png", "image2.png"})
                    .ends_with("<Relationship Id=\"rIdSettings\" Type=\"http://schemas.openxmlformats.org/"
                               "officeDocument/2006/relationships/settings\" Target=\"settings.xml\"/><Relationship "
                               "Id=\"rIdImg1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                               "relationships/image\" Target=\"media/image1.png\"/><Relationship Id=\"rIdImg2\" "
                               "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
                               "Target=\"media/image2.png\"/></Relationships>"));
}

TEST(DOCXPackage, EmptyResultGivesAMinimalLetterPackage) {
    const ce::Data bytes = document(docxtest::result({}, "/tmp/report.final.pdf"));
    const auto entries = testsupport::unzip(bytes);
    ASSERT_EQ(entries.size(), std::size(partNames));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, partNames[i]);
        EXPECT_EQ(entries[i].method, unsigned{ZIP_CM_DEFLATE}) << entries[i].name;
        EXPECT_EQ(entries[i].dosDate, 0x2821u) << "1 January 2000";
        EXPECT_EQ(entries[i].dosTime, 0u);
    }
    auto parts = partsOf(entries);
    EXPECT_EQ(parts["[Content_Types].xml"], contentTypesXML(false));
    EXPECT_EQ(parts["docProps/core.xml"], coreXML("report.final", "en-US"));
    EXPECT_EQ(parts["word/document.xml"], documentXML("<w:p/>", 12240, 15840));
    EXPECT_EQ(parts["word/styles.xml"], stylesXML("en-US"));
    EXPECT_EQ(parts["word/numbering.xml"], numberingXML({}));
    EXPECT_EQ(parts["word/_rels/document.xml.rels"], documentRelsXML({}));
    EXPECT_EQ(document(docxtest::result({}, "/tmp/report.final.pdf")), bytes) << "same result, same bytes";
}

TEST(DOCXPackage, PicturesAreStoredMediaEntries) {
    const ce::ConversionResult result = handBuiltResult();
    const auto entries = testsupport::unzip(document(result));
    ASSERT_EQ(entries.size(), std::size(partNames) + 2);
    EXPECT_EQ(entries[8].name, "word/media/image1.png");
    EXPECT_EQ(entries[9].name, "word/media/image2.png");
    for (std::size_t i = 8; i < 10; ++i) {
        EXPECT_EQ(entries[i].method, unsigned{ZIP_CM_STORE});
        EXPECT_EQ(entries[i].content, std::string(result.pages[0].images.at(11).begin(), result.pages[0].images.at(11).end()));
    }
    auto parts = partsOf(entries);
    EXPECT_EQ(parts["[Content_Types].xml"], contentTypesXML(true));
    EXPECT_EQ(parts["word/_rels/document.xml.rels"], documentRelsXML({"image1.png", "image2.png"}));
    EXPECT_NE(parts["word/document.xml"].find("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"), std::string::npos);
    EXPECT_NE(parts["word/document.xml"].find("<a:blip r:embed=\"rIdImg2\"/>"), std::string::npos);
    EXPECT_NE(parts["word/numbering.xml"].find("<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/>"),
              std::string::npos);
    EXPECT_EQ(parts["docProps/core.xml"], coreXML("Annual Report.final", "en-US"));

    Options options;
    options.images = false;
    options.title = "Mine";
    options.language = "de-DE";
    const auto withoutImages = partsOf(testsupport::unzip(document(result, options)));
    EXPECT_EQ(withoutImages.size(), std::size(partNames));
    EXPECT_EQ(withoutImages.at("[Content_Types].xml"), contentTypesXML(false));
    EXPECT_EQ(withoutImages.at("docProps/core.xml"), coreXML("Mine", "de-DE"));
    EXPECT_EQ(withoutImages.at("word/styles.xml"), stylesXML("de-DE"));
}

TEST(DOCXPackage, LanguageTagFromTheDocumentText) {
    struct Case {
        std::vector<ce::DocElement> body;
        const char* expected;
    };
    const Case cases[] = {
        {{element(DocElementKind::sectionHeader, "Results"),
          element(DocElementKind::text, "The committee reviewed the proposal and decided to approve the budget "
                                        "for the next fiscal year after a long discussion.")},
         "en-US"},
        {{element(DocElementKind::sectionHeader, "Resultados"),
          element(DocElementKind::text, "El comité revisó la propuesta y decidió aprobar el presupuesto para el "
                                        "próximo año fiscal después de una larga discusión."),
          docxtest::listItem("-", "Los gastos de la empresa bajaron durante el año.")},
         "es-MX"},
        // Only headings, texts and list items count: a Spanish caption does not.
        {{element(DocElementKind::caption, "La tabla muestra los resultados de las ventas del año pasado.")}, "en-US"},
        {{}, "en-US"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detectLanguage(docxtest::result({docxtest::page(c.body)})), c.expected);
    }
}

// Runs a shell command and returns its standard output; nothing when it fails.
std::optional<std::string> run(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

bool onPath(const std::string& tool) { return run("command -v " + tool + " >/dev/null 2>&1").has_value(); }

class DOCXReaders : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("docx-readers-" + std::to_string(getpid()) + "-" +
                                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        path = folder / "report.docx";
        const ce::Data bytes = document(handBuiltResult());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path path;
};

TEST_F(DOCXReaders, PythonZipfileChecksCRCsAndParsesEveryPart) {
    if (!onPath("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::string script =
        "import sys, zipfile, xml.dom.minidom\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "assert z.testzip() is None, 'bad CRC'\n"
        "for i in z.infolist():\n"
        "    if i.filename.endswith('.xml') or i.filename.endswith('.rels'):\n"
        "        xml.dom.minidom.parseString(z.read(i))\n"
        "    print(i.filename, i.compress_type, i.date_time)\n";
    const auto output = run("python3 -c \"" + script + "\" '" + path.string() + "'");
    ASSERT_TRUE(output.has_value()) << "python's zipfile rejected the package";
    EXPECT_NE(output->find("word/document.xml 8 (2000, 1, 1, 0, 0, 0)"), std::string::npos) << *output;
    EXPECT_NE(output->find("word/media/image2.png 0 (2000, 1, 1, 0, 0, 0)"), std::string::npos) << *output;
}

TEST_F(DOCXReaders, PandocReadsTextListsTableAndPictures) {
    if (!onPath("pandoc")) GTEST_SKIP() << "pandoc is not installed";
    const auto markdown = run("pandoc -s -f docx -t markdown --extract-media='" + folder.string() + "' '" +
                              path.string() + "' 2>&1");
    ASSERT_TRUE(markdown.has_value()) << "pandoc could not read the package";
    for (const char* expected : {"Annual Report", "# Overview", "Sales grew & costs fell \\<sharply\\>.",
                                 "1.  First point", "2.  Second point", "-   A bullet", "Fruit", "Price", "Apple",
                                 "1.20", "Pear", "Table 1: Prices", "image1.png", "image2.png",
                                 "Figure 1: A red square", "The end."}) {
        EXPECT_NE(markdown->find(expected), std::string::npos) << expected << " in\n" << *markdown;
    }
    EXPECT_TRUE(std::filesystem::exists(folder / "media" / "image1.png"));
}

TEST_F(DOCXReaders, LibreOfficeConvertsThePackage) {
    const std::string office = onPath("soffice") ? "soffice" : onPath("libreoffice") ? "libreoffice" : "";
    if (office.empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const auto converted = run(office + " --headless --convert-to html --outdir '" + folder.string() + "' '" +
                               path.string() + "' 2>&1");
    ASSERT_TRUE(converted.has_value()) << "LibreOffice could not convert the package";
    std::ifstream file(folder / "report.html");
    const std::string raw{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // The HTML export wraps long lines, so runs of white space are folded to one space before matching.
    std::string html;
    for (const char c : raw) {
        const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (!space) html += c;
        else if (!html.empty() && html.back() != ' ') html += ' ';
    }
    for (const char* expected : {"Overview", "First point", "A bullet", "Fruit", "Pear", "<ol", "<table", "<img"}) {
        EXPECT_NE(html.find(expected), std::string::npos) << expected << " in\n" << html;
    }
}

}  // namespace
