// The MuPDF context of the calling thread and the guard that turns MuPDF's
// setjmp-based errors into C++ exceptions. For platform-layer code only: this is
// the one header that brings MuPDF's own headers in; the rest of the engine uses
// platform/PDFDocument.h.
//
// Rules for every MuPDF call:
// - Use the context of the thread that opened the document (PDFDocument::context()).
//   Contexts are never shared or cloned, documents never cross threads.
// - Call MuPDF only inside mupdf::guarded. Its body is C-style code: no local object
//   with a destructor and no C++ exception may live in it, because a MuPDF error
//   jumps straight out of the body. Whatever it returns must be trivially copyable.
#pragma once

#include <memory>
#include <thread>
#include <type_traits>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace ce::mupdf {

// One thread's MuPDF context. Documents keep a reference so that the context outlives
// them even when they are released after their thread has ended.
struct ThreadContext {
    fz_context* ctx = nullptr;
    std::thread::id owner;
    // The first error or warning MuPDF reported since clearMessage() (empty when none),
    // such as why a damaged file had to be repaired; errors MuPDF recovers from are
    // reported too. A fixed buffer: it is filled from inside MuPDF.
    char firstMessage[256] = {};
    void clearMessage() { firstMessage[0] = '\0'; }
    ThreadContext();
    ~ThreadContext();
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;
};

// The calling thread's context, made on first use (warnings and error messages are
// not printed: they come back as exceptions). Throws PDFError when MuPDF cannot start.
std::shared_ptr<ThreadContext> threadContext();

// Throws PDFError with the message of the error MuPDF has just caught on ctx.
[[noreturn]] void throwCaught(fz_context* ctx);

namespace detail {
// The fz_try frame lives alone in this function so that no variable of the caller
// is live across the jump. Returns false when MuPDF raised an error.
template <typename Body, typename Result>
[[gnu::noinline]] bool tryBody(fz_context* ctx, Body& body, Result* out) {
    fz_try(ctx) {
        if constexpr (std::is_void_v<Result>)
            body(ctx);
        else
            *out = body(ctx);
    }
    fz_catch(ctx) { return false; }
    return true;
}
}  // namespace detail

// Runs body(ctx) under fz_try; a MuPDF error becomes a PDFError.
template <typename Body>
auto guarded(fz_context* ctx, Body body) -> decltype(body(ctx)) {
    using Result = decltype(body(ctx));
    if constexpr (std::is_void_v<Result>) {
        if (!detail::tryBody(ctx, body, static_cast<void*>(nullptr))) throwCaught(ctx);
    } else {
        static_assert(std::is_trivially_copyable_v<Result>, "MuPDF results must be plain values or pointers");
        Result result{};
        if (!detail::tryBody(ctx, body, &result)) throwCaught(ctx);
        return result;
    }
}

}  // namespace ce::mupdf
