// Conversion runs: which documents a run takes, and the read-outs of a run for the views.
#include "session/ConversionSession.h"

#include <algorithm>

namespace session {

namespace {
using Kind = DocumentItem::State::Kind;

bool hasFailedPage(const ce::ConversionResult& result) {
    return std::any_of(result.pages.begin(), result.pages.end(), [](const auto& page) { return page.failure.has_value(); });
}

bool usedRecognition(const ce::ConversionResult& result) {
    return std::any_of(result.pages.begin(), result.pages.end(), [](const auto& page) { return page.usedOCR; });
}
}  // namespace

bool ConversionSession::needsConversion(const DocumentItem& item, Language language) const {
    const auto& state = item.state();
    if (state.is(Kind::converting) || state.is(Kind::queued)) return false;
    if (state.is(Kind::converted) && item.result()) {
        const ce::ConversionResult& result = *item.result();
        if (!item.failedPagesRetried() && hasFailedPage(result)) return true;
        // Another scan language matters only where text was recognised.
        if (item.convertedLanguage() != language) return usedRecognition(result);
        return false;
    }
    return item.pageCount().has_value();
}

bool ConversionSession::canConvert(Language language) const {
    if (isConverting_) return false;
    return std::any_of(items_.begin(), items_.end(), [&](const auto& item) { return needsConversion(*item, language); });
}

ConversionSession::RunProgress ConversionSession::runProgress() const {
    RunProgress progress;
    for (const auto& item : runItems_) {
        const int pages = item->runPages().value_or(0);
        const auto& state = item->state();
        if (state.is(Kind::converting)) {
            progress.completed += state.completed;
            progress.total += state.total;
        } else if (state.is(Kind::queued)) {
            progress.total += pages;
        } else {
            progress.completed += pages;
            progress.total += pages;
        }
    }
    return progress;
}

std::vector<DocumentItemPtr> ConversionSession::convertedItems() const {
    std::vector<DocumentItemPtr> converted;
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(converted),
                 [](const auto& item) { return item->state().is(Kind::converted) && item->result(); });
    return converted;
}

}  // namespace session
