#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QMainWindow>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "SessionTestSupport.h"
#include "SettingsFile.h"
#include "app/AppCommands.h"
#include "app/QuitQuestion.h"

namespace app {
namespace {

class Commands : public sessiontest::SessionTest {
protected:
    Commands() {
        parts = std::make_unique<AppCommands::Parts>(AppCommands::Parts{
            *menus, *session_, *file.settings, updater, windows, bundle, &window});
        AppCommands::WindowActions actions;
        actions.addFiles = [this] { ++addFilesPanels; };
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
    int addFilesPanels = 0;
};

TEST_F(Commands, ASampleIsAddedAsASample) {
    menus->sampleAction(shell::Sample::invoice)->trigger();
    executor_->runAll();
    ASSERT_EQ(fileNames(), QStringList{"Factura escaneada.pdf"});
    EXPECT_TRUE(session_->items().front()->isSample());
}

TEST_F(Commands, ConvertStopAndExportFollowTheSession) {
    QAction* exportAction = menus->action(Command::exportResults);
    QAction* convert = menus->action(Command::convert);
    QAction* stop = menus->action(Command::stopConverting);
    EXPECT_FALSE(exportAction->isEnabled());
    EXPECT_FALSE(convert->isEnabled());
    add({makeFile("a.pdf"), makeFile("b.pdf")});
    sessiontest::giveResult(*session_->items().front(), sessiontest::makeResult(path("a.pdf").toStdString(), 1));
    EXPECT_TRUE(convert->isEnabled());
    EXPECT_TRUE(exportAction->isEnabled());

    convert->trigger();  // b.pdf still needs converting
    EXPECT_TRUE(session_->isConverting());
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_FALSE(exportAction->isEnabled());  // not during a run, though a.pdf is converted
    stop->trigger();
    executor_->runAll();
    EXPECT_FALSE(session_->isConverting());
    EXPECT_FALSE(stop->isEnabled());

    exportAction->trigger();
    EXPECT_TRUE(session_->exportRequested());
}

TEST_F(Commands, CancelLeavesARunningConversionAloneAndQuitEndsIt) {
    add({makeFile("a.pdf")});
    ASSERT_TRUE(session_->startConversion(sessiontest::Language::automatic));
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(QuitQuestion::closeSession(&window, *session_));
    EXPECT_TRUE(session_->isConverting());
    EXPECT_EQ(session_->items().size(), 1u);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QMessageBox::DestructiveRole) button->click();
        }
    });
    EXPECT_TRUE(QuitQuestion::closeSession(&window, *session_));
}

TEST_F(Commands, TheWindowsCommandsGoToTheWindow) {
    menus->action(Command::addFiles)->trigger();
    EXPECT_EQ(addFilesPanels, 1);
    menus->action(Command::addFolder)->trigger();  // no action given: nothing happens
}

TEST_F(Commands, AcknowledgementsAndPreferencesOpenTheirWindows) {
    menus->action(Command::acknowledgements)->trigger();
    menus->action(Command::preferences)->trigger();
    EXPECT_EQ(windows.showAcknowledgements()->windowTitle(), "Acknowledgements");
    EXPECT_EQ(windows.showSettings()->windowTitle(), "Preferences");
}

}  // namespace
}  // namespace app
