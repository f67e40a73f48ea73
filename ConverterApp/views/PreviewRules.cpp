#include "PreviewRules.h"

#include <QCoreApplication>
#include <algorithm>

namespace PreviewRules {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("PreviewView", text); }
}  // namespace

int pageCount(std::optional<int> itemPageCount) {
    return itemPageCount && *itemPageCount >= 2 ? *itemPageCount : 1;
}

QString pageLabel(const PageNavigation& navigation) {
    return tr("Page %1 of %2").arg(navigation.page + 1).arg(navigation.count);
}

const ce::ConvertedPage* currentPage(const ce::ConversionResult* result, int pageIndex) {
    if (!result) return nullptr;
    const auto page = std::find_if(result->pages.begin(), result->pages.end(),
                                   [pageIndex](const ce::ConvertedPage& p) { return p.index == pageIndex; });
    return page == result->pages.end() ? nullptr : &*page;
}

Pane pane(const ce::ConvertedPage* current, bool showText, ce::OutputFormat format,
          const session::DocumentItem::State& state) {
    if (current) {
        if (current->failure) return Pane::failedPage;
        return !showText || format == ce::OutputFormat::docx ? Pane::rendered : Pane::raw;
    }
    using Kind = session::DocumentItem::State::Kind;
    switch (state.kind) {
    case Kind::converting: return Pane::converting;
    case Kind::failed: return Pane::failedDocument;
    case Kind::queued: return Pane::queued;
    case Kind::ready:
    case Kind::converted:
    case Kind::cancelled: return Pane::notConverted;
    }
    return Pane::notConverted;
}

bool offersOutputChoice(const ce::ConvertedPage* current, ce::OutputFormat format) {
    return current && format != ce::OutputFormat::docx;
}

QString rawOptionTitle(ce::OutputFormat format) {
    return format == ce::OutputFormat::csv ? tr("CSV") : tr("Markdown");
}

QString convertingCaption(int completed, int total) {
    return tr("Converting page %1 of %2\u2026").arg(std::min(completed + 1, total)).arg(total);
}

int progressTotal(int total) { return total >= 2 ? total : 1; }

}  // namespace PreviewRules
