#include "MainView.h"

#include <algorithm>

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

#include "DropHighlight.h"
#include "DropZoneView.h"
#include "PreviewView.h"
#include "ExportFlow.h"
#include "SessionChanges.h"
#include "SidebarView.h"
#include "SymbolIcons.h"
#include "ViewStyle.h"
#include "session/Settings.h"

namespace windows {

namespace {

using Language = ce::ConversionOptions::Language;
using SymbolIcons::Symbol;

QString formatLabel(ce::OutputFormat format) {
    switch (format) {
    case ce::OutputFormat::markdown: return MainView::tr("Markdown");
    case ce::OutputFormat::docx: return MainView::tr("Word (DOCX)");
    case ce::OutputFormat::csv: return MainView::tr("CSV (tables)");
    }
    return {};
}

QString languageLabel(Language language) {
    switch (language) {
    case Language::automatic: return MainView::tr("Automatic");
    case Language::english: return MainView::tr("English");
    case Language::spanish: return MainView::tr("Spanish");
    }
    return {};
}

QIcon toolIcon(Symbol symbol) { return SymbolIcons::icon(symbol, QColor(60, 60, 67)); }

QToolButton* toolButton(const QString& text, Symbol symbol, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(toolIcon(symbol));
    button->setToolTip(help);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

// A button whose menu was open never hears that the pointer left it for the menu, so it
// would keep its hover frame after the menu closes. Once the menu is gone it is told the
// pointer has left, unless the pointer is back over it.
void forgetHoverWhenMenuCloses(QToolButton* button) {
    QObject::connect(button->menu(), &QMenu::aboutToHide, button, [button] {
        QMetaObject::invokeMethod(
            button,
            [button] {
                if (!button->underMouse() || button->rect().contains(button->mapFromGlobal(QCursor::pos()))) return;
                button->setAttribute(Qt::WA_UnderMouse, false);
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(button, &leave);
                button->update();
            },
            Qt::QueuedConnection);
    });
}

// The local files and folders a drag carries; empty when it carries none.
QList<QUrl> droppedFiles(const QMimeData* data) {
    QList<QUrl> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url;
    }
    return files;
}

bool isDragEvent(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave || type == QEvent::Drop;
}

// A button whose text changes keeps the width of its widest text, so the controls beside
// it (the centred format picker) never move when it does.
void keepWidestWidth(QToolButton* button, const QStringList& texts) {
    const QString shown = button->text();
    int widest = 0;
    for (const QString& text : texts) {
        button->setText(text);
        widest = std::max(widest, button->sizeHint().width());
    }
    button->setText(shown);
    button->setMinimumWidth(widest);
}

}  // namespace

MainView::MainView(session::ConversionSession& session, session::Settings& settings, WindowDialogs dialogs,
                       PreviewFactory preview, shell::ResourceBundle bundle, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      settings_(settings),
      dialogs_(std::move(dialogs)),
      makePreview_(std::move(preview)) {
    if (!makePreview_) {
        makePreview_ = [this](const session::DocumentItemPtr& item, QWidget* parent) -> QWidget* {
            return new PreviewView(item, settings_.outputFormat(), &session_, &settings_, parent);
        };
    }
    auto* content = new QWidget(this);
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, content);
    split->setChildrenCollapsible(false);
    split->setHandleWidth(1);
    split->setStyleSheet(QStringLiteral("QSplitter::handle { background: #d6d6d8; }"));
    sidebar_ = new SidebarView(session_, dialogs_, split);
    sidebar_->setMinimumWidth(240);
    sidebar_->setMaximumWidth(420);
    detail_ = new QStackedWidget(split);
    dropZone_ = new DropZoneView(session_, dialogs_, std::move(bundle), detail_);
    detail_->addWidget(dropZone_);
    split->addWidget(sidebar_);
    split->addWidget(detail_);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({290, defaultSize.width() - 290});
    layout->addWidget(split);
    setCentralWidget(content);
    content->setMinimumSize(minimumContentSize);
    highlight_ = new DropHighlight(content);

    exportFlow_ = new ExportFlow(session_, settings_, dialogs_, this);
    buildToolbar();
    resize(defaultSize);

    setAcceptDrops(true);
    qApp->installEventFilter(this);

    connect(new SessionChanges(session_, this), &SessionChanges::changed, this, &MainView::refreshControls);
    using S = session::ConversionSession;
    connect(&session_, &S::itemsChanged, this, &MainView::refreshDetail);
    connect(&session_, &S::selectionChanged, this, &MainView::refreshDetail);
    connect(&session_, &S::exportRequestedChanged, this, &MainView::takeExportRequest);
    // Shown from a queued call, so an alert never opens inside the session's own update.
    connect(&session_, &S::noticeChanged, this, &MainView::showNotice, Qt::QueuedConnection);
    connect(&settings_, &session::Settings::scanLanguageChanged, this, &MainView::refreshControls);
    connect(&settings_, &session::Settings::outputFormatChanged, this, [this] {
        refreshControls();
        if (auto* shown = qobject_cast<PreviewView*>(preview_)) shown->setFormat(settings_.outputFormat());
    });
    refreshControls();
    refreshDetail();
}

MainView::~MainView() { qApp->removeEventFilter(this); }

QToolButton* MainView::formatButton(ce::OutputFormat format) const {
    const auto found = formatButtons_.find(format);
    return found == formatButtons_.end() ? nullptr : found->second;
}

void MainView::buildToolbar() {
    auto* bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setVisible(false);
    bar->setStyleSheet(QStringLiteral("QToolBar { spacing: 6px; padding: 4px 8px; }"));

    addButton_ = toolButton(tr("Add"), Symbol::plus, tr("Add PDFs, images or a folder"), bar);
    auto* addMenu = new QMenu(addButton_);
    connect(addMenu->addAction(tr("Add Files…")), &QAction::triggered, this, &MainView::addFilesFromPanel);
    connect(addMenu->addAction(tr("Add Folder…")), &QAction::triggered, this, &MainView::addFolderFromPanel);
    addButton_->setMenu(addMenu);
    addButton_->setPopupMode(QToolButton::InstantPopup);
    forgetHoverWhenMenuCloses(addButton_);
    bar->addWidget(addButton_);

    auto* leading = new QWidget(bar);
    leading->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(leading);

    auto* formats = new QWidget(bar);
    formats->setToolTip(tr("The format Export writes"));
    formats->setAccessibleName(tr("Output format"));
    auto* segments = new QHBoxLayout(formats);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto* group = new QButtonGroup(formats);
    group->setExclusive(true);
    const auto& allFormats = ce::OutputFormats::allCases();
    for (std::size_t i = 0; i < allFormats.size(); ++i) {
        const ce::OutputFormat format = allFormats[i];
        auto* segment = new QToolButton(formats);
        segment->setText(formatLabel(format));
        segment->setCheckable(true);
        segment->setToolTip(formats->toolTip());
        const QString radius = i == 0 ? QStringLiteral("border-top-left-radius: 5px; border-bottom-left-radius: 5px;")
                               : i + 1 == allFormats.size()
                                   ? QStringLiteral("border-top-right-radius: 5px; border-bottom-right-radius: 5px;")
                                   : QString();
        segment->setStyleSheet(
            // The selected format is filled with the accent colour, as segmented controls show their
            // choice; the focused segment takes an accent frame.
            QStringLiteral("QToolButton { border: 1px solid #c4c4c8; %1 padding: 3px 12px; background: #fbfbfb; "
                           "margin-left: %2px; }"
                           "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); "
                           "border-color: palette(highlight); }"
                           "QToolButton:focus { border: 2px solid palette(highlight); padding: 2px 11px; }"
                           "QToolButton:checked:focus { border: 2px solid palette(dark); }")
                .arg(radius)
                .arg(i == 0 ? 0 : -1));
        group->addButton(segment);
        segments->addWidget(segment);
        formatButtons_[format] = segment;
        connect(segment, &QToolButton::clicked, this, [this, format] { settings_.setOutputFormat(format); });
    }
    bar->addWidget(formats);

    auto* trailing = new QWidget(bar);
    trailing->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(trailing);

    languageButton_ = toolButton({}, Symbol::scanText, tr("Language of scanned pages (for text recognition)"), bar);
    languageButton_->setAccessibleName(tr("Scan Language"));
    auto* languageMenu = new QMenu(languageButton_);
    languageMenu->addSection(tr("Scan Language"));
    languages_ = new QActionGroup(languageMenu);
    for (const Language language : {Language::automatic, Language::english, Language::spanish}) {
        QAction* entry = languageMenu->addAction(languageLabel(language));
        entry->setCheckable(true);
        entry->setData(static_cast<int>(language));
        languages_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, language] { settings_.setScanLanguage(language); });
    }
    languageButton_->setMenu(languageMenu);
    languageButton_->setPopupMode(QToolButton::InstantPopup);
    forgetHoverWhenMenuCloses(languageButton_);
    bar->addWidget(languageButton_);

    convertButton_ = toolButton(tr("Convert"), Symbol::play, tr("Convert the files in the list"), bar);
    connect(convertButton_, &QToolButton::clicked, this, &MainView::convertOrStop);
    bar->addWidget(convertButton_);

    exportButton_ = toolButton(tr("Export…"), Symbol::share, tr("Save the converted files in a folder"), bar);
    connect(exportButton_, &QToolButton::clicked, this, &MainView::startExport);
    bar->addWidget(exportButton_);
}

