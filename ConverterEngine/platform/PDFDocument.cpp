#include "platform/PDFDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/MuPDF.h"

namespace ce {

int normalizedRotation(long long rotate) {
    long long r = rotate % 360;
    if (r < 0) r += 360;
    r = 90 * ((r + 45) / 90);
    return r >= 360 ? 0 : static_cast<int>(r);
}

PDFDocument::PDFDocument(std::shared_ptr<mupdf::ThreadContext> context, pdf_document* doc, std::filesystem::path path)
    : context_(std::move(context)), doc_(doc), path_(std::move(path)) {}

namespace {

bool isPDFWhitespace(unsigned char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The offset at which the "num gen obj" header whose keyword starts at `at` begins, or
// -1 when the keyword is not preceded by two whole numbers.
std::ptrdiff_t objectHeaderStart(const unsigned char* data, std::ptrdiff_t at) {
    std::ptrdiff_t i = at;
    for (int number = 0; number < 2; ++number) {
        const std::ptrdiff_t end = i;
        while (i > 0 && isPDFWhitespace(data[i - 1])) --i;
        if (i == end) return -1;
        const std::ptrdiff_t digitsEnd = i;
        while (i > 0 && isDigit(data[i - 1])) --i;
        if (i == digitsEnd) return -1;
    }
    return i;
}

// Whether MuPDF parses the object whose header starts at `data`. Never raises: every
// MuPDF error is caught here.
[[gnu::noinline]] bool parsesAsObject(fz_context* ctx, pdf_document* scratch, unsigned char* data, size_t length) {
    fz_stream* object = nullptr;
    pdf_obj* parsed = nullptr;
    int broken = 0;
    fz_var(object);
    fz_var(parsed);
    fz_var(broken);
    fz_try(ctx) {
        object = fz_open_memory(ctx, data, length);
        int num = 0, gen = 0, tryRepair = 0;
        int64_t streamOffset = 0;
        parsed = pdf_parse_ind_obj(ctx, scratch, object, &num, &gen, &streamOffset, &tryRepair);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, parsed);
        fz_drop_stream(ctx, object);
    }
    fz_catch(ctx) { broken = 1; }
    return broken == 0;
}

// Blanks the "num gen obj" header of every object in `data` that MuPDF cannot parse.
void blankUnparsableObjects(fz_context* ctx, pdf_document* scratch, unsigned char* data, std::ptrdiff_t length) {
    for (std::ptrdiff_t at = 1; at + 3 <= length; ++at) {
        if (data[at] != 'o' || data[at + 1] != 'b' || data[at + 2] != 'j') continue;
        if (at + 3 < length && !isPDFWhitespace(data[at + 3]) && data[at + 3] != '<' && data[at + 3] != '[' &&
            data[at + 3] != '/' && data[at + 3] != '(')
            continue;
        const std::ptrdiff_t start = objectHeaderStart(data, at);
        if (start < 0) continue;
        if (!parsesAsObject(ctx, scratch, data + start, static_cast<size_t>(length - start)))
            std::memset(data + start, ' ', static_cast<size_t>(at + 3 - start));
    }
}

// Opens a copy of the file in memory in which the header of every object that MuPDF
// cannot parse is blanked out. MuPDF's repair gives up on the whole file at the first
// such object it meets before the catalog (a flipped byte in an info dictionary is
// enough, when the cross-reference table is damaged too); without its header the
// object is simply missing, and references to it read as null. C-style, for
// mupdf::guarded.
pdf_document* openWithUnparsableObjectsBlanked(fz_context* ctx, const char* file) {
    fz_buffer* buffer = nullptr;
    pdf_document* scratch = nullptr;
    fz_stream* stream = nullptr;
    pdf_document* doc = nullptr;
    fz_var(buffer);
    fz_var(scratch);
    fz_var(stream);
    fz_var(doc);
    fz_try(ctx) {
        buffer = fz_read_file(ctx, file);
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(ctx, buffer, &data);
        scratch = pdf_create_document(ctx);
        blankUnparsableObjects(ctx, scratch, data, static_cast<std::ptrdiff_t>(length));
        stream = fz_open_buffer(ctx, buffer);
        doc = pdf_open_document_with_stream(ctx, stream);
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stream);
        pdf_drop_document(ctx, scratch);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
    return doc;
}

}  // namespace

namespace {

// Whether the file has a PDF header in its first kilobyte and an end-of-file marker in
// its last: a damaged file, not one cut short, whose missing part no repair brings back.
bool isWholePDF(const char* file) {
    std::FILE* f = std::fopen(file, "rb");
    if (!f) return false;
    char head[1024] = {};
    char tail[1024] = {};
    const std::size_t headRead = std::fread(head, 1, sizeof head, f);
    std::size_t tailRead = 0;
    if (std::fseek(f, -static_cast<long>(sizeof tail), SEEK_END) != 0) std::fseek(f, 0, SEEK_SET);
    tailRead = std::fread(tail, 1, sizeof tail, f);
    std::fclose(f);
    return std::string_view(head, headRead).find("%PDF-") != std::string_view::npos &&
           std::string_view(tail, tailRead).find("%%EOF") != std::string_view::npos;
}

}  // namespace

std::shared_ptr<PDFDocument> PDFDocument::open(const std::filesystem::path& path) {
    auto context = mupdf::threadContext();
    fz_context* ctx = context->ctx;
    const std::string name = path.string();
    const char* file = name.c_str();
    context->clearMessage();
    pdf_document* doc = nullptr;
    std::optional<PDFError> failure;
    try {
        doc = mupdf::guarded(ctx, [file](fz_context* c) { return pdf_open_document(c, file); });
    } catch (const PDFError& error) {
        failure = error;
    }
    const bool repaired = doc && pdf_was_repaired(ctx, doc);
    const std::string problem = context->firstMessage;
    // MuPDF's repair stops at the first object it cannot parse, failing the file or
    // losing every object after it: a damaged file is read again with such objects
    // left out, which loses nothing that could be read.
    // The second reading stands only where it gives a page; otherwise the first reading
    // stands, or its failure.
    if ((failure || repaired) && isWholePDF(file)) {
        pdf_document* forgiving = nullptr;
        try {
            forgiving = mupdf::guarded(ctx, [file](fz_context* c) { return openWithUnparsableObjectsBlanked(c, file); });
        } catch (const PDFError&) {
            forgiving = nullptr;
        }
        if (forgiving) {
            auto candidate = std::shared_ptr<PDFDocument>(new PDFDocument(context, forgiving, path));
            bool givesAPage = false;
            try {
                givesAPage = !candidate->isLocked() && candidate->pageCount() > 0 && candidate->page(0) != nullptr;
            } catch (const PDFError&) {
                givesAPage = false;
            }
            if (givesAPage) {
                if (doc) pdf_drop_document(ctx, doc);
                candidate->damage_ = problem.empty() ? "damaged" : problem;
                return candidate;
            }
        }
    }
    if (!doc) throw failure ? *failure : PDFError("cannot open " + name);
    auto document = std::shared_ptr<PDFDocument>(new PDFDocument(std::move(context), doc, path));
    if (repaired) document->damage_ = problem.empty() ? "damaged" : problem;
    return document;
}

PDFDocument::~PDFDocument() { pdf_drop_document(context_->ctx, doc_); }

fz_context* PDFDocument::context() const { return context_->ctx; }

fz_document* PDFDocument::handle() const { return &doc_->super; }

void PDFDocument::checkThread() const {
    if (std::this_thread::get_id() != context_->owner)
        throw PDFError("PDF document used on a thread other than the one that opened it: " + path_.string());
}

bool PDFDocument::isLocked() const {
    checkThread();
    pdf_document* doc = doc_;
    return mupdf::guarded(context(), [doc](fz_context* ctx) { return pdf_needs_password(ctx, doc); }) != 0;
}

namespace {

// A page-tree node loaded by object number; the reference is dropped with it.
struct LoadedObject {
    fz_context* ctx;
    pdf_obj* obj;
    ~LoadedObject() { pdf_drop_obj(ctx, obj); }
};

// The pages the tree below Root/Pages really holds, as object numbers in document
// order: its leaves, and a 0 for every Kids entry that cannot be followed or loaded (a
// damaged page stands for one page, which fails on its own when it is loaded). The
// tree's /Count values are only claims (a damaged or hostile file may claim a billion
// pages in a few hundred bytes, or none at all) and are not read. Nodes are visited
// once each (a tree that refers back to itself is not followed round) and without
// recursion, so a deep tree cannot exhaust the stack; the list is bounded by the
// entries the file holds. Objects are held by number, never by borrowed pointer,
// because loading an object may repair and rebuild the cross-reference table. A root
// that cannot be read or has no Kids gives an empty list.
std::vector<int> pagesInTree(fz_context* ctx, pdf_document* doc) {
    int root = 0;
    try {
        root = mupdf::guarded(
            ctx, [doc](fz_context* c) { return pdf_to_num(c, pdf_dict_getp(c, pdf_trailer(c, doc), "Root/Pages")); });
    } catch (const PDFError&) {
        return {};
    }
    if (root <= 0) return {};
    std::vector<int> pending{root};
    std::unordered_set<int> visited{root};
    std::vector<int> leaves;
    while (!pending.empty()) {
        const int number = pending.back();
        pending.pop_back();
        if (number < 0) {
            leaves.push_back(0);
            continue;
        }
        pdf_obj* loaded = nullptr;
        try {
            loaded = mupdf::guarded(ctx, [doc, number](fz_context* c) { return pdf_load_object(c, doc, number); });
        } catch (const PDFError&) {
            if (number != root) leaves.push_back(0);
            continue;
        }
        const LoadedObject node{ctx, loaded};
        pdf_obj* obj = node.obj;
        const int kids = mupdf::guarded(ctx, [obj](fz_context* c) {
            pdf_obj* array = pdf_dict_get(c, obj, PDF_NAME(Kids));
            return pdf_is_array(c, array) ? pdf_array_len(c, array) : -1;
        });
        if (kids < 0) {
            if (number != root) leaves.push_back(number);
            continue;
        }
        // Kids are pushed in reverse so that they are visited in document order.
        for (int k = kids - 1; k >= 0; --k) {
            const int kid = mupdf::guarded(ctx, [obj, k](fz_context* c) {
                pdf_obj* ref = pdf_array_get(c, pdf_dict_get(c, obj, PDF_NAME(Kids)), k);
                return pdf_is_indirect(c, ref) ? pdf_to_num(c, ref) : 0;
            });
            // An entry that cannot be followed (a direct object, or a node met before)
            // still stands for one page, which fails when it is loaded. Leaves come out
            // in document order because the stack takes them in reverse.
            if (kid > 0 && visited.insert(kid).second)
                pending.push_back(kid);
            else
                pending.push_back(-1);  // a marker, taken off in its turn
        }
    }
    return leaves;
}

// The page objects of a file whose page tree is lost (its catalog or its root node
// damaged beyond repair): every object of the file whose /Type is /Page, in object
// number order, which is the order most writers give their pages. Objects that cannot
// be loaded are passed over.
std::vector<int> pagesAmongObjects(fz_context* ctx, pdf_document* doc) {
    int count = 0;
    try {
        count = mupdf::guarded(ctx, [doc](fz_context* c) { return pdf_xref_len(c, doc); });
    } catch (const PDFError&) {
        return {};
    }
    std::vector<int> pages;
    for (int number = 1; number < count; ++number) {
        pdf_obj* loaded = nullptr;
        try {
            loaded = mupdf::guarded(ctx, [doc, number](fz_context* c) { return pdf_load_object(c, doc, number); });
        } catch (const PDFError&) {
            continue;
        }
        const LoadedObject object{ctx, loaded};
        pdf_obj* obj = object.obj;
        const bool page = mupdf::guarded(ctx, [obj](fz_context* c) {
            return pdf_is_dict(c, obj) && pdf_name_eq(c, pdf_dict_get(c, obj, PDF_NAME(Type)), PDF_NAME(Page));
        });
        if (page) pages.push_back(number);
    }
    return pages;
}

// Replaces the document's page tree, in memory only, by one node whose kids are
// `pages` (a 0 stands for an entry that cannot be followed and becomes null, failing
// on its own when loaded), so that MuPDF's lookup by page number finds each page at
// its index. The pages keep their own /Parent, so what they inherit from the old tree
// still applies. A catalog that cannot be read is replaced too. C-style, for mupdf::guarded.
void installFlatPageTree(fz_context* ctx, pdf_document* doc, const int* pages, int count) {
    pdf_obj* node = nullptr;
    pdf_obj* nodeRef = nullptr;
    pdf_obj* catalog = nullptr;
    pdf_obj* catalogRef = nullptr;
    fz_var(node);
    fz_var(nodeRef);
    fz_var(catalog);
    fz_var(catalogRef);
    fz_try(ctx) {
        node = pdf_new_dict(ctx, doc, 3);
        pdf_dict_put(ctx, node, PDF_NAME(Type), PDF_NAME(Pages));
        pdf_obj* kids = pdf_dict_put_array(ctx, node, PDF_NAME(Kids), count);
        for (int i = 0; i < count; ++i)
            pdf_array_push_drop(ctx, kids, pages[i] > 0 ? pdf_new_indirect(ctx, doc, pages[i], 0) : PDF_NULL);
        pdf_dict_put_int(ctx, node, PDF_NAME(Count), count);
        nodeRef = pdf_add_object(ctx, doc, node);
        pdf_obj* trailer = pdf_trailer(ctx, doc);
        pdf_obj* root = nullptr;
        fz_var(root);
        fz_try(ctx) {
            root = pdf_dict_get(ctx, trailer, PDF_NAME(Root));
            if (!pdf_is_dict(ctx, root)) root = nullptr;
        }
        fz_catch(ctx) { root = nullptr; }
        if (root) {
            pdf_dict_put(ctx, root, PDF_NAME(Pages), nodeRef);
        } else {
            catalog = pdf_new_dict(ctx, doc, 2);
            pdf_dict_put(ctx, catalog, PDF_NAME(Type), PDF_NAME(Catalog));
            pdf_dict_put(ctx, catalog, PDF_NAME(Pages), nodeRef);
            catalogRef = pdf_add_object(ctx, doc, catalog);
            pdf_dict_put(ctx, trailer, PDF_NAME(Root), catalogRef);
        }
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, catalogRef);
        pdf_drop_obj(ctx, catalog);
        pdf_drop_obj(ctx, nodeRef);
        pdf_drop_obj(ctx, node);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

// The number of pages MuPDF's own lookup believes in (from the root's /Count), or -1.
int claimedPageCount(fz_context* ctx, pdf_document* doc) {
    try {
        return mupdf::guarded(ctx, [doc](fz_context* c) { return pdf_count_pages(c, doc); });
    } catch (const PDFError&) {
        return -1;
    }
}

}  // namespace

int PDFDocument::pageCount() const {
    checkThread();
    if (isLocked()) throw PDFError("the document needs a password: " + path_.string());
    if (!pageCount_) {
        fz_context* ctx = context();
        pdf_document* doc = doc_;
        std::vector<int> pages = pagesInTree(ctx, doc);
        const bool treeLost = pages.empty();
        if (treeLost) pages = pagesAmongObjects(ctx, doc);
        // MuPDF finds page n by the tree's /Count values; where they disagree with the
        // pages found (or the tree is lost), the pages are given a tree it can follow.
        const int count = static_cast<int>(pages.size());
        if (count > 0 && (treeLost || claimedPageCount(ctx, doc) != count)) {
            const int* numbers = pages.data();
            try {
                mupdf::guarded(ctx, [doc, numbers, count](fz_context* c) { installFlatPageTree(c, doc, numbers, count); });
            } catch (const PDFError&) {
                // Without a new tree, lookups follow the old one and pages it cannot give fail one by one.
            }
        }
        pageCount_ = count;
    }
    return *pageCount_;
}

std::shared_ptr<PDFPage> PDFDocument::page(int index) const {
    try {
        return loadPage(index);
    } catch (const PDFError&) {
        return nullptr;
    }
}

std::shared_ptr<PDFPage> PDFDocument::loadPage(int index) const {
    checkThread();
    const std::string name = "page " + std::to_string(index + 1);
    if (index < 0 || index >= pageCount()) throw PDFError(name + " is not in the document");
    pdf_document* doc = doc_;
    pdf_page* loaded = nullptr;
    try {
        loaded = mupdf::guarded(context(), [doc, index](fz_context* ctx) { return pdf_load_page(ctx, doc, index); });
    } catch (const PDFError& e) {
        throw PDFError(name + " cannot be loaded: " + e.what());
    }
    if (!loaded) throw PDFError(name + " cannot be loaded");
    return std::make_shared<PDFPage>(shared_from_this(), loaded, index);
}

namespace {

struct PageGeometry {
    fz_rect box;
    int rotate;
};

}  // namespace

PDFPage::PDFPage(std::shared_ptr<const PDFDocument> document, pdf_page* page, int index)
    : document_(std::move(document)), page_(page), index_(index) {
    PageGeometry geometry{};
    try {
        geometry = mupdf::guarded(context(), [page](fz_context* ctx) {
            PageGeometry g{};
            fz_matrix ctm;
            pdf_page_transform(ctx, page, &g.box, &ctm);
            g.rotate = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, page->obj, PDF_NAME(Rotate)));
            return g;
        });
    } catch (...) {
        fz_drop_page(context(), &page_->super);
        throw;
    }
    cropBox_ = {geometry.box.x0, geometry.box.y0, geometry.box.x1, geometry.box.y1};
    rotation_ = normalizedRotation(geometry.rotate);
}

