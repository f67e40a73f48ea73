#include "StatusFooter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "FileRowText.h"
#include "SessionChanges.h"
#include "ViewStyle.h"

StatusFooter::StatusFooter(session::ConversionSession& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      progress_(new QProgressBar(this)),
      text_(new QLabel(this)),
      clear_(new QPushButton(tr("Clear"), this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    progress_->setTextVisible(false);
    progress_->setFixedHeight(6);
    row->addWidget(progress_, 1);
    const QFont callout = ViewStyle::font(ViewStyle::TextStyle::callout);
    text_->setTextFormat(Qt::PlainText);
    text_->setFont(callout);
    QPalette secondary = text_->palette();
    secondary.setColor(QPalette::WindowText, ViewStyle::secondaryText());
    text_->setPalette(secondary);
    row->addWidget(text_);
    row->addStretch(0);
    clear_->setFlat(true);
    clear_->setCursor(Qt::PointingHandCursor);
    clear_->setFont(callout);
    QPalette link = clear_->palette();
    link.setColor(QPalette::ButtonText, ViewStyle::color(ViewStyle::SystemColor::blue));
    clear_->setPalette(link);
    clear_->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0 2px; }"));
    row->addWidget(clear_);
    connect(clear_, &QPushButton::clicked, this, &StatusFooter::clearAll);
    connect(new SessionChanges(session_, this), &SessionChanges::changed, this, &StatusFooter::refresh);
    refresh();
}

void StatusFooter::clearAll() {
    if (session_.isConverting()) return;
    QSet<QUuid> ids;
    for (const auto& item : session_.items()) ids.insert(item->id());
    session_.requestRemoval(ids);
}

QString StatusFooter::text() const { return text_->text(); }

void StatusFooter::refresh() {
    auto* row = static_cast<QHBoxLayout*>(layout());
    const bool converting = session_.isConverting();
    progress_->setVisible(converting);
    if (converting) {
        const auto run = session_.runProgress();
        progress_->setRange(0, std::max(run.total, 1));
        progress_->setValue(run.completed);
        text_->setText(StatusFooterText::runProgress(run.completed, run.total));
        row->setStretch(row->indexOf(text_) + 1, 0);
    } else {
        const auto files = static_cast<int>(session_.items().size());
        text_->setText(StatusFooterText::counts(files, static_cast<int>(session_.convertedItems().size())));
        row->setStretch(row->indexOf(text_) + 1, 1);
    }
    clear_->setVisible(!converting && !session_.items().empty());
}
