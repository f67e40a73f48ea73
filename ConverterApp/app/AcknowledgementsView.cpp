#include "app/AcknowledgementsView.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/ProductInfo.h"

namespace app {
namespace {

constexpr int placeholderPage = 0;
constexpr int entryPage = 1;

QWidget* listRow(const shell::Acknowledgement& entry) {
    auto* row = new QWidget;
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    auto* title = new QLabel(entry.title);
    title->setTextFormat(Qt::PlainText);
    auto* license = new QLabel(entry.license);
    license->setTextFormat(Qt::PlainText);
    license->setForegroundRole(QPalette::PlaceholderText);
    QFont small = license->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    license->setFont(small);
    layout->addWidget(title);
    layout->addWidget(license);
    return row;
}

QWidget* placeholder() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(30, 30, 30, 30);
    layout->setSpacing(10);
    layout->addStretch();
    auto* headline = new QLabel(QObject::tr("%1 is built with these open-source components.").arg(shell::ProductInfo::appName()));
    headline->setTextFormat(Qt::PlainText);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    auto* hint = new QLabel(QObject::tr("Select one to read its license."));
    hint->setForegroundRole(QPalette::PlaceholderText);
    for (QLabel* label : {headline, hint}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    return page;
}

}  // namespace

AcknowledgementsView::AcknowledgementsView(std::vector<shell::Acknowledgement> entries, shell::ResourceBundle bundle,
                                           QWidget* parent)
    : QWidget(parent),
      entries_(std::move(entries)),
      bundle_(std::move(bundle)),
      list_(new QListWidget),
      detail_(new QStackedWidget),
      title_(new QLabel),
      role_(new QLabel),
      modified_(new QWidget),
      license_(new QPlainTextEdit) {
    setWindowTitle(tr("Acknowledgements"));
    setMinimumSize(680, 440);
    resize(defaultWidth, defaultHeight);

    for (const shell::Acknowledgement& entry : entries_) {
        auto* item = new QListWidgetItem(list_);
        item->setData(Qt::UserRole, entry.file);
        QWidget* row = listRow(entry);
        item->setSizeHint(row->sizeHint());
        list_->setItemWidget(item, row);
    }
    list_->setMinimumWidth(200);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // The entry's detail: title, role, the modified note, a rule and the licence text.
    auto* entryDetail = new QWidget;
    auto* column = new QVBoxLayout(entryDetail);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(10);
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.45);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setTextFormat(Qt::PlainText);
    role_->setForegroundRole(QPalette::PlaceholderText);
    role_->setWordWrap(true);
    auto* note = new QHBoxLayout(modified_);
    note->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
    icon->setAlignment(Qt::AlignTop);
    auto* noteText = new QLabel(tr("This app includes a modified version of this component (converted or translated "
                                   "to run on this computer). The original authors are not responsible for the "
                                   "changes."));
    noteText->setWordWrap(true);
    note->addWidget(icon);
    note->addWidget(noteText, 1);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    license_->setReadOnly(true);
    license_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF() * 0.85);
    license_->setFont(mono);
    license_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    column->addWidget(title_);
    column->addWidget(role_);
    column->addWidget(modified_);
    column->addWidget(rule);
    column->addWidget(license_, 1);

    detail_->insertWidget(placeholderPage, placeholder());
    detail_->insertWidget(entryPage, entryDetail);

    auto* split = new QSplitter;
    split->addWidget(list_);
    split->addWidget(detail_);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    split->setSizes({230, defaultWidth - 230});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) setSelection(item->data(Qt::UserRole).toString());
    });
    showDetail();
}

void AcknowledgementsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!selection_ && !entries_.empty()) setSelection(entries_.front().file);
}

void AcknowledgementsView::setSelection(std::optional<QString> file) {
    if (selection_ == file) return;
    selection_ = std::move(file);
    // The list shows the first row of the selected file.
    QListWidgetItem* current = nullptr;
    for (int row = 0; selection_ && row < list_->count() && !current; ++row) {
        if (list_->item(row)->data(Qt::UserRole).toString() == *selection_) current = list_->item(row);
    }
    if (current != list_->currentItem()) {
        const QSignalBlocker blocker(list_);
        list_->setCurrentItem(current);
    }
    showDetail();
}

void AcknowledgementsView::showDetail() {
    const auto shown = std::find_if(entries_.begin(), entries_.end(), [this](const shell::Acknowledgement& entry) {
        return selection_ && entry.file == *selection_;
    });
    if (shown == entries_.end()) {
        detail_->setCurrentIndex(placeholderPage);
        return;
    }
    title_->setText(shown->title);
    role_->setText(QCoreApplication::translate("Acknowledgements", shown->role.toUtf8().constData()));
    modified_->setVisible(shown->modified.value_or(false));
    license_->setPlainText(shell::Acknowledgement::licenseText(bundle_, *shown).value_or(QString()));
    detail_->setCurrentIndex(entryPage);
}

bool AcknowledgementsView::showsPlaceholder() const { return detail_->currentIndex() == placeholderPage; }
QString AcknowledgementsView::detailTitle() const { return showsPlaceholder() ? QString() : title_->text(); }
bool AcknowledgementsView::showsModifiedNote() const { return !showsPlaceholder() && !modified_->isHidden(); }
QString AcknowledgementsView::licenseText() const { return showsPlaceholder() ? QString() : license_->toPlainText(); }

}  // namespace app
