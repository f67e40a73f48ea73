// What the menu commands do. It carries out the commands that need only the session, the
// settings, the updater and the small windows (samples, Convert, Stop Converting, Export…, the
// help pages, Acknowledgements, Preferences…, Check for Updates… and showing its result), hands
// the rest to
// the main window through WindowActions, and recomputes the menu's enabling whenever the
// session, one of its items, the stored scan language or the updater changes (the window calls
// refresh() when the focused preview's page changes).
// Main thread only; its state is the connections to the items of the current list.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include "app/AuxiliaryWindows.h"
#include "app/MenuBar.h"
#include "session/ConversionSession.h"
#include "shell/Updater.h"

namespace app {

class AppCommands : public QObject {
    Q_OBJECT

public:
    // The main window's part. A missing function makes its command do nothing.
    struct WindowActions {
        std::function<void()> addFiles;   // the Add Files panel, then the session's addFiles
        std::function<void()> addFolder;  // the Add Folder panel, likewise
        std::function<void()> quit;  // close the main window, which asks the quit question
        std::function<void()> previousPage;
        std::function<void()> nextPage;
        std::function<void()> switchOutputView;  // the preview's rendered or raw output
        std::function<void(bool)> showSidebar;
        std::function<std::optional<PageNavigationState>()> pages;  // the focused preview's
    };

    struct Parts {
        MenuBar& menus;
        session::ConversionSession& session;
        session::Settings& settings;
        shell::Updater& updater;
        AuxiliaryWindows& windows;
        shell::ResourceBundle bundle;
        QWidget* window = nullptr;  // parent of the update result
    };

    AppCommands(Parts parts, WindowActions actions, QObject* parent = nullptr);

    void refresh();

private:
    void run(Command command);
    void openSample(shell::Sample sample);
    void watchItems();

    Parts parts_;
    WindowActions actions_;
    std::vector<QMetaObject::Connection> itemConnections_;
};

}  // namespace app
