#include "platform/MuPDF.h"

#include <cstring>
#include <string>

#include "platform/PDFDocument.h"

namespace ce::mupdf {

namespace {
void keepFirstMessage(void* user, const char* message) {
    auto* context = static_cast<ThreadContext*>(user);
    if (context->firstMessage[0] != '\0' || !message) return;
    std::strncpy(context->firstMessage, message, sizeof context->firstMessage - 1);
}
}  // namespace

ThreadContext::ThreadContext() : ctx(fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT)), owner(std::this_thread::get_id()) {
    if (!ctx) throw PDFError("cannot start the PDF library");
    fz_set_warning_callback(ctx, keepFirstMessage, this);
    fz_set_error_callback(ctx, keepFirstMessage, this);
}

ThreadContext::~ThreadContext() { fz_drop_context(ctx); }

std::shared_ptr<ThreadContext> threadContext() {
    thread_local std::shared_ptr<ThreadContext> context;
    if (!context) context = std::make_shared<ThreadContext>();
    return context;
}

void throwCaught(fz_context* ctx) {
    const char* message = fz_caught_message(ctx);
    throw PDFError(message && *message ? std::string(message) : std::string("PDF library error"));
}

}  // namespace ce::mupdf
