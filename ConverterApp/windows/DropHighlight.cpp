#include "DropHighlight.h"

#include <QEvent>
#include <QPainter>

#include "ViewStyle.h"

namespace windows {

DropHighlight::DropHighlight(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
    hide();
}

bool DropHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void DropHighlight::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double lineWidth = 3;
    const QRectF frame = QRectF(rect()).adjusted(4 + lineWidth / 2, 4 + lineWidth / 2, -4 - lineWidth / 2,
                                                 -4 - lineWidth / 2);
    p.setPen(QPen(ViewStyle::color(ViewStyle::SystemColor::blue), lineWidth, Qt::SolidLine, Qt::FlatCap,
                  Qt::MiterJoin));
    p.drawRoundedRect(frame, 10, 10);
}

}  // namespace windows
