// One recognised table drawn as a grid of bordered cells that may span rows and
// columns, sized by SpanGridLayout from the measured text of each cell (at most 240
// points a column). Header cells (column header or row section) are semibold on a
// light background. The grid always takes the size its content needs; put it in a
// horizontally scrolling area. Cell texts are drawn as plain text.
#pragma once

#include <QWidget>

#include "EngineTypes.h"
#include "SpanGridLayout.h"

class TableGridView : public QWidget {
    Q_OBJECT
public:
    static constexpr double maxColumnWidth = 240;
    static constexpr int horizontalInset = 6;
    static constexpr int verticalInset = 4;

    explicit TableGridView(const ce::TableStructure& table, QWidget* parent = nullptr);

    const SpanGridLayout::Tracks& tracks() const { return tracks_; }
    // Where each cell of the overlap-free table stands, in cell order.
    const std::vector<SpanGridLayout::Rect>& cellRects() const { return rects_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Cell {
        QString text;
        bool header = false;
    };
    ce::TableStructure table_;  // the overlap-free copy
    std::vector<Cell> cells_;
    std::vector<SpanGridLayout::Position> positions_;
    SpanGridLayout::Options options_;
    SpanGridLayout::Tracks tracks_;
    std::vector<SpanGridLayout::Rect> rects_;
};
