#include "SidebarView.h"

#include <algorithm>

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "EmptyStateView.h"
#include "FileRow.h"
#include "FocusFrame.h"
#include "StatusFooter.h"
#include "SymbolIcons.h"
#include "ViewStyle.h"

namespace windows {

namespace {
constexpr int uuidRole = Qt::UserRole + 1;
using Kind = session::DocumentItem::State::Kind;
}  // namespace

void DocumentList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void DocumentList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void DocumentList::contextMenuEvent(QContextMenuEvent* event) {
    if (QListWidgetItem* entry = itemAt(event->pos())) {
        emit rowMenuRequested(entry->data(uuidRole).toUuid(), event->globalPos());
    }
    event->accept();
}

void DocumentList::initViewItemOption(QStyleOptionViewItem* option) const {
    QListWidget::initViewItemOption(option);
    option->state.setFlag(QStyle::State_Active, isActiveWindow());
}

SidebarView::SidebarView(session::ConversionSession& session, const WindowDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      session_(session),
      dialogs_(dialogs),
      list_(new DocumentList(this)),
      empty_(new EmptyStateView(this)),
      stack_(new QStackedWidget(this)),
      footer_(new StatusFooter(session, this)),
      delete_(new QAction(tr("Remove from List"), this)) {
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setUniformItemSizes(false);
    // The selection stays the accent while the focus is elsewhere, so the list's own focus is a frame.
    FocusFrame::install(list_);
    empty_->showMessage(QIcon(SymbolIcons::pixmap(SymbolIcons::Symbol::tray, 40, ViewStyle::secondaryText(), 2.0)),
                        tr("No Files"), tr("Drop PDFs or images here, or use the + button."));
    empty_->setAutoFillBackground(true);
    empty_->setBackgroundRole(QPalette::Base);
    stack_->addWidget(list_);
    stack_->addWidget(empty_);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFixedHeight(1);
    QPalette line = divider->palette();
    line.setColor(QPalette::WindowText, ViewStyle::separator());
    divider->setPalette(line);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(stack_, 1);
    layout->addWidget(divider);
    layout->addWidget(footer_);

    delete_->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    delete_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list_->addAction(delete_);
    connect(delete_, &QAction::triggered, this, [this] { session_.requestRemoval(session_.selection()); });

    connect(list_, &QListWidget::itemSelectionChanged, this, &SidebarView::takeSelection);
    connect(list_, &DocumentList::rowMenuRequested, this, [this](const QUuid& id, const QPoint& at) {
        QMenu* menu = rowMenu(id, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    });
    connect(&session_, &session::ConversionSession::itemsChanged, this, &SidebarView::rebuildRows);
    connect(&session_, &session::ConversionSession::selectionChanged, this, &SidebarView::showSelection);
    connect(&session_, &session::ConversionSession::pendingRemovalChanged, this, &SidebarView::askAboutRemoval);
    rebuildRows();
    askAboutRemoval();
}

QSet<QUuid> SidebarView::targetIDs(const QUuid& row) const {
    return session_.selection().contains(row) ? session_.selection() : QSet<QUuid>{row};
}

QMenu* SidebarView::rowMenu(const QUuid& row, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const auto& items = session_.items();
    const auto found = std::find_if(items.begin(), items.end(), [&](const auto& each) { return each->id() == row; });
    const session::DocumentItemPtr item = found == items.end() ? nullptr : *found;
    QAction* show = menu->addAction(tr("Show in File Manager"));
    QAction* remove = menu->addAction(tr("Remove from List"));
    if (!item) {
        show->setEnabled(false);
        remove->setEnabled(false);
        return menu;
    }
    show->setEnabled(!item->isSample());
    const auto& state = item->state();
    remove->setEnabled(!state.is(Kind::converting) && !state.is(Kind::queued));
    const QUrl url = item->url();
    connect(show, &QAction::triggered, this, [this, url] { dialogs_.reveal({url}); });
    connect(remove, &QAction::triggered, this, [this, row] { session_.requestRemoval(targetIDs(row)); });
    return menu;
}

FileRow* SidebarView::row(const QUuid& id) const {
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : static_cast<FileRow*>(list_->itemWidget(found->second));
}

bool SidebarView::showsEmptyState() const { return stack_->currentWidget() == empty_; }

void SidebarView::rebuildRows() {
    syncing_ = true;
    list_->clear();
    entries_.clear();
    for (const auto& item : session_.items()) {
        auto* entry = new QListWidgetItem(list_);
        entry->setData(uuidRole, item->id());
        auto* row = new FileRow(item);
        list_->setItemWidget(entry, row);
        entries_[item->id()] = entry;
        connect(row, &FileRow::contentChanged, this, [this, entry, row] { fitRow(entry, row); });
        fitRow(entry, row);
    }
    stack_->setCurrentWidget(session_.items().empty() ? static_cast<QWidget*>(empty_) : list_);
    syncing_ = false;
    showSelection();
}

void SidebarView::showSelection() {
    syncing_ = true;
    const QSet<QUuid>& selection = session_.selection();
    for (const auto& [id, entry] : entries_) entry->setSelected(selection.contains(id));
    // The keyboard goes on from the selection: the current row moves to its first row
    // when the session selected others.
    QListWidgetItem* current = list_->currentItem();
    if (!current || !current->isSelected()) {
        for (int row = 0; row < list_->count(); ++row) {
            if (list_->item(row)->isSelected()) {
                list_->setCurrentItem(list_->item(row), QItemSelectionModel::NoUpdate);
                break;
            }
        }
    }
    syncing_ = false;
    refreshAccents();
}

void SidebarView::takeSelection() {
    if (syncing_) return;
    QSet<QUuid> ids;
    for (QListWidgetItem* entry : list_->selectedItems()) ids.insert(entry->data(uuidRole).toUuid());
    session_.setSelection(ids);
    refreshAccents();
}

void SidebarView::refreshAccents() {
    const bool active = isActiveWindow();
    for (const auto& [id, entry] : entries_) {
        if (auto* shown = static_cast<FileRow*>(list_->itemWidget(entry))) shown->setOnAccent(active && entry->isSelected());
    }
}

void SidebarView::fitRow(QListWidgetItem* entry, FileRow* row) {
    // The row's layout learns of a shown or hidden progress bar only when it next runs; measure
    // after running it, or the row keeps its former height (a stopped row the bar's height).
    if (QLayout* layout = row->layout()) {
        layout->invalidate();
        layout->activate();
    }
    const int width = std::max(list_->viewport()->width(), 120);
    const int height = row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    entry->setSizeHint(QSize(width, std::max(height, row->minimumSizeHint().height())));
}

// The window's activation reaches the widgets inside it as WindowActivate and
// WindowDeactivate (ActivationChange goes to the window alone).
bool SidebarView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) refreshAccents();
    return handled;
}

void SidebarView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (const auto& [id, entry] : entries_) {
        if (auto* shown = static_cast<FileRow*>(list_->itemWidget(entry))) fitRow(entry, shown);
    }
}

void SidebarView::askAboutRemoval() {
    const auto& pending = session_.pendingRemoval();
    if (!pending || askingRemoval_) return;
    askingRemoval_ = true;
    const QSet<QUuid> ids = *pending;
    dialogs_.confirm({tr("Discard converted files?"), tr("Their converted results haven’t been exported."), tr("Remove")},
                     [this, ids](bool remove) {
                         askingRemoval_ = false;
                         if (remove) {
                             session_.removeItems(ids);
                         } else {
                             session_.setPendingRemoval(std::nullopt);
                         }
                         // A request made while this one was open is asked about next.
                         if (session_.pendingRemoval()) QMetaObject::invokeMethod(this, &SidebarView::askAboutRemoval, Qt::QueuedConnection);
                     });
}

}  // namespace windows
