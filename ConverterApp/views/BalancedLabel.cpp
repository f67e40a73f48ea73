#include "BalancedLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>

BalancedLabel::BalancedLabel(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList BalancedLabel::wrappedLines(const QString& text, const QFont& font, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

int BalancedLabel::balancedWidth(const QString& text, const QFont& font, int available) {
    if (available <= 1 || text.isEmpty()) return std::max(available, 0);
    const qsizetype lines = wrappedLines(text, font, available).size();
    // More width never gives more lines, so the narrowest width with the same count is found by halving.
    int low = 1, high = available;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (wrappedLines(text, font, middle).size() <= lines) high = middle;
        else low = middle + 1;
    }
    return high;
}

void BalancedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void BalancedLabel::setColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QStringList BalancedLabel::linesFor(int width) const {
    if (text_.isEmpty()) return {};
    return wrappedLines(text_, font(), balancedWidth(text_, font(), width));
}

QStringList BalancedLabel::shownLines() const { return linesFor(width()); }

QSize BalancedLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& paragraph : text_.split(u'\n')) widest = std::max(widest, metrics.horizontalAdvance(paragraph));
    return {widest, heightForWidth(widest)};
}

QSize BalancedLabel::minimumSizeHint() const { return {0, QFontMetrics(font()).height()}; }

int BalancedLabel::heightForWidth(int width) const {
    return static_cast<int>(linesFor(width).size()) * QFontMetrics(font()).lineSpacing();
}

void BalancedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QFontMetrics metrics(font());
    int y = 0;
    for (const QString& line : shownLines()) {
        p.drawText(QRect(0, y, width(), metrics.lineSpacing()), Qt::AlignHCenter | Qt::AlignTop, line);
        y += metrics.lineSpacing();
    }
}
