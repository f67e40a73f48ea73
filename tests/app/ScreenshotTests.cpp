// Pictures of the settings window, the acknowledgements window, the quit question and an update
// result, drawn on a real X server (Xvfb) and saved under the build folder's screenshots/ to be
// looked at. Skipped on other platforms.
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "app/AcknowledgementsView.h"
#include "app/QuitQuestion.h"
#include "app/SettingsView.h"
#include "app/UpdateResult.h"

namespace app {
namespace {

class Screenshots : public testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != u"xcb") GTEST_SKIP() << "screenshots are taken under Xvfb";
        QDir().mkpath(QStringLiteral(CE_SCREENSHOT_DIR));
    }
    static void save(QWidget& widget, const char* name) {
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        QTest::qWait(150);
        const QString path = QStringLiteral(CE_SCREENSHOT_DIR "/%1.png").arg(QString::fromLatin1(name));
        ASSERT_TRUE(widget.grab().save(path)) << path.toStdString();
    }
};

TEST_F(Screenshots, SettingsWindow) {
    test::SettingsFile file;
    SettingsView view(*file.settings);
    save(view, "settings");
}

TEST_F(Screenshots, AcknowledgementsWindow) {
    const auto bundle = shell::ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    AcknowledgementsView view(shell::Acknowledgement::loadAll(bundle), bundle);
    save(view, "acknowledgements");
    AcknowledgementsView empty({}, bundle);
    save(empty, "acknowledgements-empty");
}

TEST_F(Screenshots, QuitQuestion) {
    const auto box = QuitQuestion::make(nullptr, *AppDelegate::question(AppDelegate::State{false, {{true, false, false}}}));
    save(*box, "quit-question");
}

TEST_F(Screenshots, UpdateAvailable) {
    shell::UpdateCheckResult result;
    result.outcome = shell::UpdateCheckResult::Outcome::updateAvailable;
    result.latestVersion = QStringLiteral("0.2.0");
    result.releaseNotes = QUrl(QStringLiteral("https://irevora.uzerov.ziv/releases/0.2.0"));
    const auto box = UpdateResult::make(nullptr, result, QStringLiteral("0.1.0"));
    save(*box, "update-available");
}

}  // namespace
}  // namespace app
