#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "app/SettingsView.h"

namespace app {
namespace {

TEST(SettingsView, FirstLaunchShowsCommaAndOff) {
    test::SettingsFile file;
    SettingsView view(*file.settings);
    EXPECT_EQ(view.general()->separatorPicker()->currentText(), "Comma (,)");
    EXPECT_FALSE(view.general()->revealToggle()->isChecked());
    EXPECT_EQ(view.width(), 460);
    EXPECT_GE(view.minimumHeight(), 220);
}

TEST(SettingsView, ChangesAreStoredAtOnceAndSeenBothWays) {
    test::SettingsFile file;
    SettingsView view(*file.settings);
    view.show();
    QComboBox* picker = view.general()->separatorPicker();
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);  // "Semicolon (;)", no Apply step
    view.general()->revealToggle()->click();
    EXPECT_EQ(QSettings(file.path, QSettings::IniFormat).value("csvSeparator").toString(), "semicolon");
    EXPECT_TRUE(session::Settings(file.path).revealAfterExport());

    session::Settings elsewhere(file.path);
    elsewhere.setCSVSeparator(session::CSVSeparator::comma);
    elsewhere.setRevealAfterExport(false);
    EXPECT_EQ(picker->currentText(), "Comma (,)");
    EXPECT_FALSE(view.general()->revealToggle()->isChecked());
}

TEST(SettingsView, AStoredValueThatIsNotASeparatorShowsComma) {
    test::SettingsFile file;
    QSettings(file.path, QSettings::IniFormat).setValue("csvSeparator", "Semicolon");
    session::Settings settings(file.path);
    SettingsView view(settings);
    EXPECT_EQ(view.general()->separatorPicker()->currentText(), "Comma (,)");
}

}  // namespace
}  // namespace app
