#include "EmptyStateView.h"

#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "BalancedLabel.h"
#include "ViewStyle.h"

EmptyStateView::EmptyStateView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addStretch(1);
    icon_ = new QLabel(this);
    icon_->setAlignment(Qt::AlignHCenter);
    title_ = ViewStyle::centredPlainLabel(QString(), ViewStyle::font(ViewStyle::TextStyle::title3, QFont::Bold), Qt::black, this);
    // The description is the one text long enough to wrap; its lines are kept even.
    description_ = new BalancedLabel(this);
    description_->setFont(ViewStyle::font(ViewStyle::TextStyle::body));
    description_->setColor(ViewStyle::secondaryText());
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(260);
    progress_->setFixedHeight(8);
    caption_ = ViewStyle::centredPlainLabel(QString(), ViewStyle::font(ViewStyle::TextStyle::body), ViewStyle::secondaryText(), this);
    button_ = new QPushButton(this);
    button_->setDefault(true);
    connect(button_, &QPushButton::clicked, this, &EmptyStateView::actionTriggered);
    layout->addWidget(icon_);
    layout->addWidget(title_);
    layout->addWidget(description_);
    layout->addWidget(progress_, 0, Qt::AlignHCenter);
    layout->addWidget(caption_);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    layout->setContentsMargins(24, 24, 24, 24);
    setAction({}, false);
    showMessage({}, {});
}

void EmptyStateView::showMessage(const QIcon& icon, const QString& title, const QString& description) {
    icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(40, 40));
    icon_->setVisible(!icon.isNull());
    title_->setText(title);
    title_->setVisible(!title.isEmpty());
    description_->setText(description);
    description_->setVisible(!description.isEmpty());
    progress_->hide();
    caption_->hide();
}

void EmptyStateView::showProgress(int value, int total, const QString& caption) {
    icon_->hide();
    title_->hide();
    description_->hide();
    progress_->setRange(0, std::max(total, 0));
    if (total > 0) progress_->setValue(std::clamp(value, 0, total));
    progress_->show();
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
    setAction({}, false);
}

void EmptyStateView::setAction(const QString& text, bool enabled, bool prominent) {
    ViewStyle::setProminent(*button_, prominent);
    button_->setText(text);
    button_->setEnabled(enabled);
    button_->setVisible(!text.isEmpty());
}

QString EmptyStateView::title() const { return title_->isVisibleTo(this) ? title_->text() : QString(); }
QString EmptyStateView::description() const {
    return description_->isVisibleTo(this) ? description_->text() : QString();
}
QString EmptyStateView::caption() const { return caption_->isVisibleTo(this) ? caption_->text() : QString(); }