PDFPage::~PDFPage() { fz_drop_page(context(), &page_->super); }

fz_page* PDFPage::handle() const { return &page_->super; }

namespace {

// Draws the page into pixmap `pixmap` (already white); C-style so that it may run under fz_try.
void drawInto(fz_context* ctx, fz_page* page, fz_pixmap* pixmap, float scale) {
    fz_device* device = nullptr;
    fz_var(device);
    fz_try(ctx) {
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        fz_run_page(ctx, page, device, fz_scale(scale, scale), nullptr);
        fz_close_device(ctx, device);
    }
    fz_always(ctx) { fz_drop_device(ctx, device); }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

}  // namespace

RGBImage PDFPage::render(double scale, int pixelWidth, int pixelHeight) const {
    document_->checkThread();
    const int width = std::max(1, pixelWidth);
    const int height = std::max(1, pixelHeight);
    fz_page* page = handle();
    fz_pixmap* pixmap = mupdf::guarded(context(), [width, height](fz_context* ctx) {
        fz_pixmap* pix = fz_new_pixmap(ctx, fz_device_rgb(ctx), width, height, nullptr, 0);
        fz_clear_pixmap_with_value(ctx, pix, 255);
        return pix;
    });
    RGBImage image;
    try {
        mupdf::guarded(context(), [page, pixmap, scale](fz_context* ctx) {
            drawInto(ctx, page, pixmap, static_cast<float>(scale));
        });
        image.width = width;
        image.height = height;
        image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        const unsigned char* samples = fz_pixmap_samples(context(), pixmap);
        const std::ptrdiff_t stride = fz_pixmap_stride(context(), pixmap);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        for (int y = 0; y < height; ++y)
            std::memcpy(image.pixels.data() + static_cast<std::size_t>(y) * rowBytes, samples + y * stride, rowBytes);
    } catch (...) {
        fz_drop_pixmap(context(), pixmap);
        throw;
    }
    fz_drop_pixmap(context(), pixmap);
    return image;
}

}  // namespace ce
