#include "core/Graphemes.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include "core/Utf8.h"

namespace ce {

namespace {

// A character break iterator of this thread; null when ICU has no break data.
icu::BreakIterator* threadIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    return iterator.get();
}

// Calls `visit(start, end)` with the byte range of each character.
template <typename Visit>
void forEachCluster(std::string_view text, Visit visit) {
    if (text.empty()) return;
    icu::BreakIterator* it = threadIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText* ut = it ? utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status)
                   : nullptr;
    if (!ut || U_FAILURE(status)) {
        // Without break data every scalar stands alone rather than failing the caller.
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t start = i;
            nextScalar(text, i);
            visit(start, i);
        }
        if (ut) utext_close(ut);
        return;
    }
    it->setText(ut, status);
    int32_t start = it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next()) {
        visit(static_cast<std::size_t>(start), static_cast<std::size_t>(end));
    }
    // Detach the iterator from the text before it is closed.
    icu::UnicodeString none;
    it->setText(none);
    utext_close(ut);
}

}  // namespace

std::vector<std::string_view> graphemeClusters(std::string_view text) {
    std::vector<std::string_view> clusters;
    forEachCluster(text, [&](std::size_t start, std::size_t end) {
        clusters.push_back(text.substr(start, end - start));
    });
    return clusters;
}

std::size_t graphemeCount(std::string_view text) {
    std::size_t count = 0;
    forEachCluster(text, [&](std::size_t, std::size_t) { ++count; });
    return count;
}

}  // namespace ce
