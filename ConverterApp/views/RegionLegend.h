// The legend of a page's region kinds: a colour swatch and the name of each present
// label, in the model's class order, at most `limit` of them; its tooltip names all
// present kinds. `fittingLimit` picks the largest legend that fits a width.
#pragma once

#include <QWidget>
#include <functional>

#include "EngineTypes.h"

class RegionLegend : public QWidget {
    Q_OBJECT
public:
    static constexpr int swatchSide = 10;
    static constexpr int swatchGap = 4;
    static constexpr int entrySpacing = 8;

    explicit RegionLegend(QWidget* parent = nullptr);

    void setPage(const ce::ConvertedPage* page, int limit);
    int limit() const { return limit_; }
    const std::vector<ce::DocLabel>& shown() const { return shown_; }

    // The width of the legend of `page` with `limit` entries, without drawing it.
    int widthFor(const ce::ConvertedPage& page, int limit) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ce::DocLabel> shown_;
    int limit_ = 0;
};

namespace LegendFit {
// The first limit of 6 and 3 whose width (from `widthFor`) fits `available`, else 0.
int fittingLimit(int available, const std::function<int(int limit)>& widthFor);
}  // namespace LegendFit
