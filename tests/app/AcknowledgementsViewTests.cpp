#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "app/AcknowledgementsView.h"
#include "app/AuxiliaryWindows.h"

namespace app {
namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

shell::Acknowledgement entry(const char* title, const char* file, std::optional<bool> modified = std::nullopt) {
    return shell::Acknowledgement{title, "Role", "MIT", file, modified, std::nullopt};
}

class Acknowledgements : public testing::Test {
protected:
    void SetUp() override {
        write(dir.filePath("Licenses/a.txt"), "Licence A");
        write(dir.filePath("Licenses/b.txt"), "Licence \xff B");
        bundle = shell::ResourceBundle::load(dir.path(), {});
    }
    QTemporaryDir dir;
    shell::ResourceBundle bundle;
};

TEST_F(Acknowledgements, ShowingSelectsTheFirstEntry) {
    AcknowledgementsView view({entry("A", "a.txt"), entry("B", "b.txt", true)}, bundle);
    EXPECT_TRUE(view.showsPlaceholder());
    view.show();
    EXPECT_EQ(view.selection(), QStringLiteral("a.txt"));
    EXPECT_EQ(view.detailTitle(), "A");
    EXPECT_EQ(view.licenseText(), "Licence A");
    EXPECT_FALSE(view.showsModifiedNote());

    view.list()->setCurrentRow(1);
    EXPECT_EQ(view.selection(), QStringLiteral("b.txt"));
    EXPECT_TRUE(view.showsModifiedNote());
    EXPECT_EQ(view.licenseText(), "");  // not valid UTF-8
}

TEST_F(Acknowledgements, AnEmptyListShowsThePlaceholder) {
    AcknowledgementsView view({}, bundle);
    view.show();
    EXPECT_EQ(view.selection(), std::nullopt);
    EXPECT_TRUE(view.showsPlaceholder());
}

TEST_F(Acknowledgements, EntriesSharingAFileShowTheFirst) {
    AcknowledgementsView view({entry("First", "a.txt", false), entry("Second", "a.txt", true)}, bundle);
    view.show();
    view.list()->setCurrentRow(1);
    EXPECT_EQ(view.detailTitle(), "First");
    EXPECT_FALSE(view.showsModifiedNote());
    view.setSelection(QStringLiteral("missing.txt"));
    EXPECT_TRUE(view.showsPlaceholder());
}

TEST_F(Acknowledgements, OneWindowAtATime) {
    test::SettingsFile file;
    AuxiliaryWindows windows(*file.settings, bundle);
    QPointer<QWidget> first = windows.showAcknowledgements();
    EXPECT_EQ(windows.showAcknowledgements(), first.data());
    EXPECT_EQ(windows.showSettings(), windows.showSettings());
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_NE(windows.showAcknowledgements(), nullptr);
}

}  // namespace
}  // namespace app
