#include "app/MenuModel.h"

#include <QCoreApplication>

#include "session/ConversionSession.h"

namespace app::MenuModel {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("AppCommands", text); }

MenuItem command(Command command, const char* title, QKeySequence shortcut = {}) {
    MenuItem item;
    item.command = command;
    item.title = tr(title);
    item.shortcut = std::move(shortcut);
    return item;
}

MenuItem toggle(Command which, const char* title, QKeySequence shortcut = {}) {
    MenuItem item = command(which, title, std::move(shortcut));
    item.checkable = true;
    return item;
}

MenuItem separator() {
    MenuItem item;
    item.kind = MenuItem::Kind::separator;
    return item;
}

MenuItem submenu(const char* title, std::vector<MenuItem> children) {
    MenuItem item;
    item.kind = MenuItem::Kind::submenu;
    item.title = tr(title);
    item.children = std::move(children);
    return item;
}

MenuItem sampleMenu() {
    std::vector<MenuItem> samples;
    for (const shell::Sample sample : shell::Samples::allCases) {
        MenuItem item;
        item.command = Command::openSample;
        item.title = shell::Samples::title(sample);
        item.sample = sample;
        samples.push_back(std::move(item));
    }
    return submenu("Open Sample", std::move(samples));
}

// A picker: one checkable choice per case, the field `choice` of each item holding its case.
template <typename Value, typename Cases, typename Label>
MenuItem picker(const char* title, Command which, const Cases& cases, Label label,
                std::optional<Value> MenuItem::*choice) {
    std::vector<MenuItem> choices;
    for (const Value value : cases) {
        MenuItem item;
        item.command = which;
        item.title = label(value);
        item.checkable = true;
        item.*choice = value;
        choices.push_back(std::move(item));
    }
    return submenu(title, std::move(choices));
}

QKeySequence preferencesShortcut() {
    const QKeySequence standard(QKeySequence::Preferences);
    return standard.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Comma) : standard;
}

}  // namespace

std::vector<Menu> menus() {
    Menu file{tr("&File"),
              {command(Command::addFiles, "Add Files…", QKeySequence(Qt::CTRL | Qt::Key_O)),
               command(Command::addFolder, "Add Folder…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)),
               sampleMenu(), separator(),
               command(Command::convert, "Convert", QKeySequence(Qt::CTRL | Qt::Key_R)),
               command(Command::stopConverting, "Stop Converting", QKeySequence(Qt::CTRL | Qt::Key_Period)),
               separator(), command(Command::exportResults, "Export…", QKeySequence(Qt::CTRL | Qt::Key_E)),
               separator(), command(Command::quit, "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q))}};
    Menu edit{tr("&Edit"), {command(Command::preferences, "Preferences…", preferencesShortcut())}};
    Menu view{tr("&View"),
              {toggle(Command::toggleSidebar, "Show Sidebar", QKeySequence(Qt::Key_F9)),
               toggle(Command::showRegions, "Show Regions", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R)),
               picker<ce::OutputFormat>("Output Format", Command::outputFormat, ce::OutputFormats::allCases(),
                                        formatLabel, &MenuItem::format),
               picker<ce::ConversionOptions::Language>("Scan Language", Command::scanLanguage,
                                                       ce::Languages::allCases(), languageLabel, &MenuItem::language),
               command(Command::switchOutputView, "Switch Output View", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O)),
               command(Command::previousPage, "Previous Page"),
               command(Command::nextPage, "Next Page")}};
    Menu help{tr("&Help"),
              {command(Command::support, "Support"), command(Command::privacyPolicy, "Privacy Policy"), separator(),
               command(Command::acknowledgements, "Acknowledgements"), separator(),
               command(Command::checkForUpdates, "Check for Updates…")}};
    return {file, edit, view, help};
}

MenuState stateOf(const session::ConversionSession& session, ce::ConversionOptions::Language language,
                  std::optional<PageNavigationState> pages, bool canCheckForUpdates) {
    MenuState state;
    state.canConvert = session.canConvert(language);
    state.isConverting = session.isConverting();
    state.hasConvertedItems = !session.convertedItems().empty();
    state.isExporting = session.isExporting();
    state.pages = pages;
    state.canCheckForUpdates = canCheckForUpdates;
    return state;
}

bool isEnabled(Command command, const MenuState& state) {
    switch (command) {
        case Command::convert: return state.canConvert;
        case Command::stopConverting: return state.isConverting;
        case Command::exportResults: return state.hasConvertedItems && !state.isConverting && !state.isExporting;
        case Command::previousPage: return state.pages && state.pages->current >= 1;
        case Command::nextPage: return state.pages && state.pages->current < state.pages->count - 1;
        case Command::checkForUpdates: return state.canCheckForUpdates;
        default: return true;
    }
}

QString formatLabel(ce::OutputFormat format) {
    switch (format) {
        case ce::OutputFormat::markdown: return tr("Markdown");
        case ce::OutputFormat::docx: return tr("Word (DOCX)");
        case ce::OutputFormat::csv: return tr("CSV (tables)");
    }
    return {};
}

QString languageLabel(ce::ConversionOptions::Language language) {
    switch (language) {
        case ce::ConversionOptions::Language::automatic: return tr("Automatic");
        case ce::ConversionOptions::Language::english: return tr("English");
        case ce::ConversionOptions::Language::spanish: return tr("Spanish");
    }
    return {};
}

}  // namespace app::MenuModel
