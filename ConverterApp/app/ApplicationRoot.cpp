#include "app/ApplicationRoot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>

#include "SessionChanges.h"
#include "app/HelpPages.h"
#include "app/QuitQuestion.h"
#include "app/UpdateResult.h"
#include "session/EngineConverter.h"
#include "session/QtExecutor.h"
#include "shell/ProductInfo.h"
#include "shell/Sample.h"
#include "windows/Sidebar.h"

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

    window_ = std::make_unique<windows::MainWindow>(*session_, *settings_, windows::WindowDialogs{},
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
    connect(menuBar_, &MenuBar::commandTriggered, this, &ApplicationRoot::run);
    connect(menuBar_, &MenuBar::sampleChosen, this, [this](shell::Sample sample) {
        if (const auto path = shell::Samples::url(bundle_, sample)) session_->addFiles({QUrl::fromLocalFile(*path)}, true);
    });
    connect(menuBar_, &MenuBar::sidebarToggled, window_->sidebar(), &QWidget::setVisible);
    connect(updater_.get(), &shell::Updater::checkFinished, this, [this](const shell::UpdateCheckResult& result) {
        UpdateResult::show(window_.get(), result, shell::ProductInfo::version(bundle_));
    });

    connect(new SessionChanges(*session_, this), &SessionChanges::changed, this, &ApplicationRoot::refreshMenus);
    connect(settings_.get(), &session::Settings::scanLanguageChanged, this, &ApplicationRoot::refreshMenus);
    connect(updater_.get(), &shell::Updater::canCheckForUpdatesChanged, this, &ApplicationRoot::refreshMenus);
    connect(window_.get(), &windows::MainWindow::detailChanged, this, &ApplicationRoot::refreshMenus);
    refreshMenus();
}

ApplicationRoot::~ApplicationRoot() {
    window_->removeEventFilter(this);
    session_->shutDown(shutDownLimit);
}

void ApplicationRoot::openFiles(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!urls.isEmpty()) session_->addFiles(urls);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void ApplicationRoot::run(Command command) {
    switch (command) {
    case Command::addFiles: window_->addFilesFromPanel(); break;
    case Command::addFolder: window_->addFolderFromPanel(); break;
    case Command::convert: session_->startConversion(settings_->scanLanguage()); break;
    case Command::stopConverting: session_->cancelRun(); break;
    case Command::exportResults: session_->setExportRequested(true); break;
    case Command::quit: window_->close(); break;
    case Command::preferences: auxiliary_->showSettings(); break;
    case Command::support: HelpPages::open(shell::ProductInfo::PageKind::support); break;
    case Command::privacyPolicy: HelpPages::open(shell::ProductInfo::PageKind::privacy); break;
    case Command::acknowledgements: auxiliary_->showAcknowledgements(); break;
    case Command::checkForUpdates: updater_->checkForUpdates(); break;
    // Bound to the settings or the sidebar by the menu bar itself.
    case Command::previousPage:
    case Command::nextPage:
    case Command::openSample:
    case Command::toggleSidebar:
    case Command::showRegions:
    case Command::outputFormat:
    case Command::scanLanguage: break;
    }
}

void ApplicationRoot::refreshMenus() {
    MenuState state;
    state.canConvert = session_->canConvert(settings_->scanLanguage());
    state.isConverting = session_->isConverting();
    state.hasConvertedItems = !session_->convertedItems().empty();
    state.canCheckForUpdates = updater_->canCheckForUpdates();
    menuBar_->update(state);
}

QuitRules::State ApplicationRoot::quitState() const {
    QuitRules::State state;
    state.isConverting = session_->isConverting();
    for (const auto& item : session_->items()) state.items.push_back(QuitRules::factsOf(*item));
    return state;
}

bool ApplicationRoot::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window ends the program, so it asks first when work would be lost.
    if (watched == window_.get() && event->type() == QEvent::Close && !QuitQuestion::confirm(window_.get(), quitState())) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace app
