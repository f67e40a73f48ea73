// A plain-text label that fits its text into at most `maxLines` lines of its width,
// wrapping at word boundaries and eliding what does not fit (in the middle for a single
// line, at the end of the last line otherwise). The full text stays readable through
// text(); sizeHint asks for the lines the text needs, up to the limit.
#pragma once

#include <QString>
#include <QWidget>

class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(int maxLines, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setColor(const QColor& color);
    // The lines as drawn at the current width.
    QStringList shownLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return maxLines_ > 1; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList linesFor(int width) const;

    int maxLines_;
    QString text_;
};