session::DocumentItemPtr MainView::selectedItem() const {
    const QSet<QUuid>& selection = session_.selection();
    for (const auto& item : session_.items()) {
        if (selection.contains(item->id())) return item;
    }
    return nullptr;
}

std::optional<PreviewRules::PageNavigation> MainView::pageNavigation() const {
    if (const auto* shown = qobject_cast<const PreviewView*>(preview_)) return shown->navigation();
    return std::nullopt;
}

void MainView::previousPage() {
    if (auto* shown = qobject_cast<PreviewView*>(preview_)) shown->previousPage();
}

void MainView::nextPage() {
    if (auto* shown = qobject_cast<PreviewView*>(preview_)) shown->nextPage();
}

void MainView::switchOutputView() {
    if (auto* shown = qobject_cast<PreviewView*>(preview_)) shown->switchOutputView();
}

void MainView::addFilesFromPanel() { session_.addFiles(dialogs_.chooseFilesToAdd()); }

void MainView::addFolderFromPanel() { session_.addFiles(dialogs_.chooseFolderToAdd()); }

void MainView::convertOrStop() {
    if (session_.isConverting()) {
        session_.cancelRun();
    } else {
        session_.startConversion(settings_.scanLanguage());
    }
}

void MainView::startExport() { exportFlow_->start(); }

