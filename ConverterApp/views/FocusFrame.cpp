#include "FocusFrame.h"

#include <QEvent>
#include <QPainter>

#include "ViewStyle.h"

FocusFrame* FocusFrame::install(QWidget* pane) { return new FocusFrame(pane); }

FocusFrame::FocusFrame(QWidget* pane) : QWidget(pane) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    pane->installEventFilter(this);
    follow();
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::ChildAdded: follow(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusFrame::follow() {
    QWidget* pane = parentWidget();
    setGeometry(pane->rect());
    setVisible(pane->hasFocus());
    // Above the pane's viewport and anything added to it later.
    if (isVisible()) raise();
}

void FocusFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double inset = 1 + lineWidth / 2;
    p.setPen(QPen(ViewStyle::withOpacity(ViewStyle::color(ViewStyle::SystemColor::blue), 0.8), lineWidth));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 4, 4);
}
