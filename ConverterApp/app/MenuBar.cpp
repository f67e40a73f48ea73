#include "app/MenuBar.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace app {

MenuBar::MenuBar(QMenuBar* bar, session::Settings& settings) : QObject(bar), settings_(settings) {
    for (const Menu& menu : MenuModel::menus()) {
        QMenu* qmenu = bar->addMenu(menu.title);
        for (const MenuItem& item : menu.items) add(qmenu, item);
    }
    connect(&settings_, &session::Settings::showRegionsChanged, this, &MenuBar::showSettings);
    connect(&settings_, &session::Settings::outputFormatChanged, this, &MenuBar::showSettings);
    connect(&settings_, &session::Settings::scanLanguageChanged, this, &MenuBar::showSettings);
    showSettings();
    update(MenuState{});
}

void MenuBar::add(QMenu* menu, const MenuItem& item) {
    if (item.kind == MenuItem::Kind::separator) {
        menu->addSeparator();
        return;
    }
    if (item.kind == MenuItem::Kind::submenu) {
        QMenu* submenu = menu->addMenu(item.title);
        auto* group = new QActionGroup(submenu);
        for (const MenuItem& child : item.children) {
            add(submenu, child);
            if (child.checkable) group->addAction(submenu->actions().back());
        }
        return;
    }
    QAction* action = menu->addAction(item.title);
    action->setShortcut(item.shortcut);
    action->setCheckable(item.checkable);
    actions_.emplace(item.command, action);
    if (item.sample) {
        const shell::Sample sample = *item.sample;
        samples_[sample] = action;
        connect(action, &QAction::triggered, this, [this, sample] { emit sampleChosen(sample); });
    } else if (item.format) {
        const ce::OutputFormat format = *item.format;
        formats_[format] = action;
        connect(action, &QAction::triggered, this, [this, format] { settings_.setOutputFormat(format); });
    } else if (item.language) {
        const ce::ConversionOptions::Language language = *item.language;
        languages_[language] = action;
        connect(action, &QAction::triggered, this, [this, language] { settings_.setScanLanguage(language); });
    } else if (item.command == Command::showRegions) {
        connect(action, &QAction::triggered, this, [this](bool on) { settings_.setShowRegions(on); });
    } else if (item.command == Command::toggleSidebar) {
        action->setChecked(true);
        connect(action, &QAction::triggered, this, &MenuBar::sidebarToggled);
    } else {
        const Command command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
    }
}

void MenuBar::showSettings() {
    action(Command::showRegions)->setChecked(settings_.showRegions());
    formats_.at(settings_.outputFormat())->setChecked(true);
    languages_.at(settings_.scanLanguage())->setChecked(true);
}

void MenuBar::update(const MenuState& state) {
    for (const auto& [command, action] : actions_) action->setEnabled(MenuModel::isEnabled(command, state));
}

void MenuBar::setSidebarVisible(bool visible) { action(Command::toggleSidebar)->setChecked(visible); }

QAction* MenuBar::action(Command command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

QAction* MenuBar::sampleAction(shell::Sample sample) const { return samples_.at(sample); }
QAction* MenuBar::formatAction(ce::OutputFormat format) const { return formats_.at(format); }
QAction* MenuBar::languageAction(ce::ConversionOptions::Language language) const {
    return languages_.at(language);
}

}  // namespace app
