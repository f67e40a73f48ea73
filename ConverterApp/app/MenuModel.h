// The menu bar as data: every command with its title, shortcut and place, and whether it is
// enabled, as a pure function of the application's state. The Qt menu bar (MenuBar) is built
// from it; tests read it directly. Shortcuts are the desktop's: Ctrl where other systems use
// Command. On Linux "Check for Updates…" sits in the Help menu and the settings in Edit as
// "Preferences…".
#pragma once

#include <optional>
#include <vector>

#include <QKeySequence>
#include <QString>

#include "session/EngineTypes.h"
#include "shell/Sample.h"

namespace session {
class ConversionSession;
}

namespace app {

enum class Command {
    addFiles,
    addFolder,
    openSample,  // with a Sample
    convert,
    stopConverting,
    exportResults,
    quit,
    preferences,
    toggleSidebar,
    showRegions,
    outputFormat,  // with an OutputFormat
    scanLanguage,  // with a Language
    switchOutputView,
    previousPage,
    nextPage,
    support,
    privacyPolicy,
    acknowledgements,
    checkForUpdates,
};

// The focused preview's page navigation: the 0-based page shown and the page count.
struct PageNavigationState {
    int current = 0;
    int count = 0;
};

// Everything the enabling rules read, taken afresh on every change of the session, the
// focused preview or the updater.
struct MenuState {
    bool canConvert = false;         // the session's canConvert with the stored scan language
    bool isConverting = false;
    bool hasConvertedItems = false;  // the session's convertedItems is not empty
    bool isExporting = false;        // an export is being written
    std::optional<PageNavigationState> pages;  // none when no preview is focused
    bool canCheckForUpdates = false;
};

struct MenuItem {
    enum class Kind { command, separator, submenu };
    Kind kind = Kind::command;
    Command command = Command::addFiles;
    QString title;
    QKeySequence shortcut;
    bool checkable = false;  // a toggle, or one choice of a picker
    std::optional<shell::Sample> sample;
    std::optional<ce::OutputFormat> format;
    std::optional<ce::ConversionOptions::Language> language;
    std::vector<MenuItem> children;  // a submenu's items
};

struct Menu {
    QString title;
    std::vector<MenuItem> items;
};

namespace MenuModel {

// The state of `session` with the stored scan language, the focused preview's pages and the
// updater's readiness.
MenuState stateOf(const session::ConversionSession& session, ce::ConversionOptions::Language language,
                  std::optional<PageNavigationState> pages, bool canCheckForUpdates);

// File, Edit, View and Help, in that order.
std::vector<Menu> menus();

bool isEnabled(Command command, const MenuState& state);

QString formatLabel(ce::OutputFormat format);                  // "Markdown", "Word (DOCX)", "CSV (tables)"
QString languageLabel(ce::ConversionOptions::Language language);  // "Automatic", "English", "Spanish"

}  // namespace MenuModel
}  // namespace app
