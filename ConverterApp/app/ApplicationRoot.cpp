#include "app/ApplicationRoot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>

#include "app/QuitQuestion.h"
#include "session/EngineConverter.h"
#include "session/QtExecutor.h"
#include "shell/ProductInfo.h"
#include "windows/SidebarView.h"

namespace app {

namespace {
// How long quitting waits for background work (a page being converted) to end.
constexpr std::chrono::milliseconds shutDownLimit{5000};
}  // namespace

ApplicationRoot::ApplicationRoot(Options options) : bundle_(std::move(options.bundle)) {
    updater_ = std::make_unique<shell::Updater>(shell::Updater::optionsFrom(bundle_));
    // The engine's model set is made here but loads nothing: the first files added warm it up.
    std::shared_ptr<session::DocumentConverting> converter = options.converter;
    if (!converter) {
        // The resources' own models (also when installed under share/), else the model store's.
        const QString models = bundle_.resourcesPath + QStringLiteral("/Models");
        converter = QFileInfo(models).isDir() ? std::make_shared<session::EngineConverter>(models.toStdString())
                                              : std::make_shared<session::EngineConverter>();
    }
    session_ = std::make_unique<session::ConversionSession>(std::move(converter),
                                                            std::make_unique<session::QtExecutor>());
    settings_ = std::make_unique<session::Settings>();

    window_ = std::make_unique<windows::MainView>(*session_, *settings_, windows::WindowDialogs{},
                                                    std::move(options.preview), bundle_);
    if (!options.dialogs) {
        // Qt's dialogs need the window they belong to, so they are made after it.
        window_->setDialogs(windows::WindowDialogs::real(window_.get()));
    } else {
        window_->setDialogs(std::move(*options.dialogs));
    }
    window_->setWindowTitle(shell::ProductInfo::appName(bundle_, QCoreApplication::applicationName()));
    window_->installEventFilter(this);

    menuBar_ = new MenuBar(window_->menuBar(), *settings_);
    auxiliary_ = std::make_unique<AuxiliaryWindows>(*settings_, bundle_);
    windows::MainView* window = window_.get();
    AppCommands::WindowActions actions;
    actions.addFiles = [window] { window->addFilesFromPanel(); };
    actions.addFolder = [window] { window->addFolderFromPanel(); };
    actions.quit = [window] { window->close(); };
    actions.previousPage = [window] { window->previousPage(); };
    actions.nextPage = [window] { window->nextPage(); };
    actions.switchOutputView = [window] { window->switchOutputView(); };
    actions.showSidebar = [window](bool visible) { window->sidebar()->setVisible(visible); };
    actions.pages = [window]() -> std::optional<PageNavigationState> {
        const auto navigation = window->pageNavigation();
        if (!navigation) return std::nullopt;
        return PageNavigationState{navigation->page, navigation->count};
    };
    commands_ = new AppCommands({*menuBar_, *session_, *settings_, *updater_, *auxiliary_, bundle_, window}, actions,
                                this);
    connect(window, &windows::MainView::detailChanged, commands_, &AppCommands::refresh);
}

ApplicationRoot::~ApplicationRoot() {
    delete commands_;
    window_->removeEventFilter(this);
    session_->shutDown(shutDownLimit);
}

void ApplicationRoot::openFiles(const QList<QUrl>& files) {
    if (!files.isEmpty()) session_->addFiles(files);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

AppDelegate::State ApplicationRoot::quitState() const {
    AppDelegate::State state;
    state.isConverting = session_->isConverting();
    for (const auto& item : session_->items()) state.items.push_back(AppDelegate::factsOf(*item));
    return state;
}

bool ApplicationRoot::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window ends the program, so it asks first when work would be lost. Once
    // the answer is to quit, every window closes and the event loop ends: the settings and
    // acknowledgements windows have no parent and would otherwise keep the process running.
    if (watched == window_.get() && event->type() == QEvent::Close) {
        if (!QuitQuestion::confirm(window_.get(), quitState())) {
            event->ignore();
            return true;
        }
        auxiliary_->closeAll();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace app
