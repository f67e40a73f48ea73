#include "ElementView.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "TableGridView.h"
#include "ViewStyle.h"

namespace ElementView {

namespace {

using ViewStyle::TextStyle;

QString qs(const std::string& text) { return QString::fromStdString(text); }

QLabel* text(const QString& value, const QFont& font, const QColor& color = Qt::black, QWidget* parent = nullptr) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(value);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

// A table grid that scrolls sideways when it is wider than the output. It shows the
// row's background (white, or the highlight) and is as high as the grid, plus the
// scroll bar only while the grid does not fit.
class TableScroll : public QScrollArea {
public:
    TableScroll(QWidget* grid, QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        viewport()->setAutoFillBackground(false);
        setWidget(grid);
        fitHeight();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QScrollArea::resizeEvent(event);
        fitHeight();
    }

private:
    void fitHeight() {
        const QSize grid = widget()->sizeHint();
        const bool scrolls = grid.width() > width();
        setFixedHeight(grid.height() + (scrolls ? horizontalScrollBar()->sizeHint().height() : 0));
    }
};

// A picture scaled to fit its width, keeping its aspect ratio.
class PictureLabel : public QWidget {
public:
    PictureLabel(QImage image, double maxWidth, QWidget* parent) : QWidget(parent), image_(std::move(image)) {
        maxWidth_ = static_cast<int>(std::min<double>(maxWidth, image_.width()));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override {
        const int shown = std::min(w, maxWidth_);
        return image_.width() > 0 ? shown * image_.height() / image_.width() : 0;
    }
    QSize sizeHint() const override { return {maxWidth_, heightForWidth(maxWidth_)}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const int w = std::min(width(), maxWidth_);
        p.drawImage(QRect(0, 0, w, heightForWidth(w)), image_);
    }

private:
    QImage image_;
    int maxWidth_ = 0;
};

// A small box with a check mark, for checkbox elements.
class CheckMark : public QWidget {
public:
    CheckMark(bool checked, QWidget* parent) : QWidget(parent), checked_(checked) {
        setFixedSize(14, 14);
        setAccessibleName(checked ? QObject::tr("Checked") : QObject::tr("Not checked"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.drawRoundedRect(QRectF(1.5, 1.5, 11, 11), 2, 2);
        if (checked_) {
            p.setPen(QPen(QColor(30, 30, 30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(4, 7.5), QPointF(6.2, 9.8), QPointF(10.5, 4.5)}));
        }
    }

private:
    bool checked_;
};

// A rounded panel behind a code block, or a rounded border around a placeholder.
class Panel : public QWidget {
public:
    Panel(bool filled, QWidget* parent) : QWidget(parent), filled_(filled) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        if (filled_) p.fillPath(path, ViewStyle::withOpacity(ViewStyle::quaternaryFill(), 0.5));
        else p.strokePath(path, QPen(ViewStyle::quaternaryFill(), 1));
    }

private:
    bool filled_;
};

QVBoxLayout* column(QWidget* w) {
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    return layout;
}

void addNotes(QVBoxLayout* layout, const ce::DocElement& e, QWidget* parent, bool mediumCaptions) {
    const QFont captionFont = ViewStyle::font(TextStyle::callout, mediumCaptions ? QFont::Medium : QFont::Normal);
    const QColor captionColor = mediumCaptions ? QColor(Qt::black) : ViewStyle::secondaryText();
    for (const ce::DocElement& c : e.captions) layout->addWidget(text(qs(c.text), captionFont, captionColor, parent));
    for (const ce::DocElement& f : e.footnotes)
        layout->addWidget(text(qs(f.text), ViewStyle::font(TextStyle::footnote), ViewStyle::secondaryText(), parent));
}

QWidget* tableView(const ce::DocElement& e, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (const ce::DocElement& c : e.captions)
        layout->addWidget(text(qs(c.text), ViewStyle::font(TextStyle::callout, QFont::Medium), Qt::black, w));
    // A table needs rows and columns to be drawn as a grid.
    if (e.table && e.table->numRows >= 1 && e.table->numCols >= 1) {
        layout->addWidget(new TableScroll(new TableGridView(*e.table), w));
    } else {
        layout->addWidget(text(QObject::tr("Table (structure not recognized)"), ViewStyle::font(TextStyle::body),
                               ViewStyle::secondaryText(), w));
    }
    for (const ce::DocElement& f : e.footnotes)
        layout->addWidget(text(qs(f.text), ViewStyle::font(TextStyle::footnote), ViewStyle::secondaryText(), w));
    return w;
}

QWidget* pictureView(const ce::DocElement& e, const ce::ConvertedPage& page, QWidget* parent) {
    auto* w = new QWidget(parent);
    QVBoxLayout* layout = column(w);
    const double maxWidth = pictureMaxWidth(e);
    QImage image;
    if (const auto crop = page.images.find(e.clusterID); crop != page.images.end())
        image = QImage::fromData(crop->second.data(), static_cast<int>(crop->second.size()));
    // A crop shown less than a point wide would be invisible: the placeholder stands instead.
    if (!image.isNull() && maxWidth >= 1) {
        layout->addWidget(new PictureLabel(image, maxWidth, w), 0, Qt::AlignLeft);
    } else if (e.kind == ce::DocElementKind::formula && !e.orig.empty()) {
        layout->addWidget(text(qs(e.orig), ViewStyle::monospaced(TextStyle::body), Qt::black, w));
    } else {
        auto* panel = new Panel(false, w);
        auto* row = new QHBoxLayout(panel);
        row->setContentsMargins(8, 8, 8, 8);
        row->setSpacing(6);
        auto* icon = new QLabel(panel);
        icon->setPixmap(ViewStyle::standardIcon(QStyle::SP_FileDialogContentsView).pixmap(16, 16));
        row->addWidget(icon);
        row->addWidget(text(e.kind == ce::DocElementKind::formula ? QObject::tr("Formula") : QObject::tr("Picture"),
                            ViewStyle::font(TextStyle::body), ViewStyle::secondaryText(), panel));
        layout->addWidget(panel, 0, Qt::AlignLeft);
    }
    addNotes(layout, e, w, false);
    return w;
}

QWidget* codeBlock(const ce::DocElement& e, QWidget* parent) {
    auto* w = new QWidget(parent);
    QVBoxLayout* layout = column(w);
    auto* panel = new Panel(true, w);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(8, 8, 8, 8);
    QLabel* code = text(qs(e.text), ViewStyle::monospaced(TextStyle::body), Qt::black, panel);
    code->setWordWrap(false);
    inner->addWidget(code);
    layout->addWidget(panel);
    addNotes(layout, e, w, false);
    return w;
}

QWidget* listRow(const ce::DocElement& e, const std::optional<std::string>& listLabel, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    QLabel* label = text(listLabel ? qs(*listLabel) : QStringLiteral("\u2022"), ViewStyle::font(TextStyle::body), Qt::black, w);
    label->setWordWrap(false);
    label->setMinimumWidth(18);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    row->addWidget(label, 0, Qt::AlignTop);
    row->addWidget(text(qs(e.text), ViewStyle::font(TextStyle::body), Qt::black, w), 1);
    return w;
}

QWidget* checkbox(const ce::DocElement& e, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(new CheckMark(e.label == ce::DocLabel::checkboxSelected, w), 0, Qt::AlignTop);
    row->addWidget(text(qs(e.text), ViewStyle::font(TextStyle::body), Qt::black, w), 1);
    return w;
}

}  // namespace

double pictureMaxWidth(const ce::DocElement& element) {
    return std::min(1.5 * (element.bbox.r - element.bbox.l), maxPictureWidth);
}

QWidget* make(const ce::DocElement& e, const ce::ConvertedPage& page, const std::optional<std::string>& listLabel,
              QWidget* parent) {
    using K = ce::DocElementKind;
    switch (e.kind) {
    case K::title: return text(qs(e.text), ViewStyle::font(TextStyle::title, QFont::Bold), Qt::black, parent);
    case K::sectionHeader:
        return text(qs(e.text), ViewStyle::font(e.level <= 1 ? TextStyle::title2 : TextStyle::title3, QFont::Bold),
                    Qt::black, parent);
    case K::text:
    case K::form:
    case K::keyValue: return text(qs(e.text), ViewStyle::font(TextStyle::body), Qt::black, parent);
    case K::caption:
    case K::footnote: return text(qs(e.text), ViewStyle::font(TextStyle::callout), ViewStyle::secondaryText(), parent);
    case K::listItem: return listRow(e, listLabel, parent);
    case K::table:
    case K::documentIndex: return tableView(e, parent);
    case K::picture:
    case K::formula: return pictureView(e, page, parent);
    case K::code: return codeBlock(e, parent);
    case K::checkbox: return checkbox(e, parent);
    }
    return text(qs(e.text), ViewStyle::font(TextStyle::body), Qt::black, parent);
}

}  // namespace ElementView
