// The window's menu bar, built from MenuModel: one QAction per item, in the window so that a
// shortcut fires with the menu closed. update() applies the enabling rules to a new state; the
// composition root calls it on every change of the session, the focused preview and the
// updater. "Show Regions", "Output Format" and "Scan Language" are bound to the shared Settings
// both ways; every other command is reported through commandTriggered() or sampleChosen().
// Main thread only; its state is the actions it owns through the menu bar.
#pragma once

#include <map>

#include <QObject>

#include "app/MenuModel.h"
#include "session/Settings.h"

class QAction;
class QMenu;
class QMenuBar;

namespace app {

class MenuBar : public QObject {
    Q_OBJECT

public:
    MenuBar(QMenuBar* bar, session::Settings& settings);

    void update(const MenuState& state);
    void setSidebarVisible(bool visible);

    // The action of a command (the first one for a submenu's commands); null when there is none.
    QAction* action(Command command) const;
    QAction* sampleAction(shell::Sample sample) const;
    QAction* formatAction(ce::OutputFormat format) const;
    QAction* languageAction(ce::ConversionOptions::Language language) const;

signals:
    void commandTriggered(app::Command command);
    void sampleChosen(shell::Sample sample);
    void sidebarToggled(bool visible);

private:
    void add(QMenu* menu, const MenuItem& item);
    void showSettings();

    session::Settings& settings_;
    std::multimap<Command, QAction*> actions_;
    std::map<shell::Sample, QAction*> samples_;
    std::map<ce::OutputFormat, QAction*> formats_;
    std::map<ce::ConversionOptions::Language, QAction*> languages_;
};

}  // namespace app
