// The converted content of one page as a vertical list of styled rows, one per body
// element in output order (only the table elements for CSV; furniture never). A row
// is highlighted in its label's colour while the hovered region (else the selected
// one) belongs to its element; pointing at a row hovers its element's region, and a
// new selection scrolls to the first row that holds it. DOCX draws the list as a
// sheet on the under-page backdrop. Element texts are shown as plain text.
#pragma once

#include <QWidget>
#include <vector>

#include "EngineTypes.h"

class EmptyStateView;
class QScrollArea;
class QStackedLayout;
class RegionLink;
class RenderedOutputRow;

class RenderedOutputView : public QWidget {
    Q_OBJECT
public:
    explicit RenderedOutputView(RegionLink* link, QWidget* parent = nullptr);

    void setPage(const ce::ConvertedPage* page, ce::OutputFormat format);

    // The elements shown for a page in a format, in order.
    static std::vector<const ce::DocElement*> shownElements(const ce::ConvertedPage& page, ce::OutputFormat format);

    // The row widgets, in order (empty when the empty state shows).
    std::vector<QWidget*> rows() const;
    // The highlight colour of row `index` (transparent when not highlighted).
    QColor highlightOf(int index) const;
    EmptyStateView* emptyState() const { return empty_; }
    QScrollArea* scrollArea() const { return scroll_; }

private:
    void scrollToSelected();

    RegionLink* link_;
    QStackedLayout* stack_;
    EmptyStateView* empty_;
    QScrollArea* scroll_;
    std::vector<RenderedOutputRow*> rows_;
};