void MainView::refreshControls() {
    const ce::OutputFormat format = settings_.outputFormat();
    for (const auto& [value, button] : formatButtons_) button->setChecked(value == format);

    const Language language = settings_.scanLanguage();
    languageButton_->setText(languageLabel(language));
    for (QAction* entry : languages_->actions()) entry->setChecked(entry->data().toInt() == static_cast<int>(language));

    if (session_.isConverting()) {
        convertButton_->setText(tr("Stop"));
        convertButton_->setIcon(toolIcon(Symbol::stop));
        convertButton_->setToolTip(tr("Stop converting"));
        convertButton_->setEnabled(true);
    } else {
        convertButton_->setText(tr("Convert"));
        convertButton_->setIcon(toolIcon(Symbol::play));
        convertButton_->setToolTip(tr("Convert the files in the list"));
        convertButton_->setEnabled(session_.canConvert(language));
    }
    exportButton_->setEnabled(session_.canExport());
}

void MainView::refreshDetail() {
    const session::DocumentItemPtr item = selectedItem();
    const QUuid shown = item ? item->id() : QUuid();
    if (shown == previewItem_ && (item == nullptr) == (preview_ == nullptr)) return;
    if (preview_) {
        detail_->removeWidget(preview_);
        preview_->deleteLater();
        preview_ = nullptr;
    }
    previewItem_ = shown;
    if (item) {
        preview_ = makePreview_(item, detail_);
        if (auto* shown = qobject_cast<PreviewView*>(preview_)) {
            connect(shown, &PreviewView::navigationChanged, this, &MainView::detailChanged);
        }
        detail_->addWidget(preview_);
        detail_->setCurrentWidget(preview_);
    } else {
        detail_->setCurrentWidget(dropZone_);
    }
    emit detailChanged();
}

bool MainView::eventFilter(QObject* watched, QEvent* event) {
    if (!isDragEvent(event->type())) return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const bool carriesFiles = !droppedFiles(drag->mimeData()).isEmpty();
        if (carriesFiles) drag->acceptProposedAction(); else drag->ignore();
        setDropTargeted(carriesFiles);
        return true;
    }
    case QEvent::DragLeave:
        setDropTargeted(false);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        setDropTargeted(false);
        const QList<QUrl> files = droppedFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        session_.addFiles(files);
        return true;
    }
    default: return QMainWindow::eventFilter(watched, event);
    }
}

void MainView::setDropTargeted(bool targeted) {
    if (targeted == dropTargeted_) return;
    dropTargeted_ = targeted;
    highlight_->setVisible(targeted);
    if (targeted) highlight_->raise();
}

void MainView::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Measured once the style sheets apply.
    keepWidestWidth(convertButton_, {tr("Convert"), tr("Stop")});
    keepWidestWidth(languageButton_, {languageLabel(Language::automatic), languageLabel(Language::english),
                                      languageLabel(Language::spanish)});
    // A request made before the window was there, and a notice raised meanwhile, are taken
    // up once the window is on screen.
    QMetaObject::invokeMethod(this, &MainView::takeExportRequest, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &MainView::showNotice, Qt::QueuedConnection);
}

void MainView::takeExportRequest() {
    if (!session_.exportRequested() || !shownOnce_) return;
    session_.setExportRequested(false);
    startExport();
}

void MainView::showNotice() {
    const auto& notice = session_.notice();
    if (!notice || notice->id == noticeOnScreen_ || !shownOnce_) return;
    noticeOnScreen_ = notice->id;
    const QUuid id = notice->id;
    const QList<QUrl> reveal = notice->reveal;
    dialogs_.showNotice(*notice, [this, id, reveal](bool showFiles) {
        if (showFiles) dialogs_.reveal(reveal);
        if (noticeOnScreen_ == id) noticeOnScreen_ = QUuid();
        session_.dismissNotice(id);
    });
}

}  // namespace windows
