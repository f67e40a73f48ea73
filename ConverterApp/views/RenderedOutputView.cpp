#include "RenderedOutputView.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "EmptyStateView.h"
#include "ElementView.h"
#include "RegionLabels.h"
#include "RegionLink.h"
#include "ViewStyle.h"
#include "output/MarkdownExporter.h"

// One element with its highlight: a rounded background in the label's colour at 0.16
// while the active region id belongs to the element.
class RenderedOutputRow : public QWidget {
public:
    RenderedOutputRow(const ce::DocElement& element, const ce::ConvertedPage& page,
                      const std::optional<std::string>& listLabel, RegionLink* link, QWidget* parent)
        : QWidget(parent), link_(link), clusterID_(element.clusterID), label_(element.label),
          ids_(RegionLabels::regionIDs(element)) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(ElementView::make(element, page, listLabel, this));
        setAttribute(Qt::WA_Hover);
    }

    const std::set<int>& regionIDs() const { return ids_; }

    QColor highlight() const {
        const std::optional<int> active = link_->active();
        if (!active || !ids_.count(*active)) return Qt::transparent;
        return ViewStyle::withOpacity(RegionLabels::color(label_), 0.16);
    }

protected:
    void enterEvent(QEnterEvent*) override { link_->enter(clusterID_); }
    void leaveEvent(QEvent*) override { link_->leave(clusterID_); }
    void paintEvent(QPaintEvent*) override {
        const QColor c = highlight();
        if (c.alpha() == 0) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 4, 4);
        p.fillPath(path, c);
    }

private:
    RegionLink* link_;
    int clusterID_;
    ce::DocLabel label_;
    std::set<int> ids_;
};

RenderedOutputView::RenderedOutputView(RegionLink* link, QWidget* parent)
    : QWidget(parent), link_(link), stack_(new QStackedLayout(this)), empty_(new EmptyStateView(this)),
      scroll_(new QScrollArea(this)) {
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    stack_->addWidget(empty_);
    stack_->addWidget(scroll_);
    auto repaint = [this] {
        for (RenderedOutputRow* row : rows_) row->update();
    };
    connect(link_, &RegionLink::hoveredChanged, this, repaint);
    connect(link_, &RegionLink::selectedChanged, this, [this, repaint] {
        repaint();
        scrollToSelected();
    });
}

std::vector<const ce::DocElement*> RenderedOutputView::shownElements(const ce::ConvertedPage& page,
                                                                     ce::OutputFormat format) {
    std::vector<const ce::DocElement*> shown;
    for (const ce::DocElement& e : page.content.body)
        if (format != ce::OutputFormat::csv || e.table) shown.push_back(&e);
    return shown;
}

void RenderedOutputView::setPage(const ce::ConvertedPage* page, ce::OutputFormat format) {
    rows_.clear();
    const std::vector<const ce::DocElement*> shown = page ? shownElements(*page, format) : std::vector<const ce::DocElement*>{};
    if (shown.empty()) {
        const bool csv = format == ce::OutputFormat::csv;
        empty_->showMessage(ViewStyle::standardIcon(csv ? QStyle::SP_FileDialogDetailedView : QStyle::SP_FileIcon),
                            csv ? tr("No tables on this page") : tr("No content on this page"));
        delete scroll_->takeWidget();
        stack_->setCurrentWidget(empty_);
        return;
    }
    std::vector<ce::DocElement> copies;
    for (const ce::DocElement* e : shown) copies.push_back(*e);
    const std::map<int, std::string> labels = ce::MarkdownExporter::listLabels(copies);

    const bool docx = format == ce::OutputFormat::docx;
    auto* backdrop = new QWidget;
    backdrop->setAutoFillBackground(true);
    QPalette bp = backdrop->palette();
    bp.setColor(QPalette::Window, docx ? ViewStyle::underPageBackground() : ViewStyle::textBackground());
    backdrop->setPalette(bp);
    auto* outer = new QVBoxLayout(backdrop);
    const int margin = docx ? 16 : 0;
    outer->setContentsMargins(margin, margin, margin, margin);

    auto* sheet = new QWidget(backdrop);
    sheet->setAutoFillBackground(true);
    QPalette sp = sheet->palette();
    sp.setColor(QPalette::Window, ViewStyle::textBackground());
    sheet->setPalette(sp);
    if (docx) {
        auto* shadow = new QGraphicsDropShadowEffect(sheet);
        shadow->setColor(QColor(0, 0, 0, 38));
        shadow->setBlurRadius(6);
        shadow->setOffset(0, 1);
        sheet->setGraphicsEffect(shadow);
    }
    auto* list = new QVBoxLayout(sheet);
    const int padding = docx ? 36 : 20;
    list->setContentsMargins(padding, padding, padding, padding);
    list->setSpacing(12);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto label = labels.find(static_cast<int>(i));
        auto* row = new RenderedOutputRow(*shown[i], *page,
                                          label == labels.end() ? std::nullopt : std::optional(label->second), link_, sheet);
        rows_.push_back(row);
        list->addWidget(row);
    }
    list->addStretch(1);
    outer->addWidget(sheet);
    scroll_->setWidget(backdrop);
    stack_->setCurrentWidget(scroll_);
}

std::vector<QWidget*> RenderedOutputView::rows() const { return {rows_.begin(), rows_.end()}; }

QColor RenderedOutputView::highlightOf(int index) const { return rows_.at(static_cast<std::size_t>(index))->highlight(); }

void RenderedOutputView::scrollToSelected() {
    const std::optional<int> selected = link_->selected();
    if (!selected) return;
    // The first row that holds the region, even where several rows share a cluster id.
    for (RenderedOutputRow* row : rows_) {
        if (!row->regionIDs().count(*selected)) continue;
        const QPoint top = row->mapTo(scroll_->widget(), QPoint(0, 0));
        scroll_->verticalScrollBar()->setValue(top.y());
        return;
    }
}
