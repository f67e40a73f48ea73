// The focus indicator of a pane that has no frame of its own (the document list, the
// output views): an accent outline just inside the pane's edges, drawn over its content
// while the pane has the keyboard focus. It follows the pane's size, lets every mouse
// event through and is owned by the pane.
#pragma once

#include <QWidget>

class FocusFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr double lineWidth = 2;

    // Shows the frame on `pane` whenever it has the focus.
    static FocusFrame* install(QWidget* pane);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit FocusFrame(QWidget* pane);
    void follow();
};
