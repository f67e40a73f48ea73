// Small files the tests write themselves: PDFs with chosen boxes, rotations and
// content, and scratch paths that are removed with the fixture.
#pragma once

#include <algorithm>
#include <cstdint>
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
    std::string resources;  // the page's resource dictionary, none when empty
};

// Page resources with Helvetica as /F1, its codes A to D drawing the Hebrew letters of
// "שלום" (peace) from the first to the last: "(DCBA) Tj" draws the word as it is shown.
inline const std::string hebrewFont =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
    "/Encoding << /Type /Encoding /Differences [65 /afii57689 /afii57676 /afii57669 /afii57677] >> >> >> >>";

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
        if (!page.resources.empty()) dict += " /Resources " + page.resources;
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

// A file made by makePDF with the first `from` replaced by `to`, its cross-reference
// table written again for the objects that moved.
inline std::string editPDF(const std::string& pdf, const std::string& from, const std::string& to) {
    const std::size_t xref = pdf.find("\nxref\n") + 1;
    std::string body = pdf.substr(0, xref);
    body.replace(body.find(from), from.size(), to);
    std::vector<std::size_t> offsets;
    for (std::size_t at; (at = body.find("\n" + std::to_string(offsets.size() + 1) + " 0 obj\n")) != std::string::npos;)
        offsets.push_back(at + 1);
    std::string out = body + "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        const std::string number = std::to_string(offset);
        out += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    const std::size_t trailer = pdf.find("trailer\n", xref);
    const std::size_t startxref = pdf.find("startxref\n", trailer);
    return out + pdf.substr(trailer, startxref - trailer) + "startxref\n" + std::to_string(body.size()) + "\n%%EOF\n";
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

namespace ce::testing {

inline std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

inline std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndian32(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian32(crc32(type + data));
}

// The pHYs chunk body for the given pixels per metre, in metres.
inline std::string physChunk(std::uint32_t x, std::uint32_t y) { return pngChunk("pHYs", bigEndian32(x) + bigEndian32(y) + '\1'); }

// An eXIf chunk holding only an orientation tag (little-endian TIFF layout).
inline std::string exifOrientationChunk(int orientation) {
    const std::string exif = std::string("II*\0\x08\0\0\0", 8) + std::string("\x01\0", 2) +
                             std::string("\x12\x01\x03\0\x01\0\0\0", 8) + static_cast<char>(orientation) +
                             std::string("\0\0\0", 3) + std::string("\0\0\0\0", 4);
    return pngChunk("eXIf", exif);
}

// An 8-bit PNG of `channels` (1 grey, 2 grey + alpha, 3 RGB, 4 RGBA) with stored (not
// compressed) image data, declaring declaredWidth x declaredHeight when those are given;
// `extra` chunks go between the header and the data.
inline std::string makePNG(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
                           const std::string& extra = "", std::uint32_t declaredWidth = 0,
                           std::uint32_t declaredHeight = 0) {
    static constexpr char colourTypes[] = {0, 0, 4, 2, 6};
    std::string raw;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(pixels.data()) + y * rowBytes, rowBytes);
    }
    std::string deflate = "\x78\x01";
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        deflate += static_cast<char>(at + length >= raw.size() ? 1 : 0);
        deflate += static_cast<char>(length & 0xff);
        deflate += static_cast<char>(length >> 8);
        deflate += static_cast<char>(~length & 0xff);
        deflate += static_cast<char>((~length >> 8) & 0xff);
        deflate += raw.substr(at, length);
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    deflate += bigEndian32((b << 16) | a);
    const std::string header = bigEndian32(declaredWidth ? declaredWidth : static_cast<std::uint32_t>(width)) +
                               bigEndian32(declaredHeight ? declaredHeight : static_cast<std::uint32_t>(height)) +
                               '\x08' + colourTypes[channels] + std::string("\0\0\0", 3);
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + extra + pngChunk("IDAT", deflate) +
           pngChunk("IEND", "");
}

inline std::string littleEndian32(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// A 24-bit BMP of RGB pixels with the given pixels per metre, its rows stored
// bottom-up (the usual way) or top-down (a negative height in the header).
inline std::string makeBMP(int width, int height, const std::vector<std::uint8_t>& rgb, std::uint32_t perMetre,
                           bool topDown = false) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::string rows;
    for (int k = 0; k < height; ++k) {
        const int y = topDown ? k : height - 1 - k;
        std::string line;
        for (int x = 0; x < width; ++x)
            for (int k : {2, 1, 0}) line += static_cast<char>(rgb[(static_cast<std::size_t>(y) * width + x) * 3 + k]);
        line.resize(rowBytes, '\0');
        rows += line;
    }
    const std::string info = littleEndian32(40) + littleEndian32(static_cast<std::uint32_t>(width)) +
                             littleEndian32(static_cast<std::uint32_t>(topDown ? -height : height)) +
                             std::string("\1\0\x18\0", 4) +
                             littleEndian32(0) + littleEndian32(static_cast<std::uint32_t>(rows.size())) +
                             littleEndian32(perMetre) + littleEndian32(perMetre) + littleEndian32(0) + littleEndian32(0);
    return "BM" + littleEndian32(static_cast<std::uint32_t>(14 + info.size() + rows.size())) + littleEndian32(0) +
           littleEndian32(54) + info + rows;
}

}  // namespace ce::testing
