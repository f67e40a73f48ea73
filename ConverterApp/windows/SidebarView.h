// The document list of the main window: one FileRow per document in the session's order,
// several rows selectable, the selection kept in step with the session's both ways. A
// row's context menu shows the file in the file manager or removes the rows it acts on
// (the whole selection when the row is part of it, else the row alone; a right click
// never changes the selection). Delete removes the selection. When the session asks
// before discarding unexported results, the sidebar shows the confirmation; any answer
// but "Remove" clears the pending removal. An empty list shows "No Files". The status
// footer sits below the list. Main thread only; its state is the rows it shows, rebuilt
// from the session when the list changes.
#pragma once

#include <QListWidget>
#include <QSet>
#include <QUuid>
#include <QWidget>

#include <map>

#include "WindowDialogs.h"
#include "session/ConversionSession.h"

class EmptyStateView;
class FileRow;
class QMenu;
class QStackedWidget;
class StatusFooter;

namespace windows {

// The list itself: a right click opens the row menu without selecting the row. Its
// selection is the accent whenever the window is active, also while another part of the
// window has the keyboard focus, as the rows' texts assume; in a window in the background
// it is grey. While the list has the focus an accent frame runs round it.
class DocumentList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void rowMenuRequested(const QUuid& id, const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void initViewItemOption(QStyleOptionViewItem* option) const override;
};

class SidebarView : public QWidget {
    Q_OBJECT
public:
    SidebarView(session::ConversionSession& session, const WindowDialogs& dialogs, QWidget* parent = nullptr);

    // The ids a row's menu acts on.
    QSet<QUuid> targetIDs(const QUuid& row) const;
    // The row's menu, built for the row's current state (the caller shows or deletes it).
    QMenu* rowMenu(const QUuid& row, QWidget* parent);

    DocumentList* list() const { return list_; }
    FileRow* row(const QUuid& id) const;
    bool showsEmptyState() const;
    StatusFooter* footer() const { return footer_; }
    QAction* deleteAction() const { return delete_; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildRows();
    void showSelection();
    void takeSelection();
    void refreshAccents();
    void fitRow(QListWidgetItem* entry, FileRow* row);
    void askAboutRemoval();

    session::ConversionSession& session_;
    const WindowDialogs& dialogs_;
    DocumentList* list_;
    EmptyStateView* empty_;
    QStackedWidget* stack_;
    StatusFooter* footer_;
    QAction* delete_;
    std::map<QUuid, QListWidgetItem*> entries_;
    bool syncing_ = false;        // the list's selection is being set from the session's
    bool askingRemoval_ = false;  // a removal confirmation is open
};

}  // namespace windows
