// The preview pane's rules, free of widgets: the page count it navigates, the page
// label, which converted page is current, which pane the output side shows for the
// item's state and the format, and the texts of its status views.
#pragma once

#include <QString>
#include <optional>

#include "EngineTypes.h"
#include "session/DocumentItem.h"

namespace PreviewRules {

// The page count shown and navigated: the item's count when known and at least 2, else 1.
int pageCount(std::optional<int> itemPageCount);

// The preview's page position and the two page-turning operations of the menus.
struct PageNavigation {
    int page = 0;
    int count = 1;

    bool canGoPrevious() const { return page >= 1; }
    bool canGoNext() const { return page < count - 1; }
    // The page after a step back or forward, or the same page when there is none.
    int previous() const { return canGoPrevious() ? page - 1 : page; }
    int next() const { return canGoNext() ? page + 1 : page; }
};

// "Page N of M".
QString pageLabel(const PageNavigation& navigation);

// The result's page whose index is `pageIndex`, or null.
const ce::ConvertedPage* currentPage(const ce::ConversionResult* result, int pageIndex);

enum class Pane {
    failedPage,      // the page has a failure: "This page couldn't be converted"
    rendered,        // the rendered output
    raw,             // the exact exported text
    converting,      // progress of the running conversion
    failedDocument,  // "Couldn't convert this file"
    queued,          // "Waiting…"
    notConverted,    // "Not converted yet" (ready, converted without this page, cancelled)
};

// What the output side shows: the current page's output when the item has a result
// holding it, else the item's conversion status.
Pane pane(const ce::ConvertedPage* current, bool showText, ce::OutputFormat format,
          const session::DocumentItem::State& state);

// Whether the toolbar offers the rendered/raw choice, and the name of its raw option.
bool offersOutputChoice(const ce::ConvertedPage* current, ce::OutputFormat format);
QString rawOptionTitle(ce::OutputFormat format);

// "Converting page N of M…" with N = min(completed + 1, total); the progress total is
// the page total when it is at least 2, else 1.
QString convertingCaption(int completed, int total);
int progressTotal(int total);

}  // namespace PreviewRules
