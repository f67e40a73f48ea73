#include "core/MergeContinuation.h"

#include <string>

#include <unicode/uchar.h>

#include "core/Utf8.h"
#include "core/Whitespace.h"

namespace ce {

namespace {

constexpr UChar32 softHyphen = 0x00AD;

UChar32 lastScalar(std::string_view text) {
    std::size_t end = text.size();
    return end == 0 ? U_SENTINEL : previousScalar(text, end);
}

void dropLastScalar(std::string& text) {
    if (text.empty()) return;
    std::size_t end = text.size();
    previousScalar(text, end);
    text.resize(end);
}

}  // namespace

void PageAssembler::appendContinuation(DocElement& element, std::string_view continuationText,
                                       int continuationClusterID) {
    const std::string continuation = trimmingLeadingWhitespace(continuationText);
    const UChar32 last = lastScalar(element.text);
    bool joinDirectly = last == softHyphen;
    if (last == '-' && !continuation.empty()) {
        std::size_t start = 0;
        joinDirectly = u_hasBinaryProperty(nextScalar(continuation, start), UCHAR_LOWERCASE);
    }
    if (joinDirectly) {
        dropLastScalar(element.text);
        dropLastScalar(element.orig);
        element.text += continuation;
        element.orig += continuation;
    } else {
        element.text += ' ' + continuation;
        element.orig += ' ' + continuation;
    }
    element.mergedClusterIDs.push_back(continuationClusterID);
}

}  // namespace ce
