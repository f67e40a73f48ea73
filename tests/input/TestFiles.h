// Small files the tests write themselves: PDFs with chosen boxes, rotations and
// content, and scratch paths that are removed with the fixture.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace ce::testing {

struct TestPage {
    std::string mediaBox = "0 0 200 100";
    std::string cropBox;  // none when empty
    std::string rotate;   // none when empty
    std::string content;  // the page's content stream
};

// A PDF 1.4 file with the given pages and a correct cross-reference table.
inline std::string makePDF(const std::vector<TestPage>& pages) {
    std::vector<std::string> objects;
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const TestPage& page = pages[i];
        std::string dict = "<< /Type /Page /Parent 2 0 R /MediaBox [" + page.mediaBox + "]";
        if (!page.cropBox.empty()) dict += " /CropBox [" + page.cropBox + "]";
        if (!page.rotate.empty()) dict += " /Rotate " + page.rotate;
        dict += " /Contents " + std::to_string(4 + 2 * i) + " 0 R >>";
        objects.push_back(dict);
        objects.push_back("<< /Length " + std::to_string(page.content.size()) + " >>\nstream\n" + page.content +
                          "\nendstream");
    }
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        std::string number = std::to_string(offset);
        pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// A folder of its own under the system's temporary folder, removed on destruction.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ce-input-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The corpus folder: CE_CORPUS_DIR in the environment, else the build's default.
inline std::filesystem::path corpusDir() {
    const char* overridden = std::getenv("CE_CORPUS_DIR");
    return overridden && *overridden ? std::filesystem::path(overridden) : std::filesystem::path(CE_CORPUS_DIR);
}

}  // namespace ce::testing
