#include "FileRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ElidedLabel.h"
#include "SymbolIcons.h"
#include "ViewStyle.h"

namespace {

using Kind = session::DocumentItem::State::Kind;
using SymbolIcons::Symbol;

const QColor red(255, 59, 48);
const QColor yellow(230, 180, 0);

}  // namespace

FileRow::FileRow(session::DocumentItemPtr item, QWidget* parent)
    : QWidget(parent),
      item_(std::move(item)),
      fileIcon_(new QLabel(this)),
      name_(new ElidedLabel(1, this)),
      progress_(new QProgressBar(this)),
      status_(new ElidedLabel(2, this)),
      statusIcon_(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(10);
    row->setContentsMargins(6, 3, 6, 3);
    fileIcon_->setFixedWidth(22);
    fileIcon_->setAlignment(Qt::AlignCenter);
    row->addWidget(fileIcon_);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    name_->setFont(ViewStyle::font(ViewStyle::TextStyle::body));
    texts->addWidget(name_);
    auto* line = new QVBoxLayout;
    line->setSpacing(2);
    progress_->setTextVisible(false);
    progress_->setFixedHeight(6);
    line->addWidget(progress_);
    status_->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    line->addWidget(status_);
    texts->addLayout(line);
    row->addLayout(texts, 1);

    statusIcon_->setFixedWidth(16);
    row->addWidget(statusIcon_);

    for (auto signal : {&session::DocumentItem::stateChanged, &session::DocumentItem::pageCountChanged,
                        &session::DocumentItem::resultChanged}) {
        connect(item_.get(), signal, this, &FileRow::refresh);
    }
    refresh();
}

void FileRow::setOnAccent(bool onAccent) {
    if (onAccent == onAccent_) return;
    onAccent_ = onAccent;
    refresh();
}

QString FileRow::nameText() const { return name_->text(); }
QString FileRow::statusLineText() const { return status_->text(); }
QColor FileRow::statusLineColor() const { return status_->palette().color(QPalette::WindowText); }

void FileRow::refresh() {
    const QColor primary = onAccent_ ? palette().color(QPalette::HighlightedText) : QColor(Qt::black);
    const QColor secondary = onAccent_ ? primary : ViewStyle::secondaryText();
    const auto tint = [&](const QColor& color) { return onAccent_ ? primary : color; };
    const QColor markInner = onAccent_ ? palette().color(QPalette::Highlight) : QColor(Qt::white);

    const QUrl& url = item_->url();
    const bool isPDF = FileRowText::fileIcon(url) == FileRowText::FileIcon::document;
    fileIcon_->setPixmap(SymbolIcons::pixmap(isPDF ? Symbol::document : Symbol::photo, 18, secondary,
                                             devicePixelRatioF()));
    name_->setText(FileRowText::fileName(url));
    name_->setColor(primary);
    // Escaped inside a paragraph: a tooltip that looks like markup would be drawn as rich text.
    setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(FileRowText::tooltip(*item_).toHtmlEscaped()));

    const auto& state = item_->state();
    QColor lineColor = secondary;
    QString line;
    progress_->setVisible(state.is(Kind::converting));
    if (state.is(Kind::converting)) {
        const auto progress = FileRowText::pageProgress(state.completed, state.total);
        progress_->setRange(0, progress.maximum);
        progress_->setValue(progress.value);
        line = progress.text;
    } else if (state.is(Kind::converted)) {
        if (item_->result()) {
            const auto summary = FileRowText::convertedSummary(*item_->result());
            line = summary.text;
            if (summary.warns) lineColor = tint(ViewStyle::color(ViewStyle::SystemColor::orange));
        }
    } else {
        line = FileRowText::statusText(*item_);
        if (state.is(Kind::failed)) lineColor = tint(red);
    }
    status_->setText(line);
    status_->setColor(lineColor);
    status_->setVisible(!line.isEmpty() || !state.is(Kind::converted));

    mark_ = FileRowText::statusMark(state);
    statusIcon_->setVisible(mark_ != FileRowText::StatusMark::none);
    if (mark_ == FileRowText::StatusMark::failed) {
        statusIcon_->setPixmap(SymbolIcons::pixmap(Symbol::warning, 15, tint(yellow), devicePixelRatioF(), markInner));
        statusIcon_->setAccessibleName(tr("Failed"));
    } else if (mark_ == FileRowText::StatusMark::converted) {
        statusIcon_->setPixmap(SymbolIcons::pixmap(Symbol::checkmark, 15,
                                                   tint(ViewStyle::color(ViewStyle::SystemColor::green)),
                                                   devicePixelRatioF(), markInner));
        statusIcon_->setAccessibleName(tr("Converted"));
    }
    emit contentChanged();
}
