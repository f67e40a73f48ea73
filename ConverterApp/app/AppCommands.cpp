#include "app/AppCommands.h"

#include "app/HelpPages.h"
#include "app/UpdateResult.h"
#include "shell/ProductInfo.h"

namespace app {
namespace {

void call(const std::function<void()>& action) {
    if (action) action();
}

}  // namespace

AppCommands::AppCommands(Parts parts, WindowActions actions, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), actions_(std::move(actions)) {
    connect(&parts_.menus, &MenuBar::commandTriggered, this, &AppCommands::run);
    connect(&parts_.menus, &MenuBar::sampleChosen, this, &AppCommands::openSample);
    connect(&parts_.menus, &MenuBar::sidebarToggled, this, [this](bool visible) {
        if (actions_.showSidebar) actions_.showSidebar(visible);
    });
    session::ConversionSession& session = parts_.session;
    connect(&session, &session::ConversionSession::itemsChanged, this, &AppCommands::watchItems);
    for (const auto signal : {&session::ConversionSession::isConvertingChanged,
                              &session::ConversionSession::isExportingChanged}) {
        connect(&session, signal, this, &AppCommands::refresh);
    }
    connect(&parts_.settings, &session::Settings::scanLanguageChanged, this, &AppCommands::refresh);
    connect(&parts_.updater, &shell::Updater::canCheckForUpdatesChanged, this, &AppCommands::refresh);
    connect(&parts_.updater, &shell::Updater::checkFinished, this, [this](const shell::UpdateCheckResult& result) {
        UpdateResult::show(parts_.window, result, shell::ProductInfo::version(parts_.bundle));
    });
    watchItems();
}

void AppCommands::watchItems() {
    for (const QMetaObject::Connection& connection : itemConnections_) disconnect(connection);
    itemConnections_.clear();
    for (const session::DocumentItemPtr& item : parts_.session.items()) {
        // Everything canConvert and convertedItems read of an item.
        for (const auto signal : {&session::DocumentItem::stateChanged, &session::DocumentItem::resultChanged,
                                  &session::DocumentItem::pageCountChanged,
                                  &session::DocumentItem::convertedLanguageChanged,
                                  &session::DocumentItem::runPagesChanged,
                                  &session::DocumentItem::failedPagesRetriedChanged}) {
            itemConnections_.push_back(connect(item.get(), signal, this, &AppCommands::refresh));
        }
    }
    refresh();
}

void AppCommands::refresh() {
    const std::optional<PageNavigationState> pages = actions_.pages ? actions_.pages() : std::nullopt;
    parts_.menus.update(MenuModel::stateOf(parts_.session, parts_.settings.scanLanguage(), pages,
                                           parts_.updater.canCheckForUpdates()));
}

void AppCommands::openSample(shell::Sample sample) {
    if (const std::optional<QString> path = shell::Samples::url(parts_.bundle, sample)) {
        parts_.session.addFiles({QUrl::fromLocalFile(*path)}, true);
    }
}

void AppCommands::run(Command command) {
    switch (command) {
        case Command::addFiles: return call(actions_.addFiles);
        case Command::addFolder: return call(actions_.addFolder);
        case Command::convert: parts_.session.startConversion(parts_.settings.scanLanguage()); return;
        case Command::stopConverting: parts_.session.cancelRun(); return;
        case Command::quit: return call(actions_.quit);
        case Command::previousPage: return call(actions_.previousPage);
        case Command::nextPage: return call(actions_.nextPage);
        case Command::switchOutputView: return call(actions_.switchOutputView);
        case Command::exportResults: parts_.session.setExportRequested(true); return;
        case Command::preferences: parts_.windows.showSettings(); return;
        case Command::acknowledgements: parts_.windows.showAcknowledgements(); return;
        case Command::support: HelpPages::open(shell::ProductInfo::PageKind::support); return;
        case Command::privacyPolicy: HelpPages::open(shell::ProductInfo::PageKind::privacy); return;
        case Command::checkForUpdates: parts_.updater.checkForUpdates(); return;
        case Command::openSample:
        case Command::toggleSidebar:
        case Command::showRegions:
        case Command::outputFormat:
        case Command::scanLanguage: return;  // reported or bound by the menu bar itself
    }
}

}  // namespace app
