// The application's main window: the document list beside the preview of the selected
// document (or the drop zone when none is selected), the toolbar (Add menu, output
// format, scan language, Convert or Stop, Export…), drops of files and folders anywhere
// on the window (one addFiles call per drop, with a highlight while a drag is over it),
// the session's notices as alerts, and the export flow. It holds no document data: it
// shows the session and the stored settings and forwards every action to them. Main
// thread only; its state is the id of the notice on screen and the shown preview's item.
#pragma once

#include <QMainWindow>
#include <QUuid>

#include <functional>
#include <memory>

#include "PreviewRules.h"
#include "WindowDialogs.h"
#include "session/ConversionSession.h"
#include "session/Settings.h"
#include "shell/ResourceBundle.h"

class QAction;
class QActionGroup;
class QSplitter;
class QStackedWidget;
class QToolButton;

namespace windows {

class DropHighlight;
class DropZoneView;
class ExportFlow;
class SidebarView;

class MainView : public QMainWindow {
    Q_OBJECT
public:
    // The detail pane for one document; made afresh whenever another document is shown.
    // Without one the window shows the document's PreviewView.
    using PreviewFactory = std::function<QWidget*(const session::DocumentItemPtr& item, QWidget* parent)>;

    static constexpr QSize defaultSize{1320, 860};
    static constexpr QSize minimumContentSize{900, 560};

    MainView(session::ConversionSession& session, session::Settings& settings, WindowDialogs dialogs,
               PreviewFactory preview, shell::ResourceBundle bundle, QWidget* parent = nullptr);
    ~MainView() override;

    // The dialogs and panels the window and its parts open from now on.
    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }

    // The item the detail pane shows: the first listed item that is selected.
    session::DocumentItemPtr selectedItem() const;

    // The toolbar's and menus' actions.
    void addFilesFromPanel();
    void addFolderFromPanel();
    void convertOrStop();
    void startExport();

    // The shown preview's page navigation, none while no preview is shown; and its steps.
    std::optional<PreviewRules::PageNavigation> pageNavigation() const;
    void previousPage();
    void nextPage();
    void switchOutputView();

    // For tests and the composition root.
    SidebarView* sidebar() const { return sidebar_; }
    DropZoneView* dropZone() const { return dropZone_; }
    QWidget* preview() const { return preview_; }
    ExportFlow* exportFlow() const { return exportFlow_; }
    QToolButton* addButton() const { return addButton_; }
    QToolButton* languageButton() const { return languageButton_; }
    QToolButton* convertButton() const { return convertButton_; }
    QToolButton* exportButton() const { return exportButton_; }
    QToolButton* formatButton(ce::OutputFormat format) const;
    bool dropTargeted() const { return dropTargeted_; }

signals:
    // The shown detail pane changed (another document, or the drop zone), or its page.
    void detailChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildToolbar();
    void refreshControls();
    void refreshDetail();
    void setDropTargeted(bool targeted);
    void takeExportRequest();
    void showNotice();

    session::ConversionSession& session_;
    session::Settings& settings_;
    WindowDialogs dialogs_;
    PreviewFactory makePreview_;
    SidebarView* sidebar_ = nullptr;
    DropZoneView* dropZone_ = nullptr;
    QStackedWidget* detail_ = nullptr;
    QWidget* preview_ = nullptr;
    QUuid previewItem_;
    DropHighlight* highlight_ = nullptr;
    ExportFlow* exportFlow_ = nullptr;
    QToolButton* addButton_ = nullptr;
    std::map<ce::OutputFormat, QToolButton*> formatButtons_;
    QToolButton* languageButton_ = nullptr;
    QActionGroup* languages_ = nullptr;
    QToolButton* convertButton_ = nullptr;
    QToolButton* exportButton_ = nullptr;
    bool dropTargeted_ = false;
    bool shownOnce_ = false;
    QUuid noticeOnScreen_;
};

}  // namespace windows
