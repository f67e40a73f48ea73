#include "SplitPane.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "ViewStyle.h"

// The transparent grab area over the divider: 9 points wide, resize cursor, drags
// measured from where they began in global coordinates.
class SplitPaneHandle : public QWidget {
public:
    explicit SplitPaneHandle(SplitPane* pane) : QWidget(pane), pane_(pane) {
        setCursor(Qt::SplitHCursor);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(tr("Divider between page and output"));
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) pressX_ = e->globalPosition().x();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!pressX_) return;
        const double translation = e->globalPosition().x() - *pressX_;
        if (!moved_ && std::abs(translation) < 1) return;  // a drag starts after 1 point
        moved_ = true;
        pane_->dragMoved(translation);
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        pressX_.reset();
        moved_ = false;
        pane_->dragEnded();
    }
    // Up and Down are the accessibility steps of the divider; Left and Right stay with the
    // window's page turning even while the handle has focus.
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                e->accept();
                return true;
            }
        }
        return QWidget::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Up) return pane_->adjust(true);
        if (e->key() == Qt::Key_Down) return pane_->adjust(false);
        QWidget::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }
    // A focused handle shows an accent bar over the divider.
    void paintEvent(QPaintEvent*) override {
        if (!hasFocus()) return;
        QPainter painter(this);
        painter.fillRect(QRect(width() / 2 - 1, 0, 3, height()), palette().color(QPalette::Highlight));
    }

private:
    SplitPane* pane_;
    std::optional<double> pressX_;
    bool moved_ = false;
};

SplitPane::SplitPane(QWidget* leading, QWidget* trailing, double minWidth, QWidget* parent)
    : QWidget(parent), leading_(leading), trailing_(trailing), handle_(new SplitPaneHandle(this)), minWidth_(minWidth) {
    leading_->setParent(this);
    trailing_->setParent(this);
    handle_->raise();
    setMinimumSize(1, 1);
}

void SplitPane::setFraction(double stored) {
    fraction_ = SplitLayout::storedShare(stored);
    relayout();
}

SplitLayout::Bounds SplitPane::bounds() const { return SplitLayout::bounds(width(), minWidth_); }

double SplitPane::shownFraction() const { return SplitLayout::clamped(bounds(), fraction_); }

QWidget* SplitPane::handle() const { return handle_; }

void SplitPane::adjust(bool increment) { write(SplitLayout::adjusted(bounds(), shownFraction(), increment)); }

void SplitPane::dragMoved(double translation) {
    if (!dragStart_) dragStart_ = shownFraction();
    write(SplitLayout::dragged(bounds(), *dragStart_, translation));
}

void SplitPane::dragEnded() { dragStart_.reset(); }

void SplitPane::write(double fraction) {
    fraction_ = fraction;
    relayout();
    emit fractionChanged(fraction);
}

void SplitPane::resizeEvent(QResizeEvent*) { relayout(); }

void SplitPane::relayout() {
    const SplitLayout::Bounds b = bounds();
    const double shown = SplitLayout::clamped(b, fraction_);
    const SplitLayout::Widths w = SplitLayout::widths(b, shown);
    const int leadingWidth = static_cast<int>(std::lround(w.leading));
    const int dividerX = leadingWidth;
    leading_->setGeometry(0, 0, leadingWidth, height());
    trailing_->setGeometry(dividerX + 1, 0, std::max(0, width() - dividerX - 1), height());
    const int half = static_cast<int>(SplitLayout::handleWidth) / 2;
    handle_->setGeometry(dividerX - half, 0, static_cast<int>(SplitLayout::handleWidth), height());
    handle_->setAccessibleDescription(QLocale().toString(shown * 100, 'f', 0) + QLocale().percent());
    update();
}

void SplitPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int x = leading_->geometry().right() + 1;
    p.fillRect(QRect(x, 0, 1, height()), ViewStyle::separator());
}
