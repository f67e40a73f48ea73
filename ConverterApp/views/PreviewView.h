// The preview of one document, page by page: the source page with its regions beside
// the converted output of the same page (rendered, or the exact text export writes),
// under a toolbar with page navigation, the region switch, the region legend and the
// choice of output view. Without a converted page the output side shows the item's
// conversion status, with a Convert button that starts a run through the session.
//
// The pane is made for one item and lives as long as that item is shown; the main
// window makes a new one for another item. It owns the hovered and selected region
// ids (RegionLink) that link the source page and the rendered output; turning the
// page clears both. The left and right arrow keys turn pages while its window has
// focus. It follows the item's, the session's and the settings' change signals.
#pragma once

#include <QWidget>

#include "EngineTypes.h"
#include "PreviewRules.h"
#include "session/DocumentItem.h"

namespace session {
class ConversionSession;
class Settings;
}  // namespace session

class EmptyStateView;
class LegendSlot;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QStackedWidget;
class QToolButton;
class RawOutputView;
class RegionLink;
class RenderedOutputView;
class SourcePageView;
class SplitPane;

class PreviewView : public QWidget {
    Q_OBJECT
public:
    static constexpr double minPaneWidth = 280;

    // `session` and `settings` must outlive the pane.
    PreviewView(session::DocumentItemPtr item, ce::OutputFormat format, session::ConversionSession* session,
                session::Settings* settings, QWidget* parent = nullptr);

    const session::DocumentItemPtr& item() const { return item_; }
    ce::OutputFormat format() const { return format_; }
    void setFormat(ce::OutputFormat format);

    // --- Page navigation (also for the menu commands) ---
    PreviewRules::PageNavigation navigation() const;
    int pageIndex() const { return pageIndex_; }
    // Turns to `index` when it is a page of the document; clears hover and selection.
    void setPageIndex(int index);
    void previousPage();
    void nextPage();

    // Raw text instead of the rendered output (not offered for DOCX).
    bool showsText() const { return showText_; }
    void setShowText(bool showText);
    // Switches between the rendered output and its exported text, where the page offers both.
    void switchOutputView();

    // --- What is shown, for the window and for tests ---
    PreviewRules::Pane pane() const { return pane_; }
    const ce::ConvertedPage* currentPage() const;
    RegionLink* regionLink() const { return link_; }
    SourcePageView* sourcePage() const { return source_; }
    RenderedOutputView* renderedOutput() const { return rendered_; }
    RawOutputView* rawOutput() const { return raw_; }
    EmptyStateView* statusView() const { return status_; }
    SplitPane* splitPane() const { return split_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }
    QLabel* pageLabel() const { return pageLabel_; }
    QCheckBox* regionsToggle() const { return regions_; }
    // The rendered/raw choice: two buttons, hidden when not offered.
    QToolButton* renderedOption() const { return renderedOption_; }
    QToolButton* rawOption() const { return rawOption_; }
    // The legend, or null while it is not shown.
    const class RegionLegend* legend() const;

signals:
    // The page or the page count changed (the menus re-read `navigation`).
    void navigationChanged();

private:
    void refresh();
    void refreshOutput();
    void refreshConvertButtons();
    void startConversion();
    bool canConvert() const;
    std::string baseName() const;

    session::DocumentItemPtr item_;
    ce::OutputFormat format_;
    session::ConversionSession* session_;
    session::Settings* settings_;
    int pageIndex_ = 0;
    bool showText_ = false;
    PreviewRules::Pane pane_ = PreviewRules::Pane::notConverted;
    // What the output side was last built from, so an unchanged page is not rebuilt.
    const ce::ConvertedPage* shownPage_ = nullptr;
    std::optional<ce::OutputFormat> shownFormat_;

    RegionLink* link_;
    QToolButton* previous_;
    QLabel* pageLabel_;
    QToolButton* next_;
    QCheckBox* regions_;
    LegendSlot* legendSlot_;
    QToolButton* renderedOption_;
    QToolButton* rawOption_;
    SourcePageView* source_;
    QStackedWidget* output_;
    RenderedOutputView* rendered_;
    RawOutputView* raw_;
    EmptyStateView* status_;
    SplitPane* split_;
};
