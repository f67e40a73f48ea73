// The composition root: makes, once and in this order, the update check, the engine over
// the models at the automatic location, the one conversion session, the stored settings,
// the main window with its menu bar and the settings and acknowledgements windows, and
// wires the menu commands (AppCommands), the files handed over by a second start and the
// quit rules to them. Everything lives until the process ends; closing the main window asks the quit
// question when work would be lost, and quitting shuts the session down.
// Main thread only; its state is the objects it made.
#pragma once

#include <QObject>

#include <memory>

#include "app/AppCommands.h"
#include "app/AuxiliaryWindows.h"
#include "app/MenuBar.h"
#include "app/AppDelegate.h"
#include "session/ConversionSession.h"
#include "session/Settings.h"
#include "shell/ResourceBundle.h"
#include "shell/Updater.h"
#include "windows/MainView.h"

namespace app {

class ApplicationRoot : public QObject {
    Q_OBJECT
public:
    struct Options {
        shell::ResourceBundle bundle;
        // The session's engine; the application's own engine when null.
        std::shared_ptr<session::DocumentConverting> converter;
        // The window's dialogs; Qt's own when not given.
        std::optional<windows::WindowDialogs> dialogs;
        // The preview of the selected document.
        windows::MainView::PreviewFactory preview;
    };

    explicit ApplicationRoot(Options options);
    ~ApplicationRoot() override;

    session::ConversionSession& session() { return *session_; }
    session::Settings& settings() { return *settings_; }
    windows::MainView& window() { return *window_; }
    MenuBar& menuBar() { return *menuBar_; }

    // Adds files named on the command line or handed over by a second start (local file
    // URLs of absolute paths) and brings the window forward.
    void openFiles(const QList<QUrl>& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppDelegate::State quitState() const;

    shell::ResourceBundle bundle_;
    std::unique_ptr<shell::Updater> updater_;
    std::unique_ptr<session::ConversionSession> session_;
    std::unique_ptr<session::Settings> settings_;
    std::unique_ptr<windows::MainView> window_;
    MenuBar* menuBar_ = nullptr;
    std::unique_ptr<AuxiliaryWindows> auxiliary_;
    AppCommands* commands_ = nullptr;
};

}  // namespace app
