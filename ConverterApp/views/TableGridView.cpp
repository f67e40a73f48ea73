#include "TableGridView.h"

#include <QPainter>
#include <cmath>

#include "ViewStyle.h"

namespace {

QFont cellFont(bool header) {
    return ViewStyle::font(ViewStyle::TextStyle::callout, header ? QFont::DemiBold : QFont::Normal);
}

constexpr int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

TableGridView::TableGridView(const ce::TableStructure& table, QWidget* parent)
    : QWidget(parent), table_(table.withoutOverlaps()) {
    options_ = {table_.numRows, table_.numCols, maxColumnWidth};
    for (const ce::TableCellItem& c : table_.cells) {
        cells_.push_back({QString::fromStdString(c.text), c.columnHeader || c.rowSection});
        positions_.push_back({c.startRow, c.startCol, std::max(1, c.endRow - c.startRow), std::max(1, c.endCol - c.startCol)});
    }
    // Fractional metrics, as the text is drawn: a width rounded down would make a cell
    // that fits on one line wrap. The one-line width is rounded up to a whole pixel.
    SpanGridLayout::Measure measure;
    measure.idealWidth = [this](int i) {
        const QFontMetricsF m(cellFont(cells_[static_cast<std::size_t>(i)].header));
        double widest = 0;
        for (const QString& line : cells_[static_cast<std::size_t>(i)].text.split(u'\n'))
            widest = std::max(widest, m.horizontalAdvance(line));
        return std::ceil(widest) + 2 * horizontalInset;
    };
    measure.heightAtWidth = [this](int i, double width) {
        const Cell& cell = cells_[static_cast<std::size_t>(i)];
        const QFontMetricsF m(cellFont(cell.header));
        const double textWidth = std::max(1.0, width - 2 * horizontalInset);
        const QRectF bounds = m.boundingRect(QRectF(0, 0, textWidth, 1 << 20), textFlags, cell.text);
        return std::ceil(std::max(bounds.height(), m.height())) + 2 * verticalInset;
    };
    tracks_ = SpanGridLayout::tracks(positions_, measure, options_);
    rects_ = SpanGridLayout::placements(positions_, tracks_, options_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TableGridView::sizeHint() const {
    const SpanGridLayout::Rect size = SpanGridLayout::size(tracks_);
    return {static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height))};
}

void TableGridView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor border = ViewStyle::withOpacity(ViewStyle::secondaryText(), 0.35);
    for (std::size_t i = 0; i < rects_.size(); ++i) {
        const SpanGridLayout::Rect& r = rects_[i];
        const QRectF cell(r.x, r.y, r.width, r.height);
        if (cells_[i].header) p.fillRect(cell, ViewStyle::withOpacity(QColor(0, 0, 0), 0.06));
        p.setPen(QPen(border, 0.5));
        p.drawRect(cell.adjusted(0.25, 0.25, -0.25, -0.25));
        p.setPen(Qt::black);
        p.setFont(cellFont(cells_[i].header));
        p.drawText(cell.adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset), textFlags,
                   cells_[i].text);
    }
    if (!rects_.empty()) {
        p.setPen(QPen(ViewStyle::withOpacity(QColor(0, 0, 0), 0.25), 0.5));
        const QSize s = sizeHint();
        p.drawRect(QRectF(0.25, 0.25, s.width() - 0.5, s.height() - 0.5));
    }
}
