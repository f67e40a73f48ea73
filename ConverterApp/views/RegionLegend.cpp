#include "RegionLegend.h"

#include <QPainter>
#include <QPainterPath>

#include "RegionLabels.h"
#include "ViewStyle.h"

namespace {
QFont legendFont() { return ViewStyle::font(ViewStyle::TextStyle::caption); }

int entriesWidth(const std::vector<ce::DocLabel>& kinds) {
    const QFontMetrics metrics(legendFont());
    int width = 0;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) width += RegionLegend::entrySpacing;
        width += RegionLegend::swatchSide + RegionLegend::swatchGap +
                 metrics.horizontalAdvance(RegionLabels::displayName(kinds[i]));
    }
    return width;
}
}  // namespace

RegionLegend::RegionLegend(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void RegionLegend::setPage(const ce::ConvertedPage* page, int limit) {
    limit_ = limit;
    shown_ = page ? RegionLabels::shownKinds(*page, limit) : std::vector<ce::DocLabel>{};
    setToolTip(page ? RegionLabels::legendHelp(*page) : QString());
    updateGeometry();
    update();
}

int RegionLegend::widthFor(const ce::ConvertedPage& page, int limit) const {
    return entriesWidth(RegionLabels::shownKinds(page, limit));
}

QSize RegionLegend::sizeHint() const {
    return {entriesWidth(shown_), std::max(swatchSide, QFontMetrics(legendFont()).height())};
}

void RegionLegend::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(legendFont());
    const QFontMetrics metrics(legendFont());
    int x = 0;
    const int mid = height() / 2;
    for (ce::DocLabel label : shown_) {
        QPainterPath swatch;
        swatch.addRoundedRect(QRectF(x, mid - swatchSide / 2.0, swatchSide, swatchSide), 2, 2);
        p.fillPath(swatch, ViewStyle::withOpacity(RegionLabels::color(label), 0.6));
        x += swatchSide + swatchGap;
        const QString name = RegionLabels::displayName(label);
        p.setPen(ViewStyle::secondaryText());
        p.drawText(QRect(x, 0, metrics.horizontalAdvance(name), height()), Qt::AlignVCenter | Qt::AlignLeft, name);
        x += metrics.horizontalAdvance(name) + entrySpacing;
    }
}

namespace LegendFit {
int fittingLimit(int available, const std::function<int(int)>& widthFor) {
    for (int limit : {6, 3})
        if (widthFor(limit) <= available) return limit;
    return 0;
}
}  // namespace LegendFit
