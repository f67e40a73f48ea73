#include <QMainWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "app/MenuBar.h"

namespace app {
namespace {

struct EnablingCase {
    const char* name;
    MenuState state;
    std::vector<Command> enabled;
    std::vector<Command> disabled;
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const EnablingCase& c, std::ostream* os) { *os << c.name; }

class MenuEnabling : public testing::TestWithParam<EnablingCase> {};

TEST_P(MenuEnabling, FollowsTheState) {
    for (const Command command : GetParam().enabled) EXPECT_TRUE(MenuModel::isEnabled(command, GetParam().state));
    for (const Command command : GetParam().disabled) EXPECT_FALSE(MenuModel::isEnabled(command, GetParam().state));
}

using C = Command;
INSTANTIATE_TEST_SUITE_P(
    Cases, MenuEnabling,
    testing::Values(
        EnablingCase{"EmptyList", {}, {C::addFiles, C::addFolder, C::openSample, C::acknowledgements, C::preferences},
                     {C::convert, C::exportResults, C::stopConverting, C::previousPage, C::nextPage, C::checkForUpdates}},
        EnablingCase{"Ready", {.canConvert = true}, {C::convert}, {C::exportResults, C::stopConverting}},
        EnablingCase{"RunningWithEarlierResults", {.isConverting = true, .hasConvertedItems = true},
                     {C::stopConverting, C::addFiles}, {C::convert, C::exportResults}},
        EnablingCase{"Converted", {.hasConvertedItems = true}, {C::exportResults}, {C::stopConverting}},
        EnablingCase{"Exporting", {.hasConvertedItems = true, .isExporting = true}, {C::addFiles}, {C::exportResults}},
        EnablingCase{"FirstPage", {.pages = PageNavigationState{0, 3}}, {C::nextPage}, {C::previousPage}},
        EnablingCase{"MiddlePage", {.pages = PageNavigationState{1, 3}}, {C::previousPage, C::nextPage}, {}},
        EnablingCase{"LastPage", {.pages = PageNavigationState{2, 3}}, {C::previousPage}, {C::nextPage}},
        EnablingCase{"OnePage", {.pages = PageNavigationState{0, 1}}, {}, {C::previousPage, C::nextPage}},
        EnablingCase{"UpdaterReady", {.canCheckForUpdates = true}, {C::checkForUpdates}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MenuModel, MenusCommandsAndShortcuts) {
    const std::vector<Menu> menus = MenuModel::menus();
    QStringList titles;
    std::map<QString, QString> shortcuts;
    std::function<void(const std::vector<MenuItem>&)> walk = [&](const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            if (item.kind == MenuItem::Kind::separator) continue;
            shortcuts[item.title] = item.shortcut.toString(QKeySequence::PortableText);
            walk(item.children);
        }
    };
    for (const Menu& menu : menus) {
        titles << QString(menu.title).remove(u'&');
        walk(menu.items);
    }
    EXPECT_EQ(titles, (QStringList{"File", "Edit", "View", "Help"}));
    EXPECT_EQ(shortcuts["Add Files…"], "Ctrl+O");
    EXPECT_EQ(shortcuts["Add Folder…"], "Ctrl+Shift+O");
    EXPECT_EQ(shortcuts["Convert"], "Ctrl+R");
    EXPECT_EQ(shortcuts["Stop Converting"], "Ctrl+.");
    EXPECT_EQ(shortcuts["Export…"], "Ctrl+E");
    EXPECT_EQ(shortcuts["Show Regions"], "Ctrl+Alt+R");
    EXPECT_EQ(shortcuts["Switch Output View"], "Ctrl+Alt+O");
    EXPECT_EQ(shortcuts["Quit"], "Ctrl+Q");
    EXPECT_FALSE(shortcuts["Preferences…"].isEmpty());
    for (const char* item : {"Invoice (Spanish, scanned)", "Word (DOCX)", "Spanish", "Previous Page", "Next Page",
                             "Support", "Privacy Policy", "Acknowledgements", "Check for Updates…"}) {
        EXPECT_TRUE(shortcuts.count(QString::fromUtf8(item))) << item;
    }
    ASSERT_EQ(menus[3].items.back().command, Command::checkForUpdates);
    EXPECT_EQ(menus[1].items.front().command, Command::preferences);
}

class MenuWindow : public testing::Test {
protected:
    void SetUp() override {
        menus = new MenuBar(window.menuBar(), *file.settings);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    test::SettingsFile file;
    QMainWindow window;
    MenuBar* menus = nullptr;
};

TEST_F(MenuWindow, AShortcutFiresWithTheMenuClosedOnlyWhenEnabled) {
    QSignalSpy triggered(menus, &MenuBar::commandTriggered);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(triggered.size(), 1);
    EXPECT_EQ(triggered[0][0].value<Command>(), Command::addFiles);

    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);  // Convert, disabled with an empty list
    EXPECT_EQ(triggered.size(), 1);
    menus->update(MenuState{.canConvert = true});
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(triggered.size(), 2);
    EXPECT_EQ(triggered[1][0].value<Command>(), Command::convert);
}

TEST_F(MenuWindow, PickersAndTogglesAreTheSharedSettings) {
    menus->formatAction(ce::OutputFormat::docx)->trigger();
    EXPECT_EQ(file.settings->outputFormat(), ce::OutputFormat::docx);
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(file.settings->showRegions());

    session::Settings elsewhere(file.path);  // the window's toolbar, say
    elsewhere.setScanLanguage(ce::ConversionOptions::Language::spanish);
    EXPECT_TRUE(menus->languageAction(ce::ConversionOptions::Language::spanish)->isChecked());
    EXPECT_FALSE(menus->languageAction(ce::ConversionOptions::Language::automatic)->isChecked());
    elsewhere.setShowRegions(true);
    EXPECT_TRUE(menus->action(Command::showRegions)->isChecked());
}

TEST_F(MenuWindow, SamplesAreReportedByCase) {
    QSignalSpy chosen(menus, &MenuBar::sampleChosen);
    menus->sampleAction(shell::Sample::invoice)->trigger();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].value<shell::Sample>(), shell::Sample::invoice);
    EXPECT_EQ(menus->sampleAction(shell::Sample::invoice)->text(), "Invoice (Spanish, scanned)");
}

}  // namespace
}  // namespace app
