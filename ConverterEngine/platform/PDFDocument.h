// PDF documents and pages over MuPDF, behind a neutral interface: opening, the
// locked check, page count, crop box, rotation and drawing a page into an RGB image
// of a size the caller chooses.
//
// Threads: a document and its pages belong to the thread that opened the document
// (MuPDF's context is per thread). Every call from another thread throws PDFError
// instead of touching MuPDF. Release documents and pages on their own thread.
//
// The raw MuPDF handles (context(), handle(), pdfHandle()) are for other readers in
// platform/ (structured text, for one); they are valid on the owning thread for as
// long as the object lives, and every use of them goes through mupdf::guarded.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "image/RGBImage.h"

struct fz_context;
struct fz_document;
struct fz_page;
struct pdf_document;
struct pdf_page;

namespace ce {

namespace mupdf {
struct ThreadContext;
}

// A failure reported by the PDF library, with its message.
class PDFError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A rectangle in unrotated PDF user space (points, y upwards).
struct PDFRect {
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;
    double width() const { return x1 - x0; }
    double height() const { return y1 - y0; }
    bool operator==(const PDFRect&) const = default;
};

// The /Rotate value as the page is displayed: 0, 90, 180 or 270 degrees clockwise.
// Values are reduced modulo 360 and snapped to the nearest quarter turn (45 -> 90,
// 44 -> 0, -90 -> 270), the way MuPDF draws them.
int normalizedRotation(long long rotate);

class PDFPage;

class PDFDocument : public std::enable_shared_from_this<PDFDocument> {
public:
    // Opens a PDF file (damaged files are repaired where MuPDF can). Throws PDFError
    // when the file cannot be read or is not a PDF.
    static std::shared_ptr<PDFDocument> open(const std::filesystem::path& path);
    ~PDFDocument();
    PDFDocument(const PDFDocument&) = delete;
    PDFDocument& operator=(const PDFDocument&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Why MuPDF had to repair the file when opening it (the first problem it met, such
    // as "cannot find startxref"), or nothing for a sound file.
    const std::optional<std::string>& damage() const { return damage_; }
    // True when the document cannot be read without a non-empty password. Documents
    // protected by an owner password only open with the empty user password.
    bool isLocked() const;
    // The pages the page tree declares, at most as many as it really holds; worked
    // out once. Throws PDFError (also for locked documents).
    int pageCount() const;
    // Page `index` (from 0), or nullptr when the document cannot give it.
    std::shared_ptr<PDFPage> page(int index) const;
    // Page `index` (from 0); throws PDFError naming the page and MuPDF's reason when
    // the index is outside the document or the page cannot be loaded.
    std::shared_ptr<PDFPage> loadPage(int index) const;

    fz_context* context() const;
    fz_document* handle() const;
    pdf_document* pdfHandle() const { return doc_; }
    // Throws PDFError unless called on the thread that opened the document.
    void checkThread() const;

private:
    PDFDocument(std::shared_ptr<mupdf::ThreadContext> context, pdf_document* doc, std::filesystem::path path);
    std::shared_ptr<mupdf::ThreadContext> context_;
    pdf_document* doc_;
    std::filesystem::path path_;
    // Filled by the first pageCount(); like every member, used on the owning thread only.
    mutable std::optional<int> pageCount_;
    std::optional<std::string> damage_;
};

// One loaded page; keeps its document open. Its box and rotation are read once, when
// the page is loaded.
class PDFPage {
public:
    PDFPage(std::shared_ptr<const PDFDocument> document, pdf_page* page, int index);
    ~PDFPage();
    PDFPage(const PDFPage&) = delete;
    PDFPage& operator=(const PDFPage&) = delete;

    int index() const { return index_; }
    // The crop box clipped to the media box, unrotated. MuPDF replaces a box smaller
    // than 1 point on either side by (0, 0, 1, 1).
    PDFRect cropBox() const { return cropBox_; }
    int rotation() const { return rotation_; }

    // Draws the page, rotated as displayed, at `scale` pixels per point into a new
    // pixelWidth x pixelHeight image filled with white first (sizes below 1 count as 1).
    // Throws PDFError when MuPDF fails.
    RGBImage render(double scale, int pixelWidth, int pixelHeight) const;

    const PDFDocument& document() const { return *document_; }
    fz_context* context() const { return document_->context(); }
    fz_page* handle() const;
    pdf_page* pdfHandle() const { return page_; }

private:
    std::shared_ptr<const PDFDocument> document_;
    pdf_page* page_;
    int index_;
    PDFRect cropBox_;
    int rotation_ = 0;
};

}  // namespace ce
