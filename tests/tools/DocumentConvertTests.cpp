// The document-convert driver run as a user runs it, on small generated files with
// stand-in models: names of documents that share a base name, paths it cannot read,
// and its exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "input/TestFiles.h"
#include "testsupport/StandInModels.h"

namespace fs = std::filesystem;
using ce::testing::makePDF;
using ce::testing::ScratchFolder;
using ce::testing::TestPage;

namespace {

const std::string helvetica = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

std::string textPDF(const std::string& text) {
    return makePDF({TestPage{.mediaBox = "0 0 400 200",
                             .content = "BT /F1 14 Tf 30 120 Td (" + text + ") Tj ET",
                             .resources = helvetica}});
}

struct DriverRun {
    int status = -1;
    std::string output;
};

// Stand-in models (they detect nothing, so a page's text becomes plain paragraphs),
// written once for the suite.
const fs::path& standInModels() {
    static const ScratchFolder folder;
    static const fs::path models = [] {
        const fs::path path = folder.path() / "models";
        ce::StandInModels::writeLayoutDetector(path, {});
        ce::StandInModels::writeTableEncoder(path, {});
        ce::StandInModels::writeTableDecoderStep(path, {});
        ce::StandInModels::writeTableCellHead(path, {});
        return path;
    }();
    return models;
}

// Runs the driver with `arguments` (already quoted) and returns its exit status and output.
DriverRun convert(const std::string& arguments) {
    const std::string command = std::string(CE_TOOLS_DIR) + "/document-convert --documents 1 --models '" +
                                standInModels().string() + "' " + arguments + " 2>&1";
    DriverRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) run.output += buffer.data();
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(DocumentConvert, DocumentsOfTheSameBaseNameAreNamedApart) {
    const ScratchFolder folder;
    fs::create_directories(folder.path() / "in" / "A");
    fs::create_directories(folder.path() / "in" / "B");
    const auto a = folder.write("in/A/report.pdf", textPDF("Alpha quarterly figures"));
    const auto b = folder.write("in/B/report.pdf", textPDF("Bravo yearly summary"));
    const auto c = folder.write("in/Report.PDF", textPDF("Charlie notes"));
    const fs::path out = folder.path() / "out";

    // Given as files, all three go into one folder: the first keeps its name.
    const DriverRun files = convert("--out " + quoted(out) + " " + quoted(a) + " " + quoted(b) + " " + quoted(c));
    EXPECT_EQ(files.status, 0) << files.output;
    EXPECT_NE(contents(out / "report.md").find("Alpha"), std::string::npos) << files.output;
    EXPECT_NE(contents(out / "report (pdf).md").find("Bravo"), std::string::npos) << files.output;
    EXPECT_NE(contents(out / "Report 2.md").find("Charlie"), std::string::npos) << files.output;

    // Given as a folder, each keeps its sub-folder below the output folder.
    const fs::path tree = folder.path() / "tree";
    const DriverRun walked = convert("--out " + quoted(tree) + " " + quoted(folder.path() / "in" / ""));
    EXPECT_EQ(walked.status, 0) << walked.output;
    EXPECT_NE(contents(tree / "in" / "A" / "report.md").find("Alpha"), std::string::npos) << walked.output;
    EXPECT_NE(contents(tree / "in" / "B" / "report.md").find("Bravo"), std::string::npos) << walked.output;
    EXPECT_NE(contents(tree / "in" / "Report.md").find("Charlie"), std::string::npos) << walked.output;
}

TEST(DocumentConvert, LongFileNamesAreWrittenUnderShortenedNames) {
    const ScratchFolder folder;
    const std::string shared(247, 'L');  // with ".pdf", file names of 251 characters
    fs::create_directories(folder.path() / "in");
    const auto first = folder.write("in/" + shared + ".pdf", textPDF("Alpha quarterly figures"));
    fs::create_directories(folder.path() / "in" / "B");
    const auto second = folder.write("in/B/" + shared + ".pdf", textPDF("Bravo yearly summary"));
    for (const std::string format : {"markdown", "docx"}) {
        const fs::path out = folder.path() / format;
        const DriverRun run =
            convert("--format " + format + " --out " + quoted(out) + " " + quoted(first) + " " + quoted(second));
        EXPECT_EQ(run.status, 0) << run.output;
        const std::string extension = format == "markdown" ? ".md" : ".docx";
        EXPECT_TRUE(fs::is_regular_file(out / (std::string(234, 'L') + extension))) << run.output;
        EXPECT_TRUE(fs::is_regular_file(out / (std::string(228, 'L') + " (pdf)" + extension))) << run.output;
    }
    EXPECT_NE(contents(folder.path() / "markdown" / (std::string(234, 'L') + ".md")).find("Alpha"), std::string::npos);
}

TEST(DocumentConvert, PathsItCannotReadAreReportedNotFatal) {
    const ScratchFolder folder;
    fs::create_symlink("loop", folder.path() / "loop");
    fs::create_directories(folder.path() / "locked" / "inner");
    folder.write("locked/inner/page.pdf", textPDF("Hidden away"));
    ::chmod((folder.path() / "locked").c_str(), 0);
    const auto good = folder.write("good.pdf", textPDF("Readable words here"));
    const fs::path out = folder.path() / "out";

    const DriverRun run = convert("--out " + quoted(out) + " " + quoted(folder.path() / "loop") + " " +
                            quoted(folder.path() / "locked" / "inner") + " " + quoted(good));
    ::chmod((folder.path() / "locked").c_str(), 0700);
    // Root reads every folder: then only the loop is unreadable.
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("FAILED " + (folder.path() / "loop").string()), std::string::npos) << run.output;
    EXPECT_NE(contents(out / "good.md").find("Readable"), std::string::npos) << run.output;
}

TEST(DocumentConvert, ExitsNonZeroWhenNothingConverted) {
    const ScratchFolder folder;
    const std::string good = textPDF("Some words");
    const auto damaged = folder.write("damaged.pdf", good.substr(0, good.size() / 2));
    const auto empty = folder.write("empty.pdf", makePDF({TestPage{}}));
    const fs::path out = folder.path() / "out";
    struct Case {
        const char* name;
        fs::path file;
        const char* says;
    };
    for (const Case& c : {Case{"damaged", damaged, "FAILED"}, Case{"no text", empty, "no text or pictures found"}}) {
        SCOPED_TRACE(c.name);
        const DriverRun run = convert("--out " + quoted(out) + " " + quoted(c.file));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
}

TEST(DocumentConvert, SummaryCountsAnEmptyDocumentAsConverted) {
    const ScratchFolder folder;
    const std::string good = textPDF("Some words");
    const auto text = folder.write("text.pdf", good);
    const auto empty = folder.write("empty.pdf", makePDF({TestPage{}}));
    const auto damaged = folder.write("damaged.pdf", good.substr(0, good.size() / 2));

    const DriverRun run = convert("--out " + quoted(folder.path() / "out") + " " + quoted(text) + " " + quoted(empty) +
                                  " " + quoted(damaged));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("3 documents, 2 converted (1 with no text or pictures), 1 failed;"), std::string::npos)
        << run.output;
}
