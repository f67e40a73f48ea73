// The frame drawn around the window's content while a drag with files is over it: a
// rounded outline in the accent colour, 4 points inside the content's edges. It lets
// every mouse event through and takes no part in the drop.
#pragma once

#include <QWidget>

namespace windows {

class DropHighlight : public QWidget {
    Q_OBJECT
public:
    explicit DropHighlight(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace windows
