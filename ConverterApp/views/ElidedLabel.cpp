#include "ElidedLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>

ElidedLabel::ElidedLabel(int maxLines, QWidget* parent) : QWidget(parent), maxLines_(std::max(1, maxLines)) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    if (maxLines_ > 1) {
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void ElidedLabel::setColor(const QColor& color) {
    QPalette p = palette();
    if (p.color(QPalette::WindowText) == color) return;
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QStringList ElidedLabel::linesFor(int width) const {
    const QFontMetrics metrics(font());
    QString flat = text_;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (maxLines_ == 1 || width <= 0) return {metrics.elidedText(flat, Qt::ElideMiddle, std::max(width, 0))};
    QStringList lines;
    QTextLayout layout(flat, font());
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() == maxLines_ - 1) {
            lines << metrics.elidedText(flat.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        lines << flat.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

QStringList ElidedLabel::shownLines() const { return linesFor(width()); }

QSize ElidedLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_), metrics.height()};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, QFontMetrics(font()).height()}; }

int ElidedLabel::heightForWidth(int width) const {
    return static_cast<int>(linesFor(width).size()) * QFontMetrics(font()).lineSpacing();
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QFontMetrics metrics(font());
    int y = metrics.ascent();
    for (const QString& line : shownLines()) {
        p.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
}
