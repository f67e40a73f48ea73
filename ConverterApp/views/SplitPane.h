// Two panes side by side with a 1-point divider that the user drags to share the
// width. The stored share (`fraction`, the leading pane's part) is clamped for display
// only; a drag or an accessibility step writes a new share and says so through
// `fractionChanged`, which the owner stores. Clamps and drag arithmetic: SplitLayout.
#pragma once

#include <QWidget>
#include <optional>

#include "SplitLayout.h"

class SplitPaneHandle;

class SplitPane : public QWidget {
    Q_OBJECT
public:
    SplitPane(QWidget* leading, QWidget* trailing, double minWidth, QWidget* parent = nullptr);

    double fraction() const { return fraction_; }
    // Sets the stored share (a value that is not finite reads as 0.5) without signalling.
    void setFraction(double stored);
    double shownFraction() const;
    SplitLayout::Bounds bounds() const;
    QWidget* handle() const;

    // One accessibility step of 5 % up or down from the shown share.
    void adjust(bool increment);

signals:
    void fractionChanged(double fraction);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class SplitPaneHandle;
    void dragMoved(double translation);
    void dragEnded();
    void write(double fraction);
    void relayout();

    QWidget* leading_;
    QWidget* trailing_;
    SplitPaneHandle* handle_;
    double minWidth_;
    double fraction_ = SplitLayout::defaultShare;
    std::optional<double> dragStart_;  // the shown share when the drag in progress began
};
