// A centred, wrapping plain-text label whose lines are of even length: at any width it
// wraps into as many lines as plain word wrapping would, but within the narrowest width
// that keeps that count, so that no word is left alone on a short last line.
#pragma once

#include <QString>
#include <QWidget>

class BalancedLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit BalancedLabel(QWidget* parent = nullptr);

    // The lines `text` wraps into at `width` pixels in `font` (a line break starts a new line).
    static QStringList wrappedLines(const QString& text, const QFont& font, int width);
    // The narrowest width up to `available` at which `text` wraps into no more lines than at `available`.
    static int balancedWidth(const QString& text, const QFont& font, int available);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setColor(const QColor& color);
    // The lines as drawn at the current width.
    QStringList shownLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList linesFor(int width) const;

    QString text_;
};
