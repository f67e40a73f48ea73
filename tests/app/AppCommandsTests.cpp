#include <QAction>
#include <QMainWindow>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "SessionTestSupport.h"
#include "SettingsFile.h"
#include "app/AppCommands.h"

namespace app {
namespace {

class Commands : public sessiontest::SessionTest {
protected:
    Commands() {
        parts = std::make_unique<AppCommands::Parts>(AppCommands::Parts{
            *menus, *session_, *file.settings, updater, windows, bundle, &window});
        AppCommands::WindowActions actions;
        actions.convert = [this] { ++converts; };
        commands = std::make_unique<AppCommands>(*parts, actions);
    }
    test::SettingsFile file;
    QMainWindow window;
    MenuBar* menus = new MenuBar(window.menuBar(), *file.settings);
    shell::Updater updater{shell::Updater::Options{}};
    shell::ResourceBundle bundle = shell::ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    AuxiliaryWindows windows{*file.settings, bundle};
    std::unique_ptr<AppCommands::Parts> parts;
    std::unique_ptr<AppCommands> commands;
    int converts = 0;
};

TEST_F(Commands, ASampleIsAddedAsASample) {
    menus->sampleAction(shell::Sample::invoice)->trigger();
    executor_->runAll();
    ASSERT_EQ(fileNames(), QStringList{"Factura escaneada.pdf"});
    EXPECT_TRUE(session_->items().front()->isSample());
}

TEST_F(Commands, EnablingFollowsTheItemsAndExportIsRequested) {
    QAction* exportAction = menus->action(Command::exportResults);
    QAction* convert = menus->action(Command::convert);
    EXPECT_FALSE(exportAction->isEnabled());
    EXPECT_FALSE(convert->isEnabled());
    add({makeFile("a.pdf")});
    EXPECT_TRUE(convert->isEnabled());
    convert->trigger();
    EXPECT_EQ(converts, 1);

    sessiontest::giveResult(*session_->items().front(), sessiontest::makeResult("a.pdf", 1));
    EXPECT_TRUE(exportAction->isEnabled());
    exportAction->trigger();
    EXPECT_TRUE(session_->exportRequested());
}

TEST_F(Commands, AcknowledgementsAndPreferencesOpenTheirWindows) {
    menus->action(Command::acknowledgements)->trigger();
    menus->action(Command::preferences)->trigger();
    EXPECT_EQ(windows.showAcknowledgements()->windowTitle(), "Acknowledgements");
    EXPECT_EQ(windows.showSettings()->windowTitle(), "Preferences");
}

}  // namespace
}  // namespace app
